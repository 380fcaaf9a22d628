// Menus: a tree of items per handle, shown as a GtkMenuBar with GtkMenus.
//
// The items are kept here first; GTK widgets for a menu are made when it is
// installed as a bar, or, for a submenu, when its parent item is first
// selected. A bar of thousands of items in submenus thus costs no widgets
// until the user opens those submenus.
#include <map>
#include <string>
#include <vector>

#include "platform/common/windows.h"
#include "platform/gtk/gtk_internal.h"

namespace platform {
namespace {

enum class ItemKind { command, submenu, separator };

struct Item {
    ItemKind kind = ItemKind::command;
    std::uint32_t id = 0;
    std::string label;          // "caption" or "caption\tshortcut"
    MenuHandle subMenu = 0;
    GtkWidget* widget = nullptr;
};

struct Menu {
    std::vector<Item> items;
    GtkWidget* shell = nullptr; // GtkMenuBar or GtkMenu, held by a reference of ours
    bool isBar = false;
    bool filled = false;        // the items have their widgets
    MenuHandle parent = 0;      // the menu whose item opens this one
    WindowHandle window = 0;    // the window showing this menu as its bar
};

std::map<MenuHandle, Menu> menus;
std::map<WindowHandle, MenuHandle> bars;
MenuHandle nextMenu = 0x20001;
GtkMenuItemClass* menuItemClass = nullptr;  // the parent class of submenu items

Menu* find(MenuHandle handle) {
    auto found = menus.find(handle);
    if (found == menus.end()) {
        common::setLastError(kErrorInvalidMenuHandle);
        return nullptr;
    }
    return &found->second;
}

// Windows marks mnemonics with '&' ("&&" for the character), GTK with '_'.
std::string mnemonicText(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                result += '&';
                ++i;
            } else {
                result += '_';
            }
        } else if (c == '_') {
            result += "__";
        } else {
            result += c;
        }
    }
    return result;
}

gboolean deliverCommand(gpointer data) {
    auto packed = static_cast<std::uint64_t>(GPOINTER_TO_SIZE(data));
    auto window = static_cast<WindowHandle>(packed >> 16);
    gtk::deliver(window, kWmCommand, common::commandParam(static_cast<std::uint16_t>(packed & 0xFFFF), false), 0);
    return G_SOURCE_REMOVE;
}

void onActivate(GtkMenuItem* widget, gpointer data) {
    auto menu = static_cast<MenuHandle>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "vesk-menu")));
    while (Menu* record = find(menu)) {
        if (record->parent == 0) break;
        menu = record->parent;
    }
    Menu* root = find(menu);
    if (root == nullptr || root->window == 0) return;
    // Delivered as a message of its own once GTK has closed the menu, so the
    // action may rebuild or destroy the very menu it came from.
    std::uint64_t packed = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(root->window)) << 16) | (GPOINTER_TO_UINT(data) & 0xFFFF);
    g_idle_add(deliverCommand, GSIZE_TO_POINTER(packed));
}

void fill(MenuHandle handle);

// A submenu item fills its submenu in its own "select" handler, before
// GtkMenuItem's pops it up, so the submenu is measured with its items.
void selectSubmenuItem(GtkMenuItem* widget) {
    if (gpointer sub = g_object_get_data(G_OBJECT(widget), "vesk-submenu"); sub != nullptr)
        fill(static_cast<MenuHandle>(GPOINTER_TO_INT(sub)));
    menuItemClass->select(widget);
}

void initSubmenuItemClass(gpointer itemClass, gpointer) {
    menuItemClass = GTK_MENU_ITEM_CLASS(g_type_class_peek_parent(itemClass));
    GTK_MENU_ITEM_CLASS(itemClass)->select = selectSubmenuItem;
}

GType submenuItemType() {
    static GType type = g_type_register_static_simple(GTK_TYPE_MENU_ITEM, "VeskSubmenuItem", sizeof(GtkMenuItemClass),
                                                      initSubmenuItemClass, sizeof(GtkMenuItem), nullptr, GTypeFlags{});
    return type;
}

GtkWidget* makeShell(Menu& menu, bool asBar) {
    menu.shell = asBar ? gtk_menu_bar_new() : gtk_menu_new();
    g_object_ref_sink(menu.shell);
    menu.isBar = asBar;
    return menu.shell;
}

