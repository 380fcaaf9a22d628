// The process services that headless and gtk answer the same way: the last
// error and its text, the executable's path, console writes and the clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform::common {

// The code that platform::lastError reports until the next failure sets one.
void setLastError(std::uint32_t code);

// The system's text for an error code, as an English Windows words it,
// without its line end; empty for a code without a text.
std::string_view systemErrorText(std::uint32_t code);

// Copies text into a buffer of size bytes, NUL-terminated and cut to fit;
// false when the buffer has no room even for the terminator.
bool copyText(std::string_view text, char* buffer, std::size_t size);

// The running executable's path, from /proc/self/exe; nullopt when unknown.
std::optional<std::string> executablePath();

// Writes path as GetModuleFileName does: cut at limit, without terminator
// when it fills the buffer; returns the characters written, 0 for no path.
std::size_t copyModuleFileName(std::string_view path, char* buffer, std::size_t limit);

// Writes all count bytes to the file descriptor; a failed write is not retried.
void writeAll(int fd, const char* bytes, std::size_t count);

// Milliseconds of the monotonic clock, wrapping as GetTickCount does.
std::uint32_t monotonicTickCount();

}  // namespace platform::common
