// The native side of a window for native code in the process: the functions
// of include/vesk2b/native.h, exported by the executable.
#define VESK2B_NATIVE_PROGRAM
#include <vesk2b/native.h>

#include "platform/gtk/gtk_internal.h"

extern "C" {

int vesk2b_native_version(void) { return VESK2B_NATIVE_VERSION; }

void* vesk2b_native_window(int window) { return platform::gtk::nativeWindow(window); }

void* vesk2b_native_client_area(int window) { return platform::gtk::nativeClientArea(window); }

}