GtkWidget* makeItemWidget(MenuHandle owner, const Item& item) {
    if (item.kind == ItemKind::separator) {
        GtkWidget* separator = gtk_separator_menu_item_new();
        gtk_widget_show(separator);
        return separator;
    }
    GtkWidget* widget = item.kind == ItemKind::submenu ? GTK_WIDGET(g_object_new(submenuItemType(), nullptr)) : gtk_menu_item_new();
    std::string text = gtk::validUtf8(item.label.c_str());
    std::size_t tab = text.find('\t');
    GtkWidget* caption = gtk_label_new_with_mnemonic(mnemonicText(std::string_view(text).substr(0, tab)).c_str());
    gtk_label_set_xalign(GTK_LABEL(caption), 0.0f);
    gtk_label_set_mnemonic_widget(GTK_LABEL(caption), widget);
    if (tab == std::string::npos) {
        gtk_container_add(GTK_CONTAINER(widget), caption);
    } else {
        // Caption on the left, shortcut text right-aligned, as in GtkAccelLabel.
        GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 24);
        GtkWidget* shortcut = gtk_label_new(text.c_str() + tab + 1);
        gtk_label_set_xalign(GTK_LABEL(shortcut), 1.0f);
        gtk_style_context_add_class(gtk_widget_get_style_context(shortcut), "dim-label");
        gtk_box_pack_start(GTK_BOX(row), caption, TRUE, TRUE, 0);
        gtk_box_pack_end(GTK_BOX(row), shortcut, FALSE, FALSE, 0);
        gtk_widget_show(shortcut);
        gtk_widget_show(row);
        gtk_container_add(GTK_CONTAINER(widget), row);
    }
    gtk_widget_show(caption);
    g_object_set_data(G_OBJECT(widget), "vesk-menu", GINT_TO_POINTER(owner));
    if (item.kind == ItemKind::command) {
        g_signal_connect(widget, "activate", G_CALLBACK(onActivate), GUINT_TO_POINTER(item.id));
    } else if (Menu* sub = find(item.subMenu); sub != nullptr) {
        if (sub->shell == nullptr) makeShell(*sub, false);
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), sub->shell);
        g_object_set_data(G_OBJECT(widget), "vesk-submenu", GINT_TO_POINTER(item.subMenu));
    }
    gtk_widget_show(widget);
    return widget;
}

void fill(MenuHandle handle) {
    Menu* menu = find(handle);
    if (menu == nullptr || menu->filled || menu->shell == nullptr) return;
    menu->filled = true;
    for (Item& item : menu->items) {
        item.widget = makeItemWidget(handle, item);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu->shell), item.widget);
    }
}

void destroyTree(MenuHandle handle) {
    Menu* menu = find(handle);
    if (menu == nullptr) return;
    std::vector<MenuHandle> children;
    for (const Item& item : menu->items)
        if (item.kind == ItemKind::submenu && item.subMenu != 0) children.push_back(item.subMenu);
    GtkWidget* shell = menu->shell;
    menus.erase(handle);
    for (MenuHandle child : children) destroyTree(child);
    if (shell != nullptr) {
        gtk_widget_destroy(shell);
        g_object_unref(shell);
    }
}

}  // namespace

namespace gtk {

void windowDestroyed(WindowHandle window) {
    auto installed = bars.find(window);
    if (installed == bars.end()) return;
    MenuHandle bar = installed->second;
    bars.erase(installed);
    if (Menu* menu = find(bar)) menu->window = 0;
    destroyMenu(bar);  // a window's bar goes with it, as on Windows
}

}  // namespace gtk

MenuHandle createMenu() {
    MenuHandle handle = nextMenu++;
    menus.emplace(handle, Menu{});
    return handle;
}

