#include "commands/translation.h"

#include "host/host.h"
#include "support/tcl_ref.h"
#include "platform/platform.h"

namespace commands {

namespace {

using support::TclRef;

bool callTranslate(Tcl_Obj* text) {
    const TclRef command(Tcl_NewStringObj("::locale::translate", 19));
    Tcl_Obj* words[] = {command.get(), text};
    return Tcl_EvalObjv(host::interpreter(), 2, words, 0) == TCL_OK;
}

void showFailure(const char* caption) {
    const char* trail = Tcl_GetVar(host::interpreter(), "errorInfo", TCL_GLOBAL_ONLY);
    platform::messageBox(trail != nullptr ? trail : "", caption, platform::kMbOk);
}

}  // namespace

std::string translate(const char* text) {
    bool translated;
    {
        const TclRef word(Tcl_NewStringObj(text, -1));
        translated = callTranslate(word.get());
    }
    if (translated) return Tcl_GetString(Tcl_GetObjResult(host::interpreter()));
    showFailure("error in translate");
    return text;
}

Tcl_Obj* translateToObj(const char* text) {
    bool translated;
    {
        const TclRef word(Tcl_NewStringObj(text, -1));
        translated = callTranslate(word.get());
    }
    Tcl_Obj* result;
    if (translated) {
        result = Tcl_GetObjResult(host::interpreter());
    } else {
        showFailure("error in translate");
        result = Tcl_NewStringObj(text, -1);
    }
    Tcl_IncrRefCount(result);
    return result;
}

Tcl_Obj* translateObj(Tcl_Obj* text) {
    Tcl_Obj* result;
    if (callTranslate(text)) {
        result = Tcl_GetObjResult(host::interpreter());
    } else {
        showFailure("error in translateObj");
        result = text;
    }
    Tcl_IncrRefCount(result);
    return result;
}

}  // namespace commands
