#include "support/main_window.h"

#include <tcl.h>

namespace support {

namespace {
// An int, because Tcl links it as TCL_LINK_INT.
int mainWindowHandle = 0;
static_assert(sizeof(int) == sizeof(platform::WindowHandle));
}  // namespace

platform::WindowHandle mainWindow() { return mainWindowHandle; }

void setMainWindow(platform::WindowHandle window) { mainWindowHandle = window; }

void linkMainWindow(Tcl_Interp* interp, const char* name) {
    Tcl_LinkVar(interp, name, reinterpret_cast<char*>(&mainWindowHandle), TCL_LINK_INT | TCL_LINK_READ_ONLY);
}

}  // namespace support
