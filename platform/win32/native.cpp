// The native side of a window for native code in the process: the functions
// of include/vesk2b/native.h, exported by the executable. A window handle is
// the HWND itself; views go into the window as its child windows.
#define VESK2B_NATIVE_PROGRAM
#include <vesk2b/native.h>

#include "platform/win32/win32_internal.h"

namespace {

// A top-level window of this process; the number of any other window, or of
// none, gives null.
HWND ownTopLevel(int handle) {
    HWND window = platform::win32::toWindow(handle);
    DWORD process = 0;
    if (handle == 0 || !IsWindow(window) || GetWindowThreadProcessId(window, &process) == 0 ||
        process != GetCurrentProcessId() || GetAncestor(window, GA_ROOT) != window) {
        return nullptr;
    }
    return window;
}

}  // namespace

extern "C" {

int vesk2b_native_version(void) { return VESK2B_NATIVE_VERSION; }

void* vesk2b_native_window(int window) { return ownTopLevel(window); }

void* vesk2b_native_client_area(int window) { return ownTopLevel(window); }

}
