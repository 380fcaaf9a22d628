// What the files of the gtk platform share among themselves. Each piece of
// state has one owner file; the others reach it through these functions.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

#include "platform/common/process.h"
#include "platform/platform.h"

namespace platform::gtk {

// process.cpp
void setCommandLine(std::string text);
// GTK wants UTF-8; Tcl hands us its own bytes, which are UTF-8 save for the
// odd invalid sequence. Invalid bytes become U+FFFD instead of a GTK warning.
std::string validUtf8(const char* bytes);

// windows.cpp
GtkWidget* toplevel(WindowHandle window);                // null when unknown
// The main window's GtkWindow and the GtkLayout of its client area, for
// native code in the process (and the window for Alt+F4 in messages.cpp);
// null for any other number, leaving the last error alone.
GtkWidget* nativeWindow(WindowHandle window);
GtkWidget* nativeClientArea(WindowHandle window);
GtkBox* menuSlot(WindowHandle window);                   // the box the bar goes into
void fitContents(WindowHandle window);                   // grows it to what its bar needs
WindowHandle registerDialogFrame(GtkWidget* dialog, WindowHandle owner);
WindowHandle registerDialogChild(WindowHandle frame);    // handle the dialog hook receives
void forgetWindow(WindowHandle window);                  // drops a dialog handle
// The window's procedure; null for an unknown window (the last error says
// so) or one without a procedure.
WindowProcedure procedureOf(WindowHandle window);
// Calls the window's procedure with the message; 0 when it has none.
LResult deliver(WindowHandle window, std::uint32_t code, WParam wParam, LParam lParam);
// The window's bar was installed, replaced or taken away: as Windows does
// inside SetMenu, tell the window procedure the client size that follows.
void menuBarChanged(WindowHandle window);

// messages.cpp
// Key presses in the window become its key messages.
void connectKeyEvents(GtkWidget* top, WindowHandle window);
// Set by translateAccelerator while a key event is being handled, so that the
// key is then not also given to GTK's own key handling.
void noteKeyTranslated();

// keys.cpp
// The virtual-key code of a key event, independent of the layout's shift
// level and of Caps Lock; scanCode receives the key's scan code (bit 8 set
// for the extended keys). 0 for a key without a code.
std::uint32_t virtualKeyOf(const GdkEventKey* event, std::uint32_t& scanCode);

// menus.cpp
void windowDestroyed(WindowHandle window);

}  // namespace platform::gtk
