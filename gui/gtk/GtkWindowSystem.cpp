// The window seam on GTK 3.
//
// Implements: frame windows (a GtkWindow whose only child, a GtkFixed of minimum size 0 x 0, is the
// client area and the frame's HWND), push buttons in the client area, moving, sizing, focus,
// titles, icons, showing and destroying; WM_SIZE, WM_CLOSE, WM_COMMAND and WM_DESTROY to the
// window procedures, and key presses and releases as WM_KEYDOWN / WM_KEYUP with virtual-key codes
// offered to preTranslateMessage before GTK sees them.
// Does not implement: other controls, menus, tool bars, drawing; keys without a virtual-key code
// (characters of other layouts) go to the widgets without being offered.
#include "GtkDialogs.h"
#include "GtkText.h"
#include "WindowSystem.h"

#include <gtk/gtk.h>

#include <algorithm>

namespace {

const char* const kProcedureKey = "vyx-window-procedure";
const char* const kClientSizeKey = "vyx-client-size";

// --- The client area: a GtkFixed that asks for no minimum size, so the children (placed by the
// program, possibly beyond the edges) never keep the user from making the window smaller.
typedef struct {
    GtkFixed parent;
} VyxClientArea;
typedef struct {
    GtkFixedClass parentClass;
} VyxClientAreaClass;

G_DEFINE_TYPE(VyxClientArea, vyx_client_area, GTK_TYPE_FIXED)

void clientAreaPreferredWidth(GtkWidget* widget, gint* minimum, gint* natural) {
    GTK_WIDGET_CLASS(vyx_client_area_parent_class)->get_preferred_width(widget, minimum, natural);
    *minimum = 0;
}
void clientAreaPreferredHeight(GtkWidget* widget, gint* minimum, gint* natural) {
    GTK_WIDGET_CLASS(vyx_client_area_parent_class)->get_preferred_height(widget, minimum, natural);
    *minimum = 0;
}
void vyx_client_area_class_init(VyxClientAreaClass* cls) {
    GTK_WIDGET_CLASS(cls)->get_preferred_width = clientAreaPreferredWidth;
    GTK_WIDGET_CLASS(cls)->get_preferred_height = clientAreaPreferredHeight;
}
void vyx_client_area_init(VyxClientArea*) {}

GtkWidget* widgetOf(HWND window) {
    return reinterpret_cast<GtkWidget*>(window);
}
HWND handleOf(GtkWidget* widget) {
    return reinterpret_cast<HWND>(widget);
}
WindowProcedure* procedureOf(GtkWidget* widget) {
    return widget ? static_cast<WindowProcedure*>(g_object_get_data(G_OBJECT(widget), kProcedureKey))
                  : nullptr;
}
bool isClientArea(GtkWidget* widget) {
    return G_TYPE_CHECK_INSTANCE_TYPE(widget, vyx_client_area_get_type());
}
GtkWindow* frameOf(HWND frame) {
    GtkWidget* top = gtk_widget_get_toplevel(widgetOf(frame));
    return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

// --- Virtual-key codes of the keys the program and the page can ask for.
unsigned virtualKey(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return unsigned('A' + (keyval - GDK_KEY_a));
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return unsigned('A' + (keyval - GDK_KEY_A));
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return unsigned('0' + (keyval - GDK_KEY_0));
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return 0x70 + (keyval - GDK_KEY_F1);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9) return 0x60 + (keyval - GDK_KEY_KP_0);
    switch (keyval) {
        case GDK_KEY_BackSpace:
            return 0x08;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab:
            return 0x09;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
            return 0x0D;
        case GDK_KEY_Shift_L:
        case GDK_KEY_Shift_R:
            return 0x10;
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R:
            return 0x11;
        case GDK_KEY_Alt_L:
        case GDK_KEY_Alt_R:
            return 0x12;
        case GDK_KEY_Pause:
            return 0x13;
        case GDK_KEY_Escape:
            return 0x1B;
        case GDK_KEY_space:
            return 0x20;
        case GDK_KEY_Page_Up:
            return 0x21;
        case GDK_KEY_Page_Down:
            return 0x22;
        case GDK_KEY_End:
            return 0x23;
        case GDK_KEY_Home:
            return 0x24;
        case GDK_KEY_Left:
            return 0x25;
        case GDK_KEY_Up:
            return 0x26;
        case GDK_KEY_Right:
            return 0x27;
        case GDK_KEY_Down:
            return 0x28;
        case GDK_KEY_Insert:
            return 0x2D;
        case GDK_KEY_Delete:
            return 0x2E;
        case GDK_KEY_KP_Multiply:
            return 0x6A;
        case GDK_KEY_KP_Add:
            return 0x6B;
        case GDK_KEY_KP_Subtract:
            return 0x6D;
        case GDK_KEY_KP_Decimal:
            return 0x6E;
        case GDK_KEY_KP_Divide:
            return 0x6F;
        default:
            return 0;
    }
}

// The key's code without Shift and other levels: Shift+1 is still the key "1".
unsigned virtualKeyOf(GdkEventKey* event) {
    guint keyval = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
    if (!gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode, GdkModifierType(0),
                                             event->group, &keyval, nullptr, nullptr, nullptr))
        keyval = event->keyval;
    unsigned vk = virtualKey(keyval);
    return vk != 0 ? vk : virtualKey(event->keyval);
}

