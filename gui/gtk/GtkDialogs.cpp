// The dialogs seam on GTK 3.
//
// Implements: message boxes as GtkMessageDialog (MB_ icon and button flags in, ID answers out),
// open and save dialogs as GtkFileChooserDialog (filters, proposed file, title), and the wait
// cursor as the "wait" pointer on every top-level window.
// Does not implement: the checks around a file dialog (existing file, overwrite question, default
// extension); SFileDialog makes them above the seam, so GTK's own overwrite question is off.
//
// Test answers (end-to-end tests, where nobody can click a dialog of the program under the web
// driver): when set, these environment variables answer instead of showing the dialog.
//   VYX_TEST_FILE_ANSWERS=path1:path2   each file dialog takes the next path; an empty entry or
//                                       the end of the list cancels
//   VYX_TEST_BOX_ANSWERS=yes:ok:no      each message box takes the next answer (ok, cancel, yes,
//                                       no, abort, retry, ignore); at the end of the list, or for
//                                       an answer the box does not offer, its default button
//   VYX_TEST_DIALOG_LOG=file            appends one line per answered dialog: "box <caption>:
//                                       <text>" or "file <title>: <path>" (UTF-8, line ends as
//                                       blanks)
// Without them the dialogs are GTK's.
#include "GtkDialogs.h"

#include "GtkText.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The answers of one test variable, taken in order.
class TestAnswers {
public:
    explicit TestAnswers(const char* variable) {
        const char* value = std::getenv(variable);
        if (value == nullptr) return;
        active = true;
        std::string all(value);
        size_t start = 0;
        for (;;) {
            size_t end = all.find(':', start);
            entries.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }

    bool isActive() const { return active; }

    // The next answer, or false at the end of the list.
    bool next(std::string& answer) {
        if (taken >= entries.size()) return false;
        answer = entries[taken++];
        return true;
    }

private:
    bool active = false;
    std::vector<std::string> entries;
    size_t taken = 0;
};

TestAnswers& fileAnswers() {
    static TestAnswers answers("VYX_TEST_FILE_ANSWERS");
    return answers;
}

TestAnswers& boxAnswers() {
    static TestAnswers answers("VYX_TEST_BOX_ANSWERS");
    return answers;
}

void logTestDialog(const char* kind, const std::string& heading, const std::string& detail) {
    const char* path = std::getenv("VYX_TEST_DIALOG_LOG");
    if (path == nullptr || *path == '\0') return;
    FILE* log = std::fopen(path, "a");
    if (log == nullptr) return;
    std::string line = std::string(kind) + " " + heading + ": " + detail;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
}

// The window a dialog belongs to: the active top-level window, else the first visible one.
GtkWindow* ownerWindow() {
    GList* list = gtk_window_list_toplevels();
    GtkWindow* owner = nullptr;
    for (GList* l = list; l != nullptr; l = l->next) {
        GtkWindow* w = GTK_WINDOW(l->data);
        if (gtk_window_get_window_type(w) != GTK_WINDOW_TOPLEVEL || !gtk_widget_get_visible(GTK_WIDGET(w)))
            continue;
        if (gtk_window_is_active(w)) {
            owner = w;
            break;
        }
        if (owner == nullptr) owner = w;
    }
    g_list_free(list);
    return owner;
}

// GTK's own translated labels for the buttons it knows.
const char* gtkLabel(const char* label) {
    return g_dgettext("gtk30", label);
}

struct BoxButton {
    const char* label;
    int id;
};

std::vector<BoxButton> boxButtons(unsigned flags) {
    switch (flags & 0x0F) {
        case MB_OKCANCEL:
            return {{gtkLabel("_Cancel"), IDCANCEL}, {gtkLabel("_OK"), IDOK}};
        case MB_ABORTRETRYIGNORE:
            return {{"_Abbrechen", IDABORT}, {"_Wiederholen", IDRETRY}, {"_Ignorieren", IDIGNORE}};
        case MB_YESNOCANCEL:
            return {{gtkLabel("_Cancel"), IDCANCEL}, {gtkLabel("_No"), IDNO}, {gtkLabel("_Yes"), IDYES}};
        case MB_YESNO:
            return {{gtkLabel("_No"), IDNO}, {gtkLabel("_Yes"), IDYES}};
        case MB_RETRYCANCEL:
            return {{gtkLabel("_Cancel"), IDCANCEL}, {"_Wiederholen", IDRETRY}};
        default:
            return {{gtkLabel("_OK"), IDOK}};
    }
}

GtkMessageType boxType(unsigned flags) {
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            return GTK_MESSAGE_ERROR;
        case MB_ICONQUESTION:
            return GTK_MESSAGE_QUESTION;
        case MB_ICONWARNING:
            return GTK_MESSAGE_WARNING;
        case MB_ICONINFORMATION:
            return GTK_MESSAGE_INFO;
        default:
            return GTK_MESSAGE_OTHER;
    }
}

