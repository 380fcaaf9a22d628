// Accelerator tables as Win32 keeps and matches them, for the platforms that
// imitate them. Each platform owns its tables and hands them in.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/platform.h"

namespace platform::common {

using AcceleratorTables = std::map<AcceleratorTableHandle, std::vector<Accelerator>>;

// True when the entries can make a table; otherwise sets kErrorInvalidParameter.
bool validAcceleratorEntries(const Accelerator* entries, int count);
// Keeps a copy of the entries as the table handle.
void storeAcceleratorTable(AcceleratorTables& tables, AcceleratorTableHandle handle, const Accelerator* entries,
                           int count);
// False, with kErrorInvalidAcceleratorHandle, for a handle that names no table.
bool eraseAcceleratorTable(AcceleratorTables& tables, AcceleratorTableHandle handle);
// The table's entries; null, with kErrorInvalidAcceleratorHandle, for a
// handle that names no table.
const std::vector<Accelerator>* findAcceleratorTable(const AcceleratorTables& tables, AcceleratorTableHandle handle);

// The modifiers held, as the flags of an entry (kFShift, kFControl, kFAlt).
std::uint8_t heldModifiers(bool shift, bool control, bool alt);

// The command message for window that a key-down message makes with the
// modifiers held: from the first virtual-key entry with that key and exactly
// those modifiers. Character entries (without kFVirtKey) belong to WM_CHAR,
// which these platforms do not produce.
std::optional<Message> acceleratorCommand(const std::vector<Accelerator>& entries, WindowHandle window,
                                          const Message& keyMessage, std::uint8_t held);

}  // namespace platform::common
