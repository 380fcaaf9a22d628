#include "commands/translation.h"

#include "platform/platform.h"

namespace commands {

namespace {

using support::TclRef;

// True with the translation as the interpreter result, or false after the
// failure is shown in a notice with failureCaption.
bool translate(Tcl_Interp* interp, Tcl_Obj* text, const char* failureCaption) {
    const TclRef command(Tcl_NewStringObj("::locale::translate", 19));
    Tcl_Obj* words[] = {command.get(), text};
    if (Tcl_EvalObjv(interp, 2, words, 0) == TCL_OK) return true;
    const char* trail = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
    platform::messageBox(trail != nullptr ? trail : "", failureCaption, platform::kMbOk);
    return false;
}

}  // namespace

TclRef translatedText(Tcl_Interp* interp, Tcl_Obj* text) {
    if (translate(interp, text, "error in translateObj")) return TclRef(Tcl_GetObjResult(interp));
    return TclRef(text);
}

TclRef translatedText(Tcl_Interp* interp, const char* text) {
    if (translate(interp, TclRef(Tcl_NewStringObj(text, -1)).get(), "error in translate")) {
        return TclRef(Tcl_GetObjResult(interp));
    }
    // A new object: the failed call's error information may still hold the word.
    return TclRef(Tcl_NewStringObj(text, -1));
}

}  // namespace commands
