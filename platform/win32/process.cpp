// Process, console, errors, clock and notices on Win32. Text crosses through
// the wide functions: the host's UTF-8 is converted to UTF-16 on the way in,
// and what Windows returns is converted to UTF-8 on the way out, so every
// character reaches Tcl, not only those of the ANSI code page.
#include <windows.h>

#include <string>

#include "platform/win32/win32_internal.h"

namespace platform {

using win32::copyUtf8;
using win32::utf8Text;
using win32::WideText;

std::size_t moduleFileName(char* buffer, std::size_t limit) {
    std::wstring wide(limit, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(limit));
    if (length == 0) return 0;
    // Cut short by the limit, as GetModuleFileName reports it: the length
    // of the whole buffer.
    if (length >= limit) return limit;
    const std::string path = utf8Text(wide.data(), length);
    if (path.size() >= limit) return limit;
    return copyUtf8(path, buffer, limit);
}

char pathSeparator() { return '\\'; }

const char* commandLine() {
    static const std::string text = utf8Text(GetCommandLineW());
    return text.c_str();
}

ConsoleHandle openConsole() {
    AllocConsole();
    // Read access too: only then does Windows answer GetConsoleMode for the
    // handle, by which Tcl knows its standard channels are a console and
    // writes them as UTF-16 (every character) rather than as bytes in the
    // console's OEM code page.
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, console);
    SetStdHandle(STD_ERROR_HANDLE, console);
    return reinterpret_cast<ConsoleHandle>(console);
}

void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count) {
    const HANDLE handle = reinterpret_cast<HANDLE>(console);
    DWORD written = 0;
    // A console shows UTF-16 whatever its code page; a handle that is no
    // console (a file, a pipe) fails WriteConsoleW and takes the UTF-8 bytes.
    const std::u16string text = win32::utf16FromUtf8(std::string_view(bytes, count));
    if (WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return;
    WriteFile(handle, bytes, static_cast<DWORD>(count), &written, nullptr);
}

std::uint32_t lastError() { return GetLastError(); }

bool errorText(std::uint32_t code, char* text, std::size_t size) {
    wchar_t* message = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPWSTR>(&message), 0, nullptr);
    if (length == 0 || message == nullptr) {
        if (message != nullptr) LocalFree(message);
        return false;
    }
    copyUtf8(utf8Text(message, length), text, size);
    LocalFree(message);
    return true;
}

std::uint32_t tickCount() { return GetTickCount(); }

void messageBox(const char* text, const char* caption, std::uint32_t style) {
    MessageBoxW(nullptr, WideText(text).get(), WideText(caption).get(), style);
}

}  // namespace platform
