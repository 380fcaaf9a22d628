#include "rows.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace filelist {
namespace {

// 1234567 as "1,234,567": the digits a reader compares, grouped the same in
// every language the demo speaks.
// Built forwards rather than by inserting, which mingw's GCC 12 warns about
// (a false -Wrestrict).
std::string groupedDigits(std::int64_t value) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0 && digits[at - 1] != '-') grouped += ',';
        grouped += digits[at];
    }
    return grouped;
}

std::string localTime(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
#ifdef _WIN32
    if (localtime_s(&parts, &time) != 0) return {};
#else
    if (localtime_r(&time, &parts) == nullptr) return {};
#endif
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts));
}

// stat() of a UTF-8 path: 0 or the errno value.
#ifdef _WIN32
int statPath(std::string_view path, std::int64_t& size, std::int64_t& modified) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    struct _stat64 info {};
    if (path.empty() || _wstat64(wide.c_str(), &info) != 0) return path.empty() ? ENOENT : errno;
    size = info.st_size;
    modified = info.st_mtime;
    return 0;
}
#else
int statPath(std::string_view path, std::int64_t& size, std::int64_t& modified) {
    struct stat info {};
    if (::stat(std::string(path).c_str(), &info) != 0) return errno;
    size = info.st_size;
    modified = info.st_mtime;
    return 0;
}
#endif

}  // namespace

Row readRow(std::string_view path) {
    Row row;
    row.path = path;
    const std::size_t cut = path.find_last_of(
#ifdef _WIN32
        "/\\"
#else
        "/"
#endif
    );
    row.name = cut == std::string_view::npos ? path : path.substr(cut + 1);
    std::int64_t size = 0;
    std::int64_t modified = 0;
    if (const int error = statPath(path, size, modified); error != 0) {
        row.modifiedText = std::string("cannot read: ") + std::strerror(error);
        return row;
    }
    row.size = size;
    row.modified = modified;
    row.sizeText = groupedDigits(size);
    row.modifiedText = localTime(modified);
    return row;
}

}  // namespace filelist
