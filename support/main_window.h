// The program's one top-level window, as start-up created it: the window the
// commands put the menu bar on and centre dialogs over.
#pragma once

#include "platform/platform.h"

struct Tcl_Interp;

namespace support {

// 0 before start-up has created the window (and while it does).
platform::WindowHandle mainWindow();
void setMainWindow(platform::WindowHandle window);

// Links the Tcl variable name to the handle, read-only: the script always
// reads the current handle.
void linkMainWindow(Tcl_Interp* interp, const char* name);

}  // namespace support