bool destroyMenu(MenuHandle handle) {
    Menu* menu = find(handle);
    if (menu == nullptr) return false;
    // Unhook it from where it hangs: its parent's item keeps no dangling handle.
    if (Menu* parent = menu->parent != 0 ? find(menu->parent) : nullptr) {
        for (Item& item : parent->items) {
            if (item.subMenu != handle) continue;
            item.subMenu = 0;
            if (item.widget != nullptr) {
                g_object_set_data(G_OBJECT(item.widget), "vesk-submenu", nullptr);
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(item.widget), nullptr);
            }
        }
    }
    menu = find(handle);
    if (menu->window != 0) {
        if (GtkBox* slot = gtk::menuSlot(menu->window)) gtk_container_remove(GTK_CONTAINER(slot), menu->shell);
        bars.erase(menu->window);
    }
    destroyTree(handle);
    return true;
}

MenuHandle getMenu(WindowHandle window) {
    if (gtk::toplevel(window) == nullptr) return 0;
    auto installed = bars.find(window);
    return installed == bars.end() ? 0 : installed->second;
}

bool setMenu(WindowHandle window, MenuHandle handle) {
    GtkBox* slot = gtk::menuSlot(window);
    if (slot == nullptr) return false;
    Menu* menu = nullptr;
    if (handle != 0) {
        menu = find(handle);
        if (menu == nullptr) return false;
        if (menu->parent != 0 || (menu->window != 0 && menu->window != window) || (menu->shell != nullptr && !menu->isBar)) {
            common::setLastError(kErrorInvalidMenuHandle);
            return false;
        }
    }
    MenuHandle old = getMenu(window);
    if (old == handle) return true;
    // Old bar out and new bar in within one call: GTK draws the window once.
    if (Menu* oldMenu = old != 0 ? find(old) : nullptr) {
        gtk_container_remove(GTK_CONTAINER(slot), oldMenu->shell);
        oldMenu->window = 0;
        bars.erase(window);
    }
    if (menu != nullptr) {
        if (menu->shell == nullptr) makeShell(*menu, true);
        fill(handle);
        menu = find(handle);
        gtk_box_pack_start(slot, menu->shell, FALSE, FALSE, 0);
        gtk_box_reorder_child(slot, menu->shell, 0);
        // An empty bar takes no room, as on Windows.
        gtk_widget_set_visible(menu->shell, !menu->items.empty());
        menu->window = window;
        bars[window] = handle;
        gtk::fitContents(window);
    }
    // Last: the resize script may run in here and rebuild or destroy anything.
    gtk::menuBarChanged(window);
    return true;
}

bool insertMenuItem(MenuHandle handle, std::uint32_t position, bool byPosition, const MenuItem& record) {
    Menu* menu = find(handle);
    if (menu == nullptr) return false;
    if (record.size != kMenuItemInfoSize) {
        common::setLastError(kErrorInvalidParameter);
        return false;
    }
    Item item;
    if ((record.mask & kMiimType) && (record.type & kMftSeparator)) {
        item.kind = ItemKind::separator;
    } else {
        item.kind = (record.mask & kMiimSubmenu) && record.subMenu != 0 ? ItemKind::submenu : ItemKind::command;
        if (record.mask & kMiimId) item.id = record.id;
        if ((record.mask & kMiimType) && record.text != nullptr) item.label = record.text;
    }
    if (item.kind == ItemKind::submenu) {
        Menu* sub = find(record.subMenu);
        if (sub == nullptr) return false;
        // One parent per submenu, never a bar, never its own ancestor.
        bool cycle = false;
        for (MenuHandle up = handle; up != 0 && !cycle; up = menus.at(up).parent) cycle = up == record.subMenu;
        if (sub->parent != 0 || sub->window != 0 || (sub->shell != nullptr && sub->isBar) || cycle) {
            common::setLastError(kErrorInvalidMenuHandle);
            return false;
        }
        sub->parent = handle;
        item.subMenu = record.subMenu;
    }
    std::size_t index = menu->items.size();
    if (byPosition) {
        if (position < index) index = position;
    } else {
        for (std::size_t i = 0; i < menu->items.size(); ++i)
            if (menu->items[i].kind == ItemKind::command && menu->items[i].id == position) index = i;
    }
    auto inserted = menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    if (menu->filled) {
        inserted->widget = makeItemWidget(handle, *inserted);
        gtk_menu_shell_insert(GTK_MENU_SHELL(menu->shell), inserted->widget, static_cast<gint>(index));
        if (menu->window != 0) gtk_widget_show(menu->shell);
    }
    return true;
}

}  // namespace platform
