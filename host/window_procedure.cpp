#include "host/window_procedure.h"

#include <tcl.h>

#include <cstdio>

#include "commands/accelerators.h"
#include "host/console.h"
#include "host/host.h"
#include "host/tcl_ref.h"

namespace host {

namespace {

// The first size message arrives while the window is being created, before
// the script exists to handle it.
int skipNextResize = 1;

void resize() {
    if (skipNextResize != 0) {
        skipNextResize = 0;
        return;
    }
    // Evaluated in place, so its compiled form is kept for the next resize.
    // At global level: a proc that moves the window must not have to make
    // $parentwindow visible to the script that runs inside its call.
    Tcl_Interp* interp = interpreter();
    if (Tcl_EvalObjEx(interp, resizeScript(), TCL_EVAL_GLOBAL) != TCL_OK) reportInterpreterError(interp);
}

void runCommand(unsigned commandId) {
    char name[10];
    std::snprintf(name, sizeof name, "%u", commandId);
    Tcl_Interp* interp = interpreter();
    Tcl_Obj* action = Tcl_GetVar2Ex(interp, "::menu::actions", name, TCL_GLOBAL_ONLY);
    if (action == nullptr) return;  // removed by the script: nothing to run
    // The action may rebuild the menus and so overwrite its own element.
    const TclRef hold(action);
    // At global level, as from the message loop, even when the command
    // arrives inside a script's call (a key translated during a modal loop).
    if (Tcl_EvalObjEx(interp, action, TCL_EVAL_GLOBAL) != TCL_OK) reportInterpreterError(interp);
}

}  // namespace

platform::LResult windowProcedure(platform::WindowHandle window, std::uint32_t code, platform::WParam wParam,
                                  platform::LParam lParam) {
    switch (code) {
    case platform::kWmDestroy:
        platform::postQuitMessage(0);
        return 0;
    case platform::kWmSize:
        resize();
        return 1;
    case platform::kWmKeyDown:
    case platform::kWmSysKeyDown: {
        const platform::Message keyMessage{window, code, wParam, lParam};
        {
            const commands::AcceleratorTableInUse inUse;
            platform::translateAccelerator(window, commands::acceleratorTable(), keyMessage);
        }
        return platform::defWindowProc(window, code, wParam, lParam);
    }
    case platform::kWmCommand: {
        const unsigned commandId = static_cast<unsigned>(wParam & 0xFFFF);
        if (commandId < kFirstCommandId || commandId > kLastCommandId) {
            return platform::defWindowProc(window, code, wParam, lParam);
        }
        runCommand(commandId);
        return 0;
    }
    default:
        return platform::defWindowProc(window, code, wParam, lParam);
    }
}

void resetWindowProcedure() { skipNextResize = 1; }

}  // namespace host
