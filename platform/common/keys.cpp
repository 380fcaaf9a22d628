// Accelerator tables: storage and the matching of key messages.
#include "platform/common/keys.h"

#include "platform/common/process.h"
#include "platform/common/windows.h"

namespace platform::common {

bool validAcceleratorEntries(const Accelerator* entries, int count) {
    if (entries != nullptr && count > 0) return true;
    setLastError(kErrorInvalidParameter);
    return false;
}

void storeAcceleratorTable(AcceleratorTables& tables, AcceleratorTableHandle handle, const Accelerator* entries,
                           int count) {
    tables.insert_or_assign(handle, std::vector<Accelerator>(entries, entries + count));
}

bool eraseAcceleratorTable(AcceleratorTables& tables, AcceleratorTableHandle handle) {
    if (tables.erase(handle) != 0) return true;
    setLastError(kErrorInvalidAcceleratorHandle);
    return false;
}

const std::vector<Accelerator>* findAcceleratorTable(const AcceleratorTables& tables, AcceleratorTableHandle handle) {
    const auto found = tables.find(handle);
    if (found != tables.end()) return &found->second;
    setLastError(kErrorInvalidAcceleratorHandle);
    return nullptr;
}

std::uint8_t heldModifiers(bool shift, bool control, bool alt) {
    return static_cast<std::uint8_t>((shift ? kFShift : 0) | (control ? kFControl : 0) | (alt ? kFAlt : 0));
}

std::optional<Message> acceleratorCommand(const std::vector<Accelerator>& entries, WindowHandle window,
                                          const Message& keyMessage, std::uint8_t held) {
    if (keyMessage.code != kWmKeyDown && keyMessage.code != kWmSysKeyDown) return std::nullopt;
    constexpr std::uint8_t kModifiers = kFShift | kFControl | kFAlt;
    for (const Accelerator& entry : entries) {
        if ((entry.fVirt & kFVirtKey) == 0 || entry.key != keyMessage.wParam) continue;
        if ((entry.fVirt & kModifiers) != held) continue;
        return Message{window, kWmCommand, commandParam(entry.cmd, true), 0};
    }
    return std::nullopt;
}

}  // namespace platform::common
