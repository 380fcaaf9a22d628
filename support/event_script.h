// Scripts that the window procedure starts: the resize script and the
// actions of menu commands.
#pragma once

struct Tcl_Interp;
struct Tcl_Obj;

namespace support {

// Evaluates script at global level, as from the message loop, even when it
// interrupts a command that is still running (a resize inside
// ::screen::setbounds or ::menu::createmenu, an action inside a dialog's
// modal loop): that command's result and return options, and the globals
// errorInfo and errorCode (which a script sets even for an error it
// catches), are kept as they were. A failure is reported on the console
// before they are put back.
void evaluateEventScript(Tcl_Interp* interp, Tcl_Obj* script);

}  // namespace support
