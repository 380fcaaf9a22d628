/*
 * The native side of a vesk2b window, for native code that runs in the
 * program's process (a Tcl extension that the application script loads with
 * `load`). A script names a window by its handle, an integer ($parentwindow);
 * these functions turn that handle into the platform's own objects:
 *
 *   vesk2b_native_window(handle)       the top-level window:
 *                                        Windows: HWND; GTK: GtkWindow*
 *   vesk2b_native_client_area(handle)  the parent for views in the client area,
 *                                      placed at client coordinates (those of
 *                                      ::screen::getclientrect):
 *                                        Windows: the window itself (HWND), its
 *                                        child windows go there;
 *                                        GTK: a GtkLayout that covers exactly the
 *                                        client area below the menu bar; put
 *                                        views in with gtk_layout_put/move
 *
 * Both return NULL for a number that names no window of the program, and
 * always in the headless program, which has no screen. The program does not
 * lay out views: the application script moves them from its resize script,
 * which receives the client rectangle.
 *
 * The executable exports the functions (C linkage). An extension links to
 * nothing of the program: it looks them up at run time with
 * vesk2b_native_lookup(), which fills NULL pointers, and returns 0, in a
 * program without the interface (tclsh, wish, an older vesk2b).
 *
 * The interface's version is VESK2B_NATIVE_VERSION; a running program tells
 * its own through vesk2b_native_version(). A later version only adds
 * functions: an extension built for version N works with any program whose
 * version is N or more.
 */
#ifndef VESK2B_NATIVE_H
#define VESK2B_NATIVE_H

#define VESK2B_NATIVE_VERSION 1

#if defined(_WIN32)
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <windows.h>
#  define VESK2B_NATIVE_EXPORT __declspec(dllexport)
#else
#  include <dlfcn.h>
#  include <stddef.h>
#  define VESK2B_NATIVE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*vesk2b_native_version_fn)(void);
typedef void* (*vesk2b_native_object_fn)(int window);

/* The program's functions, found in the running executable. */
struct vesk2b_native {
    int version;                          /* the program's; 0 without the interface */
    vesk2b_native_object_fn window;       /* vesk2b_native_window */
    vesk2b_native_object_fn client_area;  /* vesk2b_native_client_area */
};

#ifdef VESK2B_NATIVE_PROGRAM
/* Defined by the program's platform layer; extensions use vesk2b_native_lookup. */
VESK2B_NATIVE_EXPORT int vesk2b_native_version(void);
VESK2B_NATIVE_EXPORT void* vesk2b_native_window(int window);
VESK2B_NATIVE_EXPORT void* vesk2b_native_client_area(int window);
#endif

/* Fills *native from the running program and returns its interface version,
   or leaves every member 0/NULL and returns 0 when the process is not a
   vesk2b program with the interface. */
static inline int vesk2b_native_lookup(struct vesk2b_native* native) {
    void* version;
    void* window;
    void* client_area;
#if defined(_WIN32)
    HMODULE program = GetModuleHandleW(NULL);
    version = (void*)GetProcAddress(program, "vesk2b_native_version");
    window = (void*)GetProcAddress(program, "vesk2b_native_window");
    client_area = (void*)GetProcAddress(program, "vesk2b_native_client_area");
#else
    version = dlsym(RTLD_DEFAULT, "vesk2b_native_version");
    window = dlsym(RTLD_DEFAULT, "vesk2b_native_window");
    client_area = dlsym(RTLD_DEFAULT, "vesk2b_native_client_area");
#endif
    native->version = 0;
    native->window = NULL;
    native->client_area = NULL;
    if (version == NULL || window == NULL || client_area == NULL) return 0;
    native->version = ((vesk2b_native_version_fn)version)();
    native->window = (vesk2b_native_object_fn)window;
    native->client_area = (vesk2b_native_object_fn)client_area;
    return native->version;
}

#ifdef __cplusplus
}
#endif

#endif /* VESK2B_NATIVE_H */
