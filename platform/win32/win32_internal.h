// What the files of the win32 platform share among themselves. Handles cross
// as 32-bit integers, which holds every HWND, HMENU and HACCEL on i686.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/platform.h"

namespace platform::win32 {

static_assert(sizeof(void*) == 4, "handles are carried as 32-bit integers: build for i686");

inline HWND toWindow(WindowHandle window) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window)); }
inline WindowHandle fromWindow(HWND window) {
    return static_cast<WindowHandle>(reinterpret_cast<std::intptr_t>(window));
}
inline HMENU toMenu(MenuHandle menu) { return reinterpret_cast<HMENU>(static_cast<std::intptr_t>(menu)); }
inline HACCEL toAccel(AcceleratorTableHandle table) {
    return reinterpret_cast<HACCEL>(static_cast<std::intptr_t>(table));
}

// windows.cpp
// The message as a MSG record: the one GetMessageA returned last when it is
// that message, so that TranslateMessage and the accelerator translation see
// it whole (with its time and cursor position).
MSG toMsg(const Message& message);

}  // namespace platform::win32