// --- Signals.
gboolean onKey(GtkWidget* window, GdkEventKey* event, gpointer clientArea) {
    WindowProcedure* procedure = procedureOf(GTK_WIDGET(clientArea));
    unsigned vk = virtualKeyOf(event);
    if (procedure == nullptr || vk == 0) return FALSE;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    MSG msg{};
    msg.hwnd = handleOf(focus != nullptr ? focus : GTK_WIDGET(clientArea));
    msg.message = event->type == GDK_KEY_PRESS ? WM_KEYDOWN : WM_KEYUP;
    msg.wParam = vk;
    // Repeat count 1 and the scan code, as the key messages carry them; a release has bits 30/31 set.
    msg.lParam = LPARAM(1 | (LPARAM(event->hardware_keycode & 0xFF) << 16));
    if (msg.message == WM_KEYUP) msg.lParam |= LPARAM(0xC0000000u);
    msg.time = event->time;
    return procedure->preTranslateMessage(msg) ? TRUE : FALSE;
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer clientArea) {
    // The window stays; the procedure's close operation decides and destroys it.
    if (WindowProcedure* procedure = procedureOf(GTK_WIDGET(clientArea)))
        procedure->windowProc(WM_CLOSE, 0, 0);
    return TRUE;
}

void onFrameDestroy(GtkWidget*, gpointer clientArea) {
    WindowProcedure* procedure = procedureOf(GTK_WIDGET(clientArea));
    g_object_set_data(G_OBJECT(clientArea), kProcedureKey, nullptr);
    if (procedure != nullptr) procedure->windowProc(WM_DESTROY, 0, 0);
}

void onControlDestroy(GtkWidget* widget, gpointer) {
    WindowProcedure* procedure = procedureOf(widget);
    g_object_set_data(G_OBJECT(widget), kProcedureKey, nullptr);
    if (procedure != nullptr) procedure->windowProc(WM_DESTROY, 0, 0);
}

void onClientSize(GtkWidget* clientArea, GdkRectangle* allocation, gpointer) {
    guint size = guint((allocation->width & 0xFFFF) | ((allocation->height & 0xFFFF) << 16));
    guint previous = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(clientArea), kClientSizeKey));
    if (previous == size + 1) return;
    g_object_set_data(G_OBJECT(clientArea), kClientSizeKey, GUINT_TO_POINTER(size + 1));
    if (WindowProcedure* procedure = procedureOf(clientArea))
        procedure->windowProc(WM_SIZE, 0,
                              LPARAM(makeLong(unsigned(allocation->width), unsigned(allocation->height))));
}

void onClicked(GtkButton* button, gpointer id) {
    GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(button));
    if (WindowProcedure* procedure = procedureOf(parent))
        procedure->windowProc(WM_COMMAND, makeLong(GPOINTER_TO_UINT(id), BN_CLICKED), LPARAM(button));
}

