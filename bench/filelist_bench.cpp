// How long the filelist extension takes to show 10,000 files, on GTK: the
// extension's own row reading and list view (rows.cpp, view_gtk.cpp) in a
// window laid out as vesk2b's (a GtkLayout under a menu bar's box), timed
// from the first stat to the end of the list's first draw. bench/filelist.sh
// runs it beside wish doing the same in a ttk::treeview.
//
// Usage: filelist_bench FOLDER   (the files to show: every entry of FOLDER)
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>

#include "rows.h"
#include "view.h"

namespace {

using Clock = std::chrono::steady_clock;
bool drawn = false;

gboolean onDraw(GtkWidget*, cairo_t*, gpointer) {
    drawn = true;
    return FALSE;
}

void runUntil(const bool& flag) {
    while (!flag) gtk_main_iteration();
}

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

GtkWidget* treeIn(GtkWidget* layout) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
    GtkWidget* tree = children != nullptr ? gtk_bin_get_child(GTK_BIN(children->data)) : nullptr;
    g_list_free(children);
    return tree;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: filelist_bench FOLDER\n");
        return 2;
    }
    gtk_init(&argc, &argv);
    std::vector<std::string> paths;
    if (DIR* folder = opendir(argv[1]); folder != nullptr) {
        while (dirent* entry = readdir(folder)) {
            if (entry->d_name[0] != '.') paths.push_back(std::string(argv[1]) + "/" + entry->d_name);
        }
        closedir(folder);
    }
    std::sort(paths.begin(), paths.end());

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* layout = gtk_layout_new(nullptr, nullptr);
    gtk_box_pack_end(GTK_BOX(box), layout, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    filelist::ViewPtr view = filelist::createView(layout);
    filelist::placeView(*view, {0, 0, 640, 480});
    GtkWidget* tree = treeIn(layout);
    g_signal_connect_after(tree, "draw", G_CALLBACK(onDraw), nullptr);
    gtk_widget_show_all(window);
    runUntil(drawn);  // the empty list on the screen

    drawn = false;
    const Clock::time_point start = Clock::now();
    std::vector<filelist::Row> rows;
    rows.reserve(paths.size());
    for (const std::string& path : paths) rows.push_back(filelist::readRow(path));
    const Clock::time_point read = Clock::now();
    filelist::showRows(*view, rows);
    const Clock::time_point filled = Clock::now();
    runUntil(drawn);
    const Clock::time_point shown = Clock::now();
    std::printf("files %zu rows %zu\n", paths.size(), filelist::viewTexts(*view).size());
    std::printf("stat and format %.1f ms, fill %.1f ms, first draw %.1f ms, whole %.1f ms\n", msBetween(start, read),
                msBetween(read, filled), msBetween(filled, shown), msBetween(start, shown));
    return 0;
}
