// What the files of the win32 platform share among themselves, for the 32-bit
// (i686) and the 64-bit (x86_64) program alike.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/utf16.h"

namespace platform::win32 {

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

// Window, menu and accelerator-table handles are USER handles, which Windows
// keeps within 32 bits on every system, sign-extended in 64-bit processes, so
// that 32- and 64-bit processes can exchange them. The host carries them as
// 32-bit integers: a handle goes out as its low 32 bits and comes back
// sign-extended. On i686 both ways change nothing.
template <typename Handle>
Handle userHandle(std::int32_t value) {
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(value));
}
template <typename Handle>
std::int32_t userHandleValue(Handle handle) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(handle));
}

inline HWND toWindow(WindowHandle window) { return userHandle<HWND>(window); }
inline WindowHandle fromWindow(HWND window) { return userHandleValue(window); }
inline HMENU toMenu(MenuHandle menu) { return userHandle<HMENU>(menu); }
inline MenuHandle fromMenu(HMENU menu) { return userHandleValue(menu); }
inline HACCEL toAccel(AcceleratorTableHandle table) { return userHandle<HACCEL>(table); }
inline AcceleratorTableHandle fromAccel(HACCEL table) { return userHandleValue(table); }

// The host sizes the records it fills in (MENUITEMINFOW, OPENFILENAMEW) as
// 32-bit Windows does, which names the form of the record; the same form is
// larger in a 64-bit program, with its 8-byte pointers and handles.
inline std::uint32_t recordSize(std::uint32_t hostSize, std::uint32_t size32, std::size_t nativeSize) {
    return hostSize == size32 ? static_cast<std::uint32_t>(nativeSize) : hostSize;
}

// windows.cpp
// The window class the host registered; 0 before. A key pressed in a child
// window of one of its windows goes to that window first, for the accelerators.
ATOM hostWindowClass();

// messages.cpp
// The message as a MSG record: the one GetMessageW returned last when it is
// that message, so that TranslateMessage and the accelerator translation see
// it whole (with its time and cursor position).
MSG toMsg(const Message& message);
// Tells the key forwarding that the accelerator table took this key (keys.cpp),
// so the child window it was pressed in does not get it as well.
void noteTranslatedKey(const MSG& key);

}  // namespace platform::win32
