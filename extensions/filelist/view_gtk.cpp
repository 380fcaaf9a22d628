// The list view on GTK: a GtkTreeView of a GtkListStore in a scrolled window,
// put into the client area's GtkLayout at client coordinates.
#include <gtk/gtk.h>

#include "view.h"

namespace filelist {

// The store's columns: the three shown, then what the list sorts by and the
// path that selection returns.
enum Column { kName, kSizeText, kModifiedText, kSize, kModified, kPath, kColumnCount };

struct View {
    GtkWidget* layout = nullptr;
    GtkWidget* scrolled = nullptr;  // null once GTK has destroyed it
    GtkWidget* tree = nullptr;
    GtkListStore* store = nullptr;
};

namespace {

void onDestroyed(GtkWidget*, gpointer data) {
    View* view = static_cast<View*>(data);
    view->scrolled = nullptr;
    view->tree = nullptr;
}

void addColumn(GtkTreeView* tree, const char* title, int textColumn, int sortColumn, float alignment) {
    GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
    g_object_set(renderer, "xalign", alignment, nullptr);
    GtkTreeViewColumn* column = gtk_tree_view_column_new_with_attributes(title, renderer, "text", textColumn, nullptr);
    gtk_tree_view_column_set_sort_column_id(column, sortColumn);
    gtk_tree_view_column_set_resizable(column, TRUE);
    gtk_tree_view_append_column(tree, column);
}

// Texts from Tcl are UTF-8 but for the odd invalid byte, which GTK would
// refuse with a warning.
std::string validText(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
    gchar* fixed = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(fixed);
    g_free(fixed);
    return result;
}

std::string stringAt(GtkTreeModel* model, GtkTreeIter* iter, int column) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, iter, column, &text, -1);
    std::string result = text != nullptr ? text : "";
    g_free(text);
    return result;
}

}  // namespace

void ViewDeleter::operator()(View* view) const {
    if (view->scrolled != nullptr) {
        g_signal_handlers_disconnect_by_data(view->scrolled, view);
        gtk_widget_destroy(view->scrolled);
    }
    if (view->store != nullptr) g_object_unref(view->store);
    std::unique_ptr<View> owned(view);
}

ViewPtr createView(void* clientArea) {
    if (!GTK_IS_LAYOUT(clientArea)) return nullptr;
    ViewPtr view(std::make_unique<View>().release());
    view->layout = GTK_WIDGET(clientArea);
    view->store = gtk_list_store_new(kColumnCount, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_INT64,
                                     G_TYPE_INT64, G_TYPE_STRING);
    view->tree = gtk_tree_view_new_with_model(GTK_TREE_MODEL(view->store));
    GtkTreeView* tree = GTK_TREE_VIEW(view->tree);
    addColumn(tree, "Name", kName, kName, 0.0f);
    addColumn(tree, "Size", kSizeText, kSize, 1.0f);
    addColumn(tree, "Modified", kModifiedText, kModified, 0.0f);
    gtk_tree_view_set_search_column(tree, kName);
    gtk_tree_selection_set_mode(gtk_tree_view_get_selection(tree), GTK_SELECTION_MULTIPLE);
    view->scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(view->scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(view->scrolled), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(view->scrolled), view->tree);
    gtk_widget_show(view->tree);
    g_signal_connect(view->scrolled, "destroy", G_CALLBACK(onDestroyed), view.get());
    gtk_layout_put(GTK_LAYOUT(view->layout), view->scrolled, 0, 0);
    return view;
}

bool viewAlive(const View& view) { return view.scrolled != nullptr; }

void placeView(View& view, const Bounds& bounds) {
    gtk_layout_move(GTK_LAYOUT(view.layout), view.scrolled, bounds.left, bounds.top);
    gtk_widget_set_size_request(view.scrolled, bounds.width, bounds.height);
    gtk_widget_show(view.scrolled);
}

Bounds viewBounds(const View& view) {
    Bounds bounds;
    gtk_container_child_get(GTK_CONTAINER(view.layout), view.scrolled, "x", &bounds.left, "y", &bounds.top, nullptr);
    gtk_widget_get_size_request(view.scrolled, &bounds.width, &bounds.height);
    return bounds;
}

void showRows(View& view, const std::vector<Row>& rows) {
    // Filled while detached from the view and unsorted, so that neither the
    // view nor the sort runs once per row.
    GtkTreeModel* model = GTK_TREE_MODEL(view.store);
    int sortColumn = GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID;
    GtkSortType order = GTK_SORT_ASCENDING;
    gtk_tree_sortable_get_sort_column_id(GTK_TREE_SORTABLE(model), &sortColumn, &order);
    g_object_ref(model);
    gtk_tree_view_set_model(GTK_TREE_VIEW(view.tree), nullptr);
    gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(model), GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID,
                                         GTK_SORT_ASCENDING);
    gtk_list_store_clear(view.store);
    for (const Row& row : rows) {
        gtk_list_store_insert_with_values(view.store, nullptr, -1, kName, validText(row.name).c_str(), kSizeText,
                                          row.sizeText.c_str(), kModifiedText, validText(row.modifiedText).c_str(),
                                          kSize, static_cast<gint64>(row.size), kModified,
                                          static_cast<gint64>(row.modified), kPath, row.path.c_str(), -1);
    }
    if (sortColumn != GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID) {
        gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(model), sortColumn, order);
    }
    gtk_tree_view_set_model(GTK_TREE_VIEW(view.tree), model);
    g_object_unref(model);
}

std::vector<std::string> viewPaths(const View& view, bool selectedOnly) {
    std::vector<std::string> paths;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view.tree));
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(view.tree));
    GtkTreeIter iter;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more; more = gtk_tree_model_iter_next(model, &iter)) {
        if (!selectedOnly || gtk_tree_selection_iter_is_selected(selection, &iter))
            paths.push_back(stringAt(model, &iter, kPath));
    }
    return paths;
}

std::vector<std::vector<std::string>> viewTexts(const View& view) {
    std::vector<std::vector<std::string>> rows;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view.tree));
    GtkTreeIter iter;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more; more = gtk_tree_model_iter_next(model, &iter)) {
        rows.push_back({stringAt(model, &iter, kName), stringAt(model, &iter, kSizeText),
                        stringAt(model, &iter, kModifiedText)});
    }
    return rows;
}

void focusView(View& view) { gtk_widget_grab_focus(view.tree); }

}  // namespace filelist
