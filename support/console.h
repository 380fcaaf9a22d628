// Diagnostics on the process console. Every write to the console goes
// through here.
#pragma once

#include <cstddef>

struct Tcl_Interp;

namespace support {

// Opens the console and makes it standard output and standard error.
void openConsole();
void writeConsole(const char* bytes, std::size_t count);

// After a call into the script failed: the interpreter result, a line feed,
// the global errorInfo and a line feed.
void reportInterpreterError(Tcl_Interp* interp);

// After a system call failed inside a host command: the system's text for the
// last error, then " in <context>" and a blank line; at most 1023 bytes.
void reportSystemError(const char* context);

}  // namespace support
