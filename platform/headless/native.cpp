// The native side of a window for native code in the process: the headless
// program has no screen, so no window has a native object.
#define VESK2B_NATIVE_PROGRAM
#include <vesk2b/native.h>

extern "C" {

int vesk2b_native_version(void) { return VESK2B_NATIVE_VERSION; }

void* vesk2b_native_window(int) { return nullptr; }

void* vesk2b_native_client_area(int) { return nullptr; }

}
