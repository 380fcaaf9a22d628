// Process services on POSIX, in the terms of their Win32 counterparts.
#include "platform/common/process.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

std::uint32_t lastErrorCode = 0;  // the last failure of this platform

struct ErrorText {
    std::uint32_t code;
    std::string_view text;
};

constexpr ErrorText kErrorTexts[] = {
    {kErrorSuccess, "The operation completed successfully."},
    {kErrorAccessDenied, "Access is denied."},
    {kErrorInvalidHandle, "The handle is invalid."},
    {kErrorInvalidParameter, "The parameter is incorrect."},
    {kErrorInvalidWindowHandle, "Invalid window handle."},
    {kErrorInvalidMenuHandle, "Invalid menu handle."},
    {kErrorInvalidAcceleratorHandle, "Invalid accelerator table handle."},
    {kErrorCannotFindWindowClass, "Cannot find window class."},
};

}  // namespace

std::uint32_t lastError() { return lastErrorCode; }

namespace common {

void setLastError(std::uint32_t code) { lastErrorCode = code; }

std::string_view systemErrorText(std::uint32_t code) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) return entry.text;
    }
    return {};
}

bool copyText(std::string_view text, char* buffer, std::size_t size) {
    if (size == 0) return false;
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return true;
}

std::optional<std::string> executablePath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    // A path as long as the buffer may have been cut short.
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return std::nullopt;
    return std::string(path, static_cast<std::size_t>(length));
}

std::size_t copyModuleFileName(std::string_view path, char* buffer, std::size_t limit) {
    const std::size_t length = std::min(path.size(), limit);
    std::memcpy(buffer, path.data(), length);
    if (length < limit) buffer[length] = '\0';
    return length;
}

void writeAll(int fd, const char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, count);
        if (written <= 0) return;
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
}

std::uint32_t monotonicTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace common
}  // namespace platform
