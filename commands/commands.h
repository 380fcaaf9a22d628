// The Tcl commands that the host registers for the application scripts.
#pragma once

#include <tcl.h>

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

// Back to the state at process start (menus.cpp, accelerators.cpp).
void resetMenuState();
void resetAcceleratorState();

}  // namespace commands
