// Menus on Win32: created, filled by position and installed on the window
// with the records the host fills in. Labels go in through the wide record,
// converted from the host's UTF-8.
#include <windows.h>

#include "platform/win32/win32_internal.h"

namespace platform {

static_assert(sizeof(void*) == 8 || sizeof(MENUITEMINFOW) == kMenuItemInfoSize,
              "MENUITEMINFOW must be the 48-byte form");

using win32::fromMenu;
using win32::toMenu;
using win32::toWindow;

MenuHandle createMenu() {
    return fromMenu(CreateMenu());
}

bool destroyMenu(MenuHandle menu) { return DestroyMenu(toMenu(menu)) != 0; }

MenuHandle getMenu(WindowHandle window) {
    return fromMenu(GetMenu(toWindow(window)));
}

bool setMenu(WindowHandle window, MenuHandle menu) { return SetMenu(toWindow(window), toMenu(menu)) != 0; }

bool insertMenuItem(MenuHandle menu, std::uint32_t position, bool byPosition, const MenuItem& item) {
    const win32::WideText label(item.text);
    MENUITEMINFOW info{};
    info.cbSize = win32::recordSize(item.size, kMenuItemInfoSize, sizeof(MENUITEMINFOW));
    info.fMask = item.mask;
    info.fType = item.type;
    info.wID = item.id;
    info.hSubMenu = toMenu(item.subMenu);
    info.dwTypeData = const_cast<LPWSTR>(label.get());
    return InsertMenuItemW(toMenu(menu), position, byPosition ? TRUE : FALSE, &info) != 0;
}

}  // namespace platform
