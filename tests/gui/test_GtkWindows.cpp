// The window and dialogs seams on a real display (run under xvfb-run).
#include "EventLoop.h"
#include "SApplication.h"
#include "SControl.h"
#include "SFrameWindow.h"
#include "TempDir.h"
#include "gtk/GtkDialogs.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace {

GtkWidget* widget(HWND h) {
    return reinterpret_cast<GtkWidget*>(h);
}

// A frame that keeps a child at 5, 5 with width w - 10 and height h - 40 and counts its calls.
class TestFrame : public SFrameWindow {
public:
    int onClose() override {
        ++closeCalls;
        return closeAnswer;
    }
    void onDestroy() override { ++destroyCalls; }
    void onSize(int w, int h) override {
        sizes.push_back({w, h});
        if (child != nullptr) moveWindow(child, 5, 5, w - 10, h - 40);
    }
    int translateAccelerator(HWND, UINT message, WPARAM wParam, LPARAM) override {
        offered.push_back({message, wParam});
        return wParam == takenKey ? 1 : 0;
    }

    int closeAnswer = 1;
    int closeCalls = 0;
    int destroyCalls = 0;
    HWND child = nullptr;
    WPARAM takenKey = 0;
    std::vector<std::pair<int, int>> sizes;
    std::vector<std::pair<UINT, WPARAM>> offered;
};

class GtkWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(windowSystem().init()) << "no display (run under xvfb-run -a)";
        // run() without a main window returns at once and clears a quit left by an earlier test.
        globalApplication().setMainWindow(nullptr);
        globalApplication().run();
        globalApplication().setMainWindow(&frame);
        frame.setTitle("Zyntra-Terminal V1.06");
        frame.setSize(400, 300);
        ASSERT_TRUE(frame.create());
    }

    GtkWindow* gtkWindow() { return GTK_WINDOW(gtk_widget_get_toplevel(widget(frame.getHandle()))); }
    void showAndWaitForSize() {
        frame.show();
        ASSERT_TRUE(EventLoop::waitUntil(5000, [&] { return !frame.sizes.empty(); }));
    }
    bool waitForClientSize(int w, int h) {
        return EventLoop::waitUntil(
            5000, [&] { return !frame.sizes.empty() && frame.sizes.back() == std::make_pair(w, h); });
    }
    static std::pair<int, int> positionIn(GtkWidget* child) {
        int x = -1, y = -1;
        gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(child)), child, "x", &x, "y", &y,
                                nullptr);
        return {x, y};
    }
    static std::pair<int, int> sizeRequest(GtkWidget* child) {
        int w = -1, h = -1;
        gtk_widget_get_size_request(child, &w, &h);
        return {w, h};
    }
    // Sends a key press or release of keyval to the frame's window, as the display would.
    bool sendKey(GdkEventType type, guint keyval) {
        GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(gtkWindow()));
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(gdkWindow));
        event->key.send_event = TRUE;
        event->key.time = GDK_CURRENT_TIME;
        event->key.keyval = keyval;
        GdkKeymapKey* keys = nullptr;
        gint count = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_window_get_display(gdkWindow)),
                                              keyval, &keys, &count) &&
            count > 0) {
            event->key.hardware_keycode = guint16(keys[0].keycode);
            event->key.group = guint8(keys[0].group);
        }
        g_free(keys);
        GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gdkWindow));
        gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
        gboolean handled = gtk_widget_event(GTK_WIDGET(gtkWindow()), event);
        gdk_event_free(event);
        return handled;
    }

    TestFrame frame;
};