// A pattern that matches regardless of case, as file names are matched where the filters come
// from: "*.txt" becomes "*.[tT][xX][tT]".
std::string caselessPattern(const std::string& pattern) {
    std::string out;
    for (char c : pattern) {
        if (g_ascii_isalpha(c)) {
            out += '[';
            out += g_ascii_tolower(c);
            out += g_ascii_toupper(c);
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

int GtkDialogs::messageBox(const SString& text, const SString& caption, unsigned flags) {
    std::vector<BoxButton> offered = boxButtons(flags);
    if (boxAnswers().isActive()) {
        logTestDialog("box", gtkText(caption), gtkText(text));
        static const struct {
            const char* name;
            int id;
        } names[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"yes", IDYES},      {"no", IDNO},
                     {"abort", IDABORT}, {"retry", IDRETRY},   {"ignore", IDIGNORE}};
        std::string answer;
        if (boxAnswers().next(answer))
            for (const auto& n : names)
                if (answer == n.name)
                    for (const BoxButton& b : offered)
                        if (b.id == n.id) return b.id;
        return offered.back().id;
    }
    GtkWidget* dialog = gtk_message_dialog_new(ownerWindow(), GTK_DIALOG_MODAL, boxType(flags),
                                               GTK_BUTTONS_NONE, "%s", gtkText(text).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), gtkText(caption).c_str());
    const std::vector<BoxButton>& buttons = offered;
    for (const BoxButton& b : buttons)
        gtk_dialog_add_button(GTK_DIALOG(dialog), b.label, b.id);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), buttons.back().id);
    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    if (response > 0) return response;
    // Closed by the window manager or Escape: the cancelling answer the buttons offer.
    for (const BoxButton& b : buttons)
        if (b.id == IDCANCEL) return IDCANCEL;
    return buttons.front().id;
}

bool GtkDialogs::fileDialog(const FileDialogRequest& request, SString& path) {
    if (fileAnswers().isActive()) {
        std::string answer;
        const bool chosen = fileAnswers().next(answer) && !answer.empty();
        logTestDialog("file", gtkText(request.title), chosen ? answer : std::string("(cancelled)"));
        if (chosen) path = fromGtkText(answer.c_str());
        return chosen;
    }
    GtkFileChooserAction action = request.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        gtkText(request.title).c_str(), ownerWindow(), action, gtkLabel("_Cancel"), GTK_RESPONSE_CANCEL,
        request.save ? gtkLabel("_Save") : gtkLabel("_Open"), GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);

    bool first = true;
    for (const FileDialogRequest::Filter& f : request.filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, gtkText(f.name).c_str());
        std::string patterns = gtkText(f.pattern);
        gchar** parts = g_strsplit(patterns.c_str(), ";", -1);
        for (gchar** p = parts; *p != nullptr; ++p) {
            std::string one = g_strstrip(*p);
            if (!one.empty()) gtk_file_filter_add_pattern(filter, caselessPattern(one).c_str());
        }
        g_strfreev(parts);
        gtk_file_chooser_add_filter(chooser, filter);  // takes the floating reference
        if (first) gtk_file_chooser_set_filter(chooser, filter);
        first = false;
    }

    if (!request.proposedFile.isEmpty()) {
        std::string proposed = gtkPath(request.proposedFile);
        gchar* folder = g_path_get_dirname(proposed.c_str());
        gchar* name = g_path_get_basename(proposed.c_str());
        if (g_file_test(proposed.c_str(), G_FILE_TEST_IS_REGULAR)) {
            gtk_file_chooser_set_filename(chooser, proposed.c_str());
        } else if (g_file_test(folder, G_FILE_TEST_IS_DIR)) {
            gtk_file_chooser_set_current_folder(chooser, folder);
        }
        if (request.save && !g_file_test(proposed.c_str(), G_FILE_TEST_IS_DIR))
            gtk_file_chooser_set_current_name(chooser, name);
        g_free(folder);
        g_free(name);
    }

    bool chosen = false;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* file = gtk_file_chooser_get_filename(chooser);
        if (file != nullptr) {
            path = fromGtkText(file);
            chosen = true;
            g_free(file);
        }
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

void GtkDialogs::setWaitCursor(bool on) {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr) return;
    GdkCursor* cursor = on ? gdk_cursor_new_from_name(display, "wait") : nullptr;
    GList* list = gtk_window_list_toplevels();
    for (GList* l = list; l != nullptr; l = l->next) {
        GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(l->data));
        if (window != nullptr) gdk_window_set_cursor(window, cursor);
    }
    g_list_free(list);
    if (cursor != nullptr) g_object_unref(cursor);
    gdk_display_flush(display);
}
