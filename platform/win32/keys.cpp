// Key names and accelerator tables on Win32.
#include <windows.h>

#include <cstddef>
#include <string>

#include "platform/win32/win32_internal.h"

namespace platform {

static_assert(sizeof(ACCEL) == sizeof(Accelerator), "accelerator entries are ACCEL records");
static_assert(offsetof(ACCEL, fVirt) == offsetof(Accelerator, fVirt));
static_assert(offsetof(ACCEL, key) == offsetof(Accelerator, key));
static_assert(offsetof(ACCEL, cmd) == offsetof(Accelerator, cmd));

using win32::toAccel;
using win32::toWindow;

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) { return MapVirtualKeyW(code, mapType); }

// The name in the keyboard layout's own language, as UTF-8 cut to size
// bytes with its terminator; the length without it.
int getKeyNameText(std::int32_t keyParam, char* buffer, int size) {
    if (size <= 0) return 0;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    const int length = GetKeyNameTextW(keyParam, wide.data(), size);
    if (length <= 0) {
        buffer[0] = '\0';
        return length;
    }
    const std::string name = win32::utf8Text(wide.data(), static_cast<std::size_t>(length));
    return static_cast<int>(win32::copyUtf8(name, buffer, static_cast<std::size_t>(size)));
}

AcceleratorTableHandle createAcceleratorTable(const Accelerator* entries, int count) {
    // ACCEL and Accelerator share their layout (checked above); the table
    // only reads the entries.
    auto* accel = reinterpret_cast<ACCEL*>(const_cast<Accelerator*>(entries));
    return win32::fromAccel(CreateAcceleratorTableW(accel, count));
}

bool destroyAcceleratorTable(AcceleratorTableHandle table) { return DestroyAcceleratorTable(toAccel(table)) != 0; }

int translateAccelerator(WindowHandle window, AcceleratorTableHandle table, const Message& keyMessage) {
    MSG msg = win32::toMsg(keyMessage);
    const int translated = TranslateAcceleratorW(toWindow(window), toAccel(table), &msg);
    if (translated != 0) win32::noteTranslatedKey(msg);
    return translated;
}

}  // namespace platform