TEST_F(GtkWindowsTest, FrameHandleIsTheGtkFixedClientAreaAndChildrenArePlacedInIt) {
    GtkWidget* fixed = widget(frame.getHandle());
    ASSERT_TRUE(GTK_IS_FIXED(fixed));
    ASSERT_TRUE(GTK_IS_WINDOW(gtk_widget_get_parent(fixed)));
    EXPECT_STREQ(gtk_window_get_title(gtkWindow()), "Zyntra-Terminal V1.06");
    int w = 0, h = 0;
    ASSERT_TRUE(frame.getClientSize(w, h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(400, 300));

    SButton ende;
    ASSERT_TRUE(ende.create(&frame, "Ende", -100, -30));
    EXPECT_EQ(gtk_widget_get_parent(widget(ende.getHandle())), fixed);
    EXPECT_EQ(positionIn(widget(ende.getHandle())), std::make_pair(300, 270));
    EXPECT_EQ(sizeRequest(widget(ende.getHandle())), std::make_pair(80, 24));

    // A widget another part puts into the client area is moved and sized like a control.
    GtkWidget* view = gtk_label_new("page");
    gtk_fixed_put(GTK_FIXED(fixed), view, 0, 0);
    frame.child = reinterpret_cast<HWND>(view);
    showAndWaitForSize();
    EXPECT_EQ(frame.sizes.back(), std::make_pair(400, 300));
    EXPECT_EQ(positionIn(view), std::make_pair(5, 5));
    EXPECT_EQ(sizeRequest(view), std::make_pair(390, 260));

    // The size handler follows the window, also below the size of its children.
    gtk_window_resize(gtkWindow(), 600, 500);
    ASSERT_TRUE(waitForClientSize(600, 500));
    EXPECT_EQ(sizeRequest(view), std::make_pair(590, 460));
    gtk_window_resize(gtkWindow(), 200, 150);
    ASSERT_TRUE(waitForClientSize(200, 150));
    EXPECT_EQ(sizeRequest(view), std::make_pair(190, 110));
    ASSERT_TRUE(frame.getClientSize(w, h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(200, 150));
}

TEST_F(GtkWindowsTest, CloseButtonOfTheWindowManagerGoesThroughOnClose) {
    showAndWaitForSize();
    SButton ende;
    ASSERT_TRUE(ende.create(&frame, "Ende", -100, -30));
    GtkWindow* window = gtkWindow();
    g_object_ref(window);

    frame.closeAnswer = 0;
    gtk_window_close(window);
    EventLoop::wait(50);
    EXPECT_EQ(frame.closeCalls, 1);
    EXPECT_TRUE(frame.isCreated());
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(window)));

    frame.closeAnswer = 1;
    gtk_window_close(window);
    EventLoop::wait(50);
    EXPECT_EQ(frame.closeCalls, 2);
    EXPECT_FALSE(frame.isCreated());
    EXPECT_FALSE(ende.isCreated());
    EXPECT_EQ(frame.destroyCalls, 1);
    EXPECT_TRUE(globalApplication().isQuitting());
    g_object_unref(window);
}

TEST_F(GtkWindowsTest, ButtonClickReachesTheEventListWithItsControlId) {
    SButton ende;
    SButton other;
    ASSERT_TRUE(ende.create(&frame, "Ende", -100, -30));
    ASSERT_TRUE(other.create(&frame, "Andere", 0, 0));
    int endeClicks = 0;
    frame.getEventList().add(WM_COMMAND, ende.getControlId(), &frame,
                             [&](UINT, WPARAM, LPARAM) { ++endeClicks; });
    gtk_button_clicked(GTK_BUTTON(widget(other.getHandle())));
    EXPECT_EQ(endeClicks, 0);
    gtk_button_clicked(GTK_BUTTON(widget(ende.getHandle())));
    EXPECT_EQ(endeClicks, 1);
}

TEST_F(GtkWindowsTest, TakenKeyDownNeverReachesTheWidgetsKeyUpAlwaysPasses) {
    GtkWidget* entry = gtk_entry_new();
    gtk_fixed_put(GTK_FIXED(widget(frame.getHandle())), entry, 0, 0);
    gtk_widget_show(entry);
    showAndWaitForSize();
    gtk_widget_grab_focus(entry);
    frame.takenKey = 'A';

    EXPECT_TRUE(sendKey(GDK_KEY_PRESS, GDK_KEY_a));
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "");
    sendKey(GDK_KEY_RELEASE, GDK_KEY_a);
    sendKey(GDK_KEY_PRESS, GDK_KEY_b);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "b");
    sendKey(GDK_KEY_PRESS, GDK_KEY_F5);

    // Only key-downs were offered, with their virtual-key codes.
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, 'A'}, {WM_KEYDOWN, 'B'}, {WM_KEYDOWN, 0x74}};
    EXPECT_EQ(frame.offered, expected);
}

