// The bridge to the script's ::locale::translate: every text a menu shows
// passes through it. A failed translation shows the error trail in a message
// box and falls back to the untranslated text.
#pragma once

#include <tcl.h>

#include "support/tcl_ref.h"

namespace commands {

// The translation of text, or text itself when the translation failed: a
// reference of the caller's own, safe across later evaluations. The failure
// notice's caption is "error in translateObj" for an object (item captions)
// and "error in translate" for a C string (submenu captions, modifier words).
support::TclRef translatedText(Tcl_Interp* interp, Tcl_Obj* text);
support::TclRef translatedText(Tcl_Interp* interp, const char* text);

}  // namespace commands
