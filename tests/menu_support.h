// Helpers for the tests of menus, shortcuts and the window procedure: read the
// bar back from the headless platform, deliver commands and keys, and check
// that no menu outlives its owner.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "commands/menus.h"
#include "tests/host_fixture.h"

namespace menu_test {

class MenuFixture : public host_test::HostFixture {
protected:
    static platform::MenuHandle bar() {
        const auto state = headless::window(support::mainWindow());
        return state ? state->menu : 0;
    }

    static std::vector<headless::MenuItemRecord> items(platform::MenuHandle menu) { return headless::menuItems(menu); }

    // The labels of a menu, one per item ("-" for a separator).
    static std::vector<std::string> labels(platform::MenuHandle menu) {
        std::vector<std::string> out;
        for (const auto& item : headless::menuItems(menu)) {
            out.push_back(item.type == platform::kMftSeparator ? "-" : item.text);
        }
        return out;
    }

    // WM_COMMAND as a menu sends it (high word 0).
    static platform::LResult command(unsigned id, unsigned highWord = 0) {
        return headless::sendMessage({support::mainWindow(), platform::kWmCommand, (platform::WParam{highWord} << 16) | id, 0});
    }

    // A key pressed with the given modifiers, handled as the loop would hand it over.
    static platform::LResult key(std::uint32_t virtualKey, bool shift, bool ctrl, bool alt) {
        headless::setModifiers(shift, ctrl, alt);
        const std::uint32_t code = alt ? platform::kWmSysKeyDown : platform::kWmKeyDown;
        const platform::LResult result = headless::sendMessage(
            {support::mainWindow(), code, virtualKey, static_cast<platform::LParam>((virtualKey << 16) | 1)});
        headless::setModifiers(false, false, false);
        return result;
    }
};

// Every menu reachable from root through submenu items, root included.
inline void collectMenus(platform::MenuHandle root, std::set<platform::MenuHandle>& into) {
    if (root == 0 || !headless::menuExists(root) || !into.insert(root).second) return;
    for (const auto& item : headless::menuItems(root)) {
        if (item.subMenu != 0) collectMenus(item.subMenu, into);
    }
}

// Live menus that neither the window's bar nor the menu under construction owns.
inline int strayMenus(platform::MenuHandle windowBar) {
    std::set<platform::MenuHandle> owned;
    collectMenus(windowBar, owned);
    collectMenus(commands::menuUnderConstruction(), owned);
    return headless::liveMenuCount() - static_cast<int>(owned.size());
}

}  // namespace menu_test
