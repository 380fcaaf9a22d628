// Keys of the headless platform: key names by virtual-key code (the code is
// also the scan code here) and the accelerator tables.
#include <algorithm>
#include <cstring>

#include "platform/common/keys.h"
#include "platform/common/process.h"
#include "platform/common/windows.h"
#include "platform/headless/headless_internal.h"

namespace headless {

KeysState& keysState() {
    static KeysState instance;
    return instance;
}

namespace {

// The key names this platform knows, by virtual-key code.
const char* keyName(std::uint32_t key) {
    static const std::map<std::uint32_t, std::string> names = [] {
        std::map<std::uint32_t, std::string> table;
        for (char c = 'A'; c <= 'Z'; ++c) table[static_cast<std::uint32_t>(c)] = std::string(1, c);
        for (char c = '0'; c <= '9'; ++c) table[static_cast<std::uint32_t>(c)] = std::string(1, c);
        for (std::uint32_t f = 0; f < 24; ++f) table[platform::kVkF1 + f] = "F" + std::to_string(f + 1);
        for (std::uint32_t n = 0; n <= 9; ++n) table[platform::kVkNumpad0 + n] = "Num " + std::to_string(n);
        // The other virtual-key codes, each with its name.
        const std::pair<std::uint32_t, const char*> others[] = {
            {0x08, "Backspace"}, {0x09, "Tab"}, {0x0D, "Enter"}, {0x1B, "Esc"}, {0x20, "Space"},
            {0x21, "Page Up"}, {0x22, "Page Down"}, {0x23, "End"}, {0x24, "Home"}, {0x25, "Left"},
            {0x26, "Up"}, {0x27, "Right"}, {0x28, "Down"}, {0x2D, "Insert"}, {0x2E, "Delete"},
            {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"}, {0x6E, "Num Del"}, {0x6F, "Num /"},
        };
        for (const auto& [code, name] : others) table[code] = name;
        return table;
    }();
    auto it = names.find(key);
    return it == names.end() ? nullptr : it->second.c_str();
}

}  // namespace
}  // namespace headless

namespace platform {

using headless::record;

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
    record("MapVirtualKeyW", headless::hex(code), mapType);
    return mapType == kMapVkToScanCode && headless::keyName(code) != nullptr ? code : 0;
}

int getKeyNameText(std::int32_t keyParam, char* buffer, int size) {
    record("GetKeyNameTextW", headless::hex(static_cast<std::uint32_t>(keyParam)), size);
    if (size <= 0) return 0;
    const std::uint32_t scanCode = common::scanCodeOf(keyParam);
    const char* name = scanCode != 0 ? headless::keyName(scanCode) : nullptr;
    common::copyText(name != nullptr ? name : "", buffer, static_cast<std::size_t>(size));
    return static_cast<int>(std::strlen(buffer));
}

AcceleratorTableHandle createAcceleratorTable(const Accelerator* entries, int count) {
    record("CreateAcceleratorTableW", count);
    auto& s = headless::keysState();
    if (s.failTableCreation) {
        common::setLastError(kErrorInvalidParameter);
        return 0;
    }
    if (!common::validAcceleratorEntries(entries, count)) return 0;
    const AcceleratorTableHandle table = headless::newHandle();
    common::storeAcceleratorTable(s.tables, table, entries, count);
    return table;
}

bool destroyAcceleratorTable(AcceleratorTableHandle table) {
    record("DestroyAcceleratorTable", table);
    auto& s = headless::keysState();
    if (common::eraseAcceleratorTable(s.tables, table)) return true;
    ++s.invalidTableUses;
    return false;
}

int translateAccelerator(WindowHandle window, AcceleratorTableHandle table, const Message& keyMessage) {
    record("TranslateAcceleratorW", window, table, headless::hex(keyMessage.code), keyMessage.wParam);
    auto& s = headless::keysState();
    if (table == 0) return 0;  // no table: not a stale handle
    const std::vector<Accelerator>* entries = common::findAcceleratorTable(s.tables, table);
    if (entries == nullptr) {
        ++s.invalidTableUses;
        return 0;
    }
    // A system key comes with Alt held.
    const std::uint8_t held = common::heldModifiers(s.shift, s.ctrl, s.alt || keyMessage.code == kWmSysKeyDown);
    const std::optional<Message> command = common::acceleratorCommand(*entries, window, keyMessage, held);
    if (!command) return 0;
    headless::deliver(*command);
    return 1;
}

}  // namespace platform
