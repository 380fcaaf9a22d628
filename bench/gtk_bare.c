/* The yardstick for vesk2b's start-up: a bare GTK 3 program that opens one
   window the way vesk2b does (shown, then destroyed at once) and ends. */
#include <gtk/gtk.h>

static void on_destroy(GtkWidget *widget, gpointer data) {
    (void)widget;
    *(gboolean *)data = TRUE;
}

int main(int argc, char **argv) {
    gboolean done = FALSE;
    gtk_init(&argc, &argv);
    GtkWidget *window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "no title");
    gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
    g_signal_connect(window, "destroy", G_CALLBACK(on_destroy), &done);
    gtk_widget_show(window);
    gdk_display_flush(gtk_widget_get_display(window));
    gtk_widget_destroy(window);
    while (!done || g_main_context_pending(NULL)) g_main_context_iteration(NULL, FALSE);
    return 0;
}
