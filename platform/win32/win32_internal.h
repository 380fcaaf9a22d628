// What the files of the win32 platform share among themselves. Handles cross
// as 32-bit integers, which holds every HWND, HMENU and HACCEL on i686.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/utf16.h"

namespace platform::win32 {

static_assert(sizeof(void*) == 4, "handles are carried as 32-bit integers: build for i686");
static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide functions take UTF-16");

// Text from the host (UTF-8, Tcl's bytes) as the wide functions take it; a
// null text stays null.
class WideText {
public:
    explicit WideText(const char* utf8) : null_(utf8 == nullptr), text_(null_ ? u"" : utf16FromUtf8(utf8)) {}
    const wchar_t* get() const { return null_ ? nullptr : reinterpret_cast<const wchar_t*>(text_.c_str()); }

private:
    bool null_;
    std::u16string text_;
};

// Text from a wide function as the host takes it: always valid UTF-8.
inline std::string utf8Text(const wchar_t* wide, std::size_t length) {
    return utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide), length));
}
inline std::string utf8Text(const wchar_t* wide) {
    return utf8Text(wide, std::char_traits<wchar_t>::length(wide));
}

// Copies utf8 into a buffer of size bytes, NUL-terminated, cut before a
// character that does not fit; returns the bytes copied.
inline std::size_t copyUtf8(std::string_view utf8, char* buffer, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t length = fittingPrefix(utf8, size - 1);
    utf8.copy(buffer, length);
    buffer[length] = '\0';
    return length;
}

inline HWND toWindow(WindowHandle window) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window)); }
inline WindowHandle fromWindow(HWND window) {
    return static_cast<WindowHandle>(reinterpret_cast<std::intptr_t>(window));
}
inline HMENU toMenu(MenuHandle menu) { return reinterpret_cast<HMENU>(static_cast<std::intptr_t>(menu)); }
inline HACCEL toAccel(AcceleratorTableHandle table) {
    return reinterpret_cast<HACCEL>(static_cast<std::intptr_t>(table));
}

// windows.cpp
// The message as a MSG record: the one GetMessageW returned last when it is
// that message, so that TranslateMessage and the accelerator translation see
// it whole (with its time and cursor position).
MSG toMsg(const Message& message);
// Tells the key forwarding that the accelerator table took this key (keys.cpp),
// so the child window it was pressed in does not get it as well.
void noteTranslatedKey(const MSG& key);

}  // namespace platform::win32
