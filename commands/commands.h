// What the host calls of the commands: registering the Tcl commands of the
// application scripts, family by family, and handing them window messages.
#pragma once

#include <tcl.h>

#include "platform/platform.h"

namespace commands {

// ::menu::createmenu, ::menu::submenu, ::menu::separator, ::menu::menu (menus.cpp).
void registerMenuCommands(Tcl_Interp* interp);
// ::screen::getclientrect, ::screen::destroywnd, ::screen::getbounds,
// ::screen::setbounds, ::screen::setwindowtext, ::vesk::querytimer
// (window_commands.cpp).
void registerWindowCommands(Tcl_Interp* interp);
// ::vesk::filedlg, the open and save dialogs (file_dialog.cpp).
void registerFileDialogCommand(Tcl_Interp* interp);

// Runs the action that ::menu::menu stored for commandId; false when
// commandId is not a menu command's, for the caller to hand on (menus.cpp).
bool runMenuCommand(Tcl_Interp* interp, int commandId);

// Offers a key-down message to the current bar's shortcuts; a match runs its
// menu command before this returns (accelerators.cpp).
void translateShortcut(platform::WindowHandle window, const platform::Message& keyMessage);

// Back to the state at process start (menus.cpp, accelerators.cpp).
void resetMenuState();
void resetAcceleratorState();

}  // namespace commands
