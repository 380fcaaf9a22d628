// Window message parameters and window position limits as Win32 has them.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/platform.h"

namespace platform::common {

// The lParam of kWmSize: the client width in the low word, the height in
// the high word.
constexpr LParam sizeParam(std::int32_t width, std::int32_t height) {
    return static_cast<LParam>((static_cast<std::uint32_t>(height & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(width & 0xFFFF));
}

// The wParam of kWmCommand: the command in the low word, 1 in the high word
// when an accelerator sent it, 0 for a menu item.
constexpr WParam commandParam(std::uint16_t command, bool fromAccelerator) {
    return (WParam{fromAccelerator ? 1u : 0u} << 16) | command;
}

// The lParam of a key message: repeat count 1, the scan code (bit 8 of scan
// marks the extended keys), the context code (Alt held) and whether the key
// was down before.
constexpr LParam keyParam(std::uint32_t scan, bool alt, bool repeated) {
    LParam param = 1 | static_cast<LParam>((scan & 0xFF) << 16);
    if ((scan & 0x100) != 0) param |= LParam{1} << 24;
    if (alt) param |= LParam{1} << 29;
    if (repeated) param |= LParam{1} << 30;
    return param;
}

// The scan code in a key message's lParam, bit 8 for the extended keys:
// what keyParam put there.
constexpr std::uint32_t scanCodeOf(LParam param) { return (static_cast<std::uint32_t>(param) >> 16) & 0x1FF; }

// Windows takes window coordinates of 16 bits and sizes from 0 to 32767.
constexpr std::int32_t limitCoordinate(std::int32_t value) { return std::clamp(value, -32768, 32767); }
constexpr std::int32_t limitExtent(std::int32_t value) { return std::clamp(value, 0, 32767); }

}  // namespace platform::common
