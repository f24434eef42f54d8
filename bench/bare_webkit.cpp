// The baseline of the start-up benchmark (bench/startup.sh): a GTK window of the program's size
// with nothing but a WebKitGTK web view, which loads a page text (UTF-8) with a base address, as
// the program's page engine does, and prints "loaded" on standard output when the load has
// finished. It then stays open until it is ended (the benchmark measures its memory meanwhile).
//
// usage: bare_webkit <page file (UTF-8)> <base URI>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>

namespace {

void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer) {
    if (event != WEBKIT_LOAD_FINISHED) return;
    std::printf("loaded\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <page file (UTF-8)> <base URI>\n", argv[0]);
        return 2;
    }
    gtk_init(&argc, &argv);
    gchar* html = nullptr;
    if (!g_file_get_contents(argv[1], &html, nullptr, nullptr)) {
        std::fprintf(stderr, "bare_webkit: cannot read %s\n", argv[1]);
        return 1;
    }
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 1000, 700);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    GtkWidget* view = webkit_web_view_new();
    gtk_container_add(GTK_CONTAINER(window), view);
    g_signal_connect(view, "load-changed", G_CALLBACK(onLoadChanged), nullptr);
    gtk_widget_show_all(window);
    webkit_web_view_load_html(WEBKIT_WEB_VIEW(view), html, argv[2]);
    g_free(html);
    gtk_main();
    return 0;
}
