// The Tcl commands that the host registers for the application scripts.
#pragma once

#include <tcl.h>

#include "platform/platform.h"

namespace commands {

// Menus (menus.cpp).
Tcl_ObjCmdProc createMenuCommand;
Tcl_ObjCmdProc subMenuCommand;
Tcl_ObjCmdProc separatorCommand;
Tcl_ObjCmdProc menuItemCommand;

// Window geometry, title and clock (window_commands.cpp).
Tcl_ObjCmdProc getClientRectCommand;
Tcl_ObjCmdProc destroyWindowCommand;
Tcl_ObjCmdProc getBoundsCommand;
Tcl_ObjCmdProc setBoundsCommand;
Tcl_ObjCmdProc setWindowTextCommand;
Tcl_ObjCmdProc queryTimerCommand;

// Open and save dialogs (file_dialog.cpp).
Tcl_ObjCmdProc fileDialogCommand;

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