// Buttons as compact as the program's layouts expect (the theme's padding would make a 24 pixel
// high button overflow its place).
void compactButton(GtkWidget* button) {
    static GtkCssProvider* provider = nullptr;
    if (provider == nullptr) {
        provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(provider, "button { padding: 0 6px; min-height: 0; }", -1, nullptr);
    }
    gtk_style_context_add_provider(gtk_widget_get_style_context(button), GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

class GtkWindowSystem : public WindowSystem {
public:
    bool init() override {
        if (!initialized) initialized = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        return initialized > 0;
    }

    Dialogs* platformDialogs() override { return initialized > 0 ? &gtkDialogs : nullptr; }

    HWND createFrame(WindowProcedure* procedure, const SString& title, int width, int height) override {
        if (!init()) return nullptr;
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(window), gtkText(title).c_str());
        gtk_window_set_default_size(GTK_WINDOW(window), width > 0 ? width : 1, height > 0 ? height : 1);
        GtkWidget* clientArea = GTK_WIDGET(g_object_new(vyx_client_area_get_type(), nullptr));
        gtk_container_add(GTK_CONTAINER(window), clientArea);
        gtk_widget_show(clientArea);
        g_object_set_data(G_OBJECT(clientArea), kProcedureKey, procedure);
        g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), clientArea);
        g_signal_connect(window, "key-press-event", G_CALLBACK(onKey), clientArea);
        g_signal_connect(window, "key-release-event", G_CALLBACK(onKey), clientArea);
        g_signal_connect(window, "destroy", G_CALLBACK(onFrameDestroy), clientArea);
        g_signal_connect(clientArea, "size-allocate", G_CALLBACK(onClientSize), nullptr);
        return handleOf(clientArea);
    }

    HWND createButton(HWND parent, WindowProcedure* procedure, const SString& caption, int id,
                      const RECT& rect, bool visible) override {
        GtkWidget* fixed = widgetOf(parent);
        if (fixed == nullptr || !GTK_IS_FIXED(fixed)) return nullptr;
        GtkWidget* button = gtk_button_new_with_label(gtkText(caption).c_str());
        compactButton(button);
        g_object_set_data(G_OBJECT(button), kProcedureKey, procedure);
        g_signal_connect(button, "clicked", G_CALLBACK(onClicked), GUINT_TO_POINTER(unsigned(id)));
        g_signal_connect(button, "destroy", G_CALLBACK(onControlDestroy), nullptr);
        gtk_widget_set_size_request(button, std::max(0, int(rect.right - rect.left)),
                                    std::max(0, int(rect.bottom - rect.top)));
        gtk_fixed_put(GTK_FIXED(fixed), button, rect.left, rect.top);
        if (visible) gtk_widget_show(button);
        return handleOf(button);
    }

    void moveWindow(HWND child, int x, int y, int width, int height) override {
        GtkWidget* widget = widgetOf(child);
        GtkWidget* parent = widget ? gtk_widget_get_parent(widget) : nullptr;
        if (parent == nullptr || !GTK_IS_FIXED(parent)) return;
        gtk_fixed_move(GTK_FIXED(parent), widget, x, y);
        gtk_widget_set_size_request(widget, std::max(0, width), std::max(0, height));
    }

    void setTitle(HWND frame, const SString& title) override {
        if (GtkWindow* window = frameOf(frame)) gtk_window_set_title(window, gtkText(title).c_str());
    }

    void setIcons(HWND frame, const SString& bigIconPath, const SString& smallIconPath) override {
        GtkWindow* window = frameOf(frame);
        if (window == nullptr) return;
        GList* icons = nullptr;
        for (const SString* path : {&bigIconPath, &smallIconPath}) {
            if (path->isEmpty()) continue;
            GdkPixbuf* icon = gdk_pixbuf_new_from_file(gtkPath(*path).c_str(), nullptr);
            if (icon != nullptr) icons = g_list_append(icons, icon);
        }
        if (icons == nullptr) return;
        gtk_window_set_icon_list(window, icons);
        g_list_free_full(icons, g_object_unref);
    }

    void showFrame(HWND frame, ShowMode mode, bool centered) override {
        GtkWindow* window = frameOf(frame);
        if (window == nullptr) return;
        if (centered) gtk_window_set_position(window, GTK_WIN_POS_CENTER);
        if (mode == showMaximized) gtk_window_maximize(window);
        if (mode == showMinimized) gtk_window_iconify(window);
        gtk_widget_show(GTK_WIDGET(window));
        if (mode != showMinimized) gtk_window_present(window);
    }

    void destroy(HWND window) override {
        GtkWidget* widget = widgetOf(window);
        if (widget == nullptr) return;
        if (isClientArea(widget)) {
            if (GtkWindow* frame = frameOf(window)) widget = GTK_WIDGET(frame);
        }
        gtk_widget_destroy(widget);
    }

    bool getClientSize(HWND frame, int& width, int& height) override {
        GtkWidget* widget = widgetOf(frame);
        if (widget == nullptr) return false;
        guint size = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(widget), kClientSizeKey));
        if (size != 0) {
            --size;
            width = int(size & 0xFFFF);
            height = int(size >> 16);
            return true;
        }
        // Not laid out yet: the size the frame asked for.
        GtkWindow* window = frameOf(frame);
        if (window == nullptr) return false;
        gtk_window_get_size(window, &width, &height);
        return true;
    }

    void setFocus(HWND window) override {
        GtkWidget* widget = widgetOf(window);
        if (widget == nullptr) return;
        if (isClientArea(widget)) {
            if (GtkWindow* frame = frameOf(window)) gtk_window_present(frame);
            return;
        }
        gtk_widget_grab_focus(widget);
    }

private:
    int initialized = 0;
    GtkDialogs gtkDialogs;
};

}  // namespace

WindowSystem& platformWindowSystem() {
    static GtkWindowSystem* system = new GtkWindowSystem();
    return *system;
}
