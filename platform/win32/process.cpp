// Process, console, errors, clock and notices on Win32.
#include <windows.h>

#include <cstring>

#include "platform/win32/win32_internal.h"

namespace platform {

std::size_t moduleFileName(char* buffer, std::size_t limit) {
    return GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(limit));
}

char pathSeparator() { return '\\'; }

const char* commandLine() { return GetCommandLineA(); }

ConsoleHandle openConsole() {
    AllocConsole();
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, console);
    SetStdHandle(STD_ERROR_HANDLE, console);
    return reinterpret_cast<ConsoleHandle>(console);
}

void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count) {
    DWORD written = 0;
    WriteFile(reinterpret_cast<HANDLE>(console), bytes, static_cast<DWORD>(count), &written, nullptr);
}

std::uint32_t lastError() { return GetLastError(); }

bool errorText(std::uint32_t code, char* text, std::size_t size) {
    char* message = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&message), 0, nullptr);
    if (length == 0 || message == nullptr) {
        if (message != nullptr) LocalFree(message);
        return false;
    }
    if (size > 0) {
        std::size_t copied = length < size - 1 ? length : size - 1;
        std::memcpy(text, message, copied);
        text[copied] = '\0';
    }
    LocalFree(message);
    return true;
}

std::uint32_t tickCount() { return GetTickCount(); }

void messageBox(const char* text, const char* caption, std::uint32_t style) {
    MessageBoxA(nullptr, text, caption, style);
}

}  // namespace platform
