// The accelerator list: the shortcuts of the current menu bar, and the
// platform table built from them on demand.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace commands {

// Starts the list for a new bar: empty, the old bar's table discarded.
// resetAcceleratorState (commands.h) goes back to process start instead.
void startAcceleratorList();
// Appends the shortcut (bits 0-7 virtual key, 0x2000 Shift, 0x4000 Ctrl,
// 0x8000 Alt) for commandId.
void addAccelerator(std::int32_t shortcutCode, std::int32_t commandId);
// The platform table for the list, built when there is none; 0 when the
// platform could not build one (an empty list, for one).
platform::AcceleratorTableHandle acceleratorTable();

// For tests: the list as it stands.
int acceleratorCount();
int acceleratorCapacity();
const platform::Accelerator* acceleratorEntries();

}  // namespace commands
