#include "support/event_script.h"

#include <tcl.h>

#include <optional>

#include "support/console.h"
#include "support/tcl_ref.h"

namespace support {

namespace {

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

}  // namespace

void evaluateEventScript(Tcl_Interp* interp, Tcl_Obj* script) {
    const KeptVariable errorInfo(interp, "errorInfo");
    const KeptVariable errorCode(interp, "errorCode");
    Tcl_InterpState interrupted = Tcl_SaveInterpState(interp, TCL_OK);
    if (Tcl_EvalObjEx(interp, script, TCL_EVAL_GLOBAL) != TCL_OK) reportInterpreterError(interp);
    Tcl_RestoreInterpState(interp, interrupted);
}

}  // namespace support