// Answers the next dialog that appears with response, after letting check look at it. The answer is
// repeated until the dialog goes: a file chooser takes an accept only after checking the file.
void answerNextDialog(int response, std::function<void(GtkWidget*)> check = nullptr) {
    struct Answer {
        int response;
        std::function<void(GtkWidget*)> check;
        gpointer dialog = nullptr;  // weak
        bool seen = false;
    };
    g_timeout_add(
        50,
        [](gpointer data) -> gboolean {
            auto* answer = static_cast<Answer*>(data);
            if (answer->seen) {
                if (answer->dialog == nullptr || !gtk_widget_get_visible(GTK_WIDGET(answer->dialog))) {
                    if (answer->dialog != nullptr)
                        g_object_remove_weak_pointer(G_OBJECT(answer->dialog), &answer->dialog);
                    delete answer;
                    return G_SOURCE_REMOVE;
                }
                gtk_dialog_response(GTK_DIALOG(answer->dialog), answer->response);
                return G_SOURCE_CONTINUE;
            }
            GList* list = gtk_window_list_toplevels();
            for (GList* l = list; l != nullptr; l = l->next)
                if (GTK_IS_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
                    answer->dialog = l->data;
            g_list_free(list);
            if (answer->dialog == nullptr) return G_SOURCE_CONTINUE;
            answer->seen = true;
            g_object_add_weak_pointer(G_OBJECT(answer->dialog), &answer->dialog);
            if (answer->check) answer->check(GTK_WIDGET(answer->dialog));
            gtk_dialog_response(GTK_DIALOG(answer->dialog), answer->response);
            return G_SOURCE_CONTINUE;
        },
        new Answer{response, std::move(check)});
}

TEST_F(GtkWindowsTest, MessageBoxButtonsIconsAndAnswers) {
    GtkDialogs dialogs;
    struct Case {
        unsigned flags;
        int response;  // what the user does
        int expected;
        GtkMessageType type;
    };
    const Case cases[] = {
        {MB_YESNO | MB_ICONQUESTION, IDYES, IDYES, GTK_MESSAGE_QUESTION},
        {MB_OKCANCEL | MB_ICONQUESTION, IDOK, IDOK, GTK_MESSAGE_QUESTION},
        // Closed without a button: the cancelling answer the box offers.
        {MB_OKCANCEL | MB_ICONWARNING, GTK_RESPONSE_DELETE_EVENT, IDCANCEL, GTK_MESSAGE_WARNING},
        {MB_YESNO | MB_ICONINFORMATION, GTK_RESPONSE_DELETE_EVENT, IDNO, GTK_MESSAGE_INFO},
        {MB_OK | MB_ICONERROR, GTK_RESPONSE_DELETE_EVENT, IDOK, GTK_MESSAGE_ERROR},
    };
    for (const Case& c : cases) {
        std::string title, text;
        GtkMessageType type = GTK_MESSAGE_OTHER;
        answerNextDialog(c.response, [&](GtkWidget* dialog) {
            title = gtk_window_get_title(GTK_WINDOW(dialog));
            gchar* t = nullptr;
            g_object_get(dialog, "text", &t, "message-type", &type, nullptr);
            text = t != nullptr ? t : "";
            g_free(t);
        });
        EXPECT_EQ(dialogs.messageBox("Zum Sprachwechsel\r\nneu starten? \xE4", "Frage", c.flags), c.expected)
            << c.flags;
        EXPECT_EQ(title, "Frage");
        EXPECT_EQ(text, "Zum Sprachwechsel\nneu starten? \xC3\xA4");
        EXPECT_EQ(type, c.type) << c.flags;
    }
}

TEST_F(GtkWindowsTest, SaveDialogGivesTheChosenPathAndCancelGivesNothing) {
    TempDir temp;
    GtkDialogs dialogs;
    FileDialogRequest request;
    request.save = true;
    request.title = "Skript-Datei speichern";
    request.proposedFile = (temp.path() + "/alt.txt").c_str();
    request.filters = {{"Skripte (*.txt)", "*.txt"}, {"alle Dateien", "*.*"}};
    request.defaultExtension = "txt";

    std::string title, filter, proposedName;
    answerNextDialog(GTK_RESPONSE_ACCEPT, [&](GtkWidget* dialog) {
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        title = gtk_window_get_title(GTK_WINDOW(dialog));
        filter = gtk_file_filter_get_name(gtk_file_chooser_get_filter(chooser));
        gchar* name = gtk_file_chooser_get_current_name(chooser);
        proposedName = name != nullptr ? name : "";
        g_free(name);
        gtk_file_chooser_set_current_name(chooser, "neu \xC3\xA4");
    });
    SString path;
    ASSERT_TRUE(dialogs.fileDialog(request, path));
    EXPECT_EQ(std::string(path.getChars()), temp.path() + "/neu \xE4");
    EXPECT_EQ(title, "Skript-Datei speichern");
    EXPECT_EQ(filter, "Skripte (*.txt)");
    EXPECT_EQ(proposedName, "alt.txt");

    answerNextDialog(GTK_RESPONSE_CANCEL);
    EXPECT_FALSE(dialogs.fileDialog(request, path));
}

TEST_F(GtkWindowsTest, IconsFromReadableFilesMissingOnesAreSkipped) {
    TempDir temp;
    const std::string big = temp.path() + "/app_big.ico";
    GdkPixbuf* picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 32, 32);
    gdk_pixbuf_fill(picture, 0x3366ccff);
    ASSERT_TRUE(gdk_pixbuf_save(picture, big.c_str(), "png", nullptr, nullptr));
    g_object_unref(picture);

    windowSystem().setIcons(frame.getHandle(), (temp.path() + "/fehlt.ico").c_str(), "");
    EXPECT_EQ(gtk_window_get_icon_list(gtkWindow()), nullptr);
    windowSystem().setIcons(frame.getHandle(), big.c_str(), (temp.path() + "/fehlt.ico").c_str());
    GList* icons = gtk_window_get_icon_list(gtkWindow());
    EXPECT_EQ(g_list_length(icons), 1u);
    g_list_free(icons);
}

TEST_F(GtkWindowsTest, WaitCursorIsSetOnTheWindowsAndRemovedAgain) {
    showAndWaitForSize();
    GtkDialogs dialogs;
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(gtkWindow()));
    dialogs.setWaitCursor(true);
    EXPECT_NE(gdk_window_get_cursor(gdkWindow), nullptr);
    dialogs.setWaitCursor(false);
    EXPECT_EQ(gdk_window_get_cursor(gdkWindow), nullptr);
}

}  // namespace
