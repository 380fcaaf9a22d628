#include "commands/accelerators.h"

#include <vector>

#include "commands/commands.h"

namespace commands {

namespace {

constexpr int kInitialCapacity = 64;

// storage.size() is the capacity; the first count entries are in use.
std::vector<platform::Accelerator> storage;
int count = 0;
platform::AcceleratorTableHandle builtTable = 0;

int tableUsers = 0;
std::vector<platform::AcceleratorTableHandle> retiredTables;

void discardBuiltTable() {
    if (builtTable == 0) return;
    if (tableUsers > 0) {
        retiredTables.push_back(builtTable);
    } else {
        platform::destroyAcceleratorTable(builtTable);
    }
    builtTable = 0;
}

void ensureStorage() {
    if (storage.empty()) storage.resize(kInitialCapacity);
}

// While one of these lives, a table that the list discards is kept until the
// last one ends: the platform may still be reading it.
class AcceleratorTableInUse {
public:
    AcceleratorTableInUse() { ++tableUsers; }
    ~AcceleratorTableInUse() {
        if (--tableUsers > 0) return;
        for (platform::AcceleratorTableHandle table : retiredTables) platform::destroyAcceleratorTable(table);
        retiredTables.clear();
    }
    AcceleratorTableInUse(const AcceleratorTableInUse&) = delete;
    AcceleratorTableInUse& operator=(const AcceleratorTableInUse&) = delete;
};

}  // namespace

void startAcceleratorList() {
    ensureStorage();
    count = 0;
    // The old bar's table would map its shortcuts onto the new bar's command IDs.
    discardBuiltTable();
}

void addAccelerator(std::int32_t shortcutCode, std::int32_t commandId) {
    discardBuiltTable();
    // A submenu body run before any bar was built can get here first.
    ensureStorage();
    if (count == static_cast<int>(storage.size())) storage.resize(storage.size() * 2);

    std::uint8_t fVirt = platform::kFVirtKey | platform::kFNoInvert;
    if (shortcutCode & 0x8000) fVirt |= platform::kFAlt;
    if (shortcutCode & 0x4000) fVirt |= platform::kFControl;
    if (shortcutCode & 0x2000) fVirt |= platform::kFShift;
    platform::Accelerator& entry = storage[static_cast<std::size_t>(count)];
    entry.fVirt = fVirt;
    entry.key = static_cast<std::uint16_t>(shortcutCode & 0xFF);
    entry.cmd = static_cast<std::uint16_t>(commandId & 0xFFFF);
    ++count;
}

platform::AcceleratorTableHandle acceleratorTable() {
    if (builtTable == 0) builtTable = platform::createAcceleratorTable(storage.data(), count);
    return builtTable;
}

void translateShortcut(platform::WindowHandle window, const platform::Message& keyMessage) {
    // A matched shortcut runs its action in here, and the action may build a new bar.
    const AcceleratorTableInUse inUse;
    platform::translateAccelerator(window, acceleratorTable(), keyMessage);
}

int acceleratorCount() { return count; }
int acceleratorCapacity() { return static_cast<int>(storage.size()); }
const platform::Accelerator* acceleratorEntries() { return storage.data(); }

void resetAcceleratorState() {
    storage.clear();
    storage.shrink_to_fit();
    count = 0;
    builtTable = 0;
    tableUsers = 0;
    retiredTables.clear();
}

}  // namespace commands
