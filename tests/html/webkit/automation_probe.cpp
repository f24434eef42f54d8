// A page host driven by WebKitWebDriver in the automation test: a window with the page, started
// with "--automation" by the driver. A command link ("vyx:...") writes its address into the
// element "out" and is cancelled, as the terminal page handles its commands; closing the
// browsing context closes the window and ends the program.

#include "IntHtmView.h"
#include "WebKitEngine.h"

#include <gtk/gtk.h>

#include <cstring>

namespace {
class Host : public IntHtmView {
public:
    Host() { expandPage = nullptr; }
    int onBeforeNavigate2(IDispatch*, const SString& url, const SString&, VARIANT*, const SString&) override {
        if (!url.startsWith("vyx:")) return 0;
        SHtmlElement out;
        if (out.attachById(getDocument(), "out")) out.setInnerText(SString("Befehl ") + url);
        return 1;
    }
};
}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--automation") == 0) webkitEnableAutomation(true);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window), fixed);
    gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
    gtk_widget_show_all(window);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    webkitSetCloseHandler([window] { gtk_widget_destroy(window); });

    WebKitEngine engine;
    Host host;
    host.setRect({0, 0, 640, 480});
    if (!host.create(reinterpret_cast<HWND>(fixed))) return 1;
    host.showHtml("<title>Zyntra</title><p id=out>bereit \xE4</p><a id=command href='vyx:port?nr=3'>Port</a>",
                  "");
    gtk_main();
    host.closeBrowser();
    return 0;
}
