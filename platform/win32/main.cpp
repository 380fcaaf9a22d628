// Entry point of the Windows program: a GUI-subsystem process whose whole
// life is the host's. The command line is read again by the host through
// GetCommandLineW (lpCmdLine is in the ANSI code page and would lose
// every other character), so it is not used here.
#include <tcl.h>
#include <windows.h>

#include "host/host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    const int exitCode = host::runApplication(showCommand);
    // Tcl writes and reads its console channels on threads of its own.
    // Finalizing closes the channels, which writes what is still queued and
    // ends those threads; otherwise ExitProcess kills them mid-way, and under
    // Wine a thread killed while it exits now and then takes the whole
    // process down with SIGSEGV.
    Tcl_Finalize();
    return exitCode;
}
