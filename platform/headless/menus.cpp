// Menus of the headless platform, kept as trees of item records.
#include <algorithm>

#include "platform/common/process.h"
#include "platform/headless/headless_internal.h"

namespace headless {

MenusState& menusState() {
    static MenusState instance;
    return instance;
}

bool barHasItems(platform::MenuHandle menu) {
    const auto bar = menusState().menus.find(menu);
    return bar != menusState().menus.end() && !bar->second.empty();
}

void destroyMenuTree(platform::MenuHandle menu) {
    auto& menus = menusState().menus;
    auto it = menus.find(menu);
    if (it == menus.end()) return;
    const std::vector<MenuItemRecord> items = std::move(it->second);
    menus.erase(it);
    for (const MenuItemRecord& item : items) {
        if (item.subMenu != 0) destroyMenuTree(item.subMenu);
    }
}

}  // namespace headless

namespace platform {
namespace {

using headless::record;

// True, with the error Windows reports, for a handle that names no menu;
// counts the uses of stale handles (0 is no menu, not a stale one).
bool badMenu(MenuHandle menu) {
    auto& s = headless::menusState();
    if (s.menus.count(menu) != 0) return false;
    if (menu != 0) ++s.invalidMenuUses;
    common::setLastError(kErrorInvalidMenuHandle);
    return true;
}

}  // namespace

MenuHandle createMenu() {
    record("CreateMenu");
    const MenuHandle menu = headless::newHandle();
    headless::menusState().menus[menu];
    return menu;
}

bool destroyMenu(MenuHandle menu) {
    record("DestroyMenu", menu);
    if (badMenu(menu)) return false;
    headless::destroyMenuTree(menu);
    return true;
}

MenuHandle getMenu(WindowHandle window) {
    record("GetMenu", window);
    const headless::Window* w = headless::find(window);
    return w == nullptr ? 0 : w->menu;
}

bool setMenu(WindowHandle window, MenuHandle menu) {
    record("SetMenu", window, menu);
    headless::Window* w = headless::existingWindow(window);
    if (w == nullptr) return false;
    if (menu != 0 && badMenu(menu)) return false;
    const Rect before = headless::clientOf(*w);
    w->menu = menu;
    const Rect after = headless::clientOf(*w);
    // Win32 sends the size message inside SetMenu when the bar changes the client area.
    if (after.bottom != before.bottom) headless::sendSizeMessage(window, after);
    return true;
}

bool insertMenuItem(MenuHandle menu, std::uint32_t position, bool byPosition, const MenuItem& item) {
    record("InsertMenuItemW", menu, position, byPosition ? 1 : 0, item.size, headless::hex(item.mask),
           headless::hex(item.type), item.id, item.subMenu, item.text != nullptr ? item.text : "(null)");
    auto& s = headless::menusState();
    if (s.menuInsertionFailures > 0) {
        --s.menuInsertionFailures;
        common::setLastError(s.menuInsertionError);
        return false;
    }
    if (badMenu(menu)) return false;
    if (item.size != kMenuItemInfoSize || !byPosition) {
        common::setLastError(kErrorInvalidParameter);
        return false;
    }
    if ((item.mask & kMiimSubmenu) != 0 && badMenu(item.subMenu)) return false;
    headless::MenuItemRecord entry{item.mask, item.type, item.id, (item.mask & kMiimSubmenu) ? item.subMenu : 0,
                                   item.text != nullptr && item.type != kMftSeparator ? item.text : ""};
    std::vector<headless::MenuItemRecord>& items = s.menus[menu];
    items.insert(items.begin() + std::min<std::size_t>(position, items.size()), std::move(entry));
    return true;
}

}  // namespace platform
