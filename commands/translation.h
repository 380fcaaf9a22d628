// The bridge to the script's ::locale::translate: every text a menu shows
// passes through it. A failed translation shows the error trail in a message
// box and falls back to the untranslated text.
#pragma once

#include <string>

#include <tcl.h>

namespace commands {

// The translation as a copy of its own, safe across later evaluations.
std::string translate(const char* text);
// A new object reference that the caller releases.
Tcl_Obj* translateToObj(const char* text);
// A new reference (to the translation or to text itself) that the caller
// releases. The caller must hold a reference to text throughout.
Tcl_Obj* translateObj(Tcl_Obj* text);

}  // namespace commands
