// The host's entry points for a platform's main function and for tests.
#pragma once

#include "platform/platform.h"

struct Tcl_Interp;
struct Tcl_Obj;

namespace host {

// The whole life of the program: start-up, message loop, shut-down. Returns
// the exit code. A platform's main (or WinMain) calls this once.
int runApplication(int showCommand);

// The three stages of runApplication, for tests that drive them one by one.
// startUp returns false when start-up ended the process early; exitCode then
// holds the code to return.
bool startUp(int showCommand, int& exitCode);
int runMessageLoop();
int shutDown(int exitCode);

// Process-wide state owned by start-up.
Tcl_Interp* interpreter();
Tcl_Obj* resizeScript();

}  // namespace host

namespace host {

// Back to the state the process starts in: deletes an interpreter that
// start-up left behind and clears every piece of process-wide state. For
// tests that run the host more than once in one process.
void resetProcessState();

}  // namespace host
