#include "host/window_procedure.h"

#include <tcl.h>

#include <cstdio>
#include <optional>

#include "commands/accelerators.h"
#include "support/console.h"
#include "host/host.h"
#include "support/tcl_ref.h"

namespace host {

namespace {

using support::TclRef;
using support::reportInterpreterError;

// The first size message arrives while the window is being created, before
// the script exists to handle it.
int skipNextResize = 1;

// A global variable's value, held while a script runs, and put back (or
// unset again) afterwards.
class KeptVariable {
public:
    KeptVariable(Tcl_Interp* interp, const char* name) : interp_(interp), name_(name) {
        if (Tcl_Obj* value = Tcl_GetVar2Ex(interp, name, nullptr, TCL_GLOBAL_ONLY)) value_.emplace(value);
    }
    KeptVariable(const KeptVariable&) = delete;
    KeptVariable& operator=(const KeptVariable&) = delete;
    ~KeptVariable() {
        if (value_) {
            Tcl_SetVar2Ex(interp_, name_, nullptr, value_->get(), TCL_GLOBAL_ONLY);
        } else {
            Tcl_UnsetVar2(interp_, name_, nullptr, TCL_GLOBAL_ONLY);
        }
    }

private:
    Tcl_Interp* interp_;
    const char* name_;
    std::optional<TclRef> value_;
};

// Evaluates a script that the window procedure starts. It may interrupt a
// command that is still running (a resize inside ::screen::setbounds or
// ::menu::createmenu, an action inside a dialog's modal loop): that command's
// result and return options, and the globals errorInfo and errorCode (which
// a script sets even for an error it catches), are kept as they were. A
// failure is reported before they are put back.
void evaluate(Tcl_Obj* script) {
    Tcl_Interp* interp = interpreter();
    const KeptVariable errorInfo(interp, "errorInfo");
    const KeptVariable errorCode(interp, "errorCode");
    Tcl_InterpState interrupted = Tcl_SaveInterpState(interp, TCL_OK);
    if (Tcl_EvalObjEx(interp, script, TCL_EVAL_GLOBAL) != TCL_OK) reportInterpreterError(interp);
    Tcl_RestoreInterpState(interp, interrupted);
}

void resize() {
    if (skipNextResize != 0) {
        skipNextResize = 0;
        return;
    }
    // Evaluated in place, so its compiled form is kept for the next resize.
    // At global level: a proc that moves the window must not have to make
    // $parentwindow visible to the script that runs inside its call.
    evaluate(resizeScript());
}

void runCommand(unsigned commandId) {
    char name[10];
    std::snprintf(name, sizeof name, "%u", commandId);
    Tcl_Obj* action = Tcl_GetVar2Ex(interpreter(), "::menu::actions", name, TCL_GLOBAL_ONLY);
    if (action == nullptr) return;  // removed by the script: nothing to run
    // The action may rebuild the menus and so overwrite its own element.
    const TclRef hold(action);
    // At global level, as from the message loop, even when the command
    // arrives inside a script's call (a key translated during a modal loop).
    evaluate(action);
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
