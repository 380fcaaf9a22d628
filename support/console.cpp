#include "support/console.h"

#include <tcl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace support {

namespace {
platform::ConsoleHandle consoleHandle = 0;
}

void openConsole() { consoleHandle = platform::openConsole(); }

void writeConsole(const char* bytes, std::size_t count) {
    platform::writeConsole(consoleHandle, bytes, count);
}

void reportInterpreterError(Tcl_Interp* interp) {
    if (const char* result = Tcl_GetStringResult(interp)) {
        writeConsole(result, std::strlen(result));
        writeConsole("\n", 1);
    }
    if (const char* trail = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY)) {
        writeConsole(trail, std::strlen(trail));
        writeConsole("\n", 1);
    }
}

void reportSystemError(const char* context) {
    // Read the code first: anything below may overwrite it.
    const std::uint32_t code = platform::lastError();
    char text[1024];
    if (!platform::errorText(code, text, sizeof text)) {
        std::snprintf(text, sizeof text, "unknown system error %lu\n", static_cast<unsigned long>(code));
    }
    char line[1024];
    const int length = std::snprintf(line, sizeof line, "%s in %s\n\n", text, context);
    if (length > 0) writeConsole(line, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof line - 1));
}

}  // namespace support
