// Entry point of the Windows program: a GUI-subsystem process whose whole
// life is the host's. The command line is read again by the host through
// GetCommandLineW (lpCmdLine is in the ANSI code page and would lose
// every other character), so it is not used here.
#include <windows.h>

#include "host/host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    return host::runApplication(showCommand);
}
