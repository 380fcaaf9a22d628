// Command-line splitting with its block checked, for the unit test and the
// fuzz target: the one block the splitter asks for comes filled with garbage
// (the splitter must not rely on zeroed memory) between two guard zones, so
// that a write outside it shows even without a sanitizer; under one, the
// block comes from malloc, which catches the rest.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/command_line.h"
#include "host/host.h"

namespace split_test {

struct Split {
    std::vector<std::string> args;
    int count = -1;
    std::string broken;  // the first rule the block broke, or empty
};

namespace detail {
constexpr std::size_t kGuard = 64;
constexpr unsigned char kGuardByte = 0xA5;
// The block the splitter asked for last, and how often it asked.
inline unsigned char* base = nullptr;
inline std::size_t size = 0;
inline int requests = 0;

inline void* guardedAllocate(std::size_t bytes) {
    ++requests;
    size = bytes;
    base = static_cast<unsigned char*>(std::malloc(size + 2 * kGuard));
    std::memset(base, kGuardByte, size + 2 * kGuard);
    std::memset(base + kGuard, 0xCC, size);
    return base + kGuard;
}

// The pointer array has a slot per run of blanks, plus the first argument and the null.
inline std::size_t slotsFor(const std::string& text) {
    const auto blank = [&](std::size_t at) { return text[at] == ' ' || text[at] == '\t'; };
    std::size_t slots = 2;
    for (std::size_t i = 0; i < text.size(); ++i) slots += blank(i) && !(i > 0 && blank(i - 1));
    return slots;
}

inline std::string checkBlock(const std::string& text, char** argv, Split& split) {
    const std::size_t slots = slotsFor(text);
    const std::size_t expectedSize = slots * sizeof(char*) + text.size() + 1;
    for (std::size_t i = 0; i < kGuard; ++i) {
        if (base[i] != kGuardByte) return "written before the block";
        if (base[kGuard + size + i] != kGuardByte) return "written after the block";
    }
    if (requests != 1) return "not one allocation";
    if (size != expectedSize || host::commandLineBlockSize(text.c_str()) != expectedSize) return "size";
    if (reinterpret_cast<unsigned char*>(argv) != base + kGuard) return "not the block";
    if (split.count < 0 || static_cast<std::size_t>(split.count) > slots - 1) return "count";
    if (argv[split.count] != nullptr) return "no null after the last argument";
    const char* area = reinterpret_cast<const char*>(argv) + slots * sizeof(char*);
    const char* areaEnd = area + text.size() + 1;
    const char* previousEnd = area;
    for (int i = 0; i < split.count; ++i) {
        // In order, one after another, each ended inside the string area.
        const char* arg = argv[i];
        if (arg < previousEnd || arg >= areaEnd) return "argument " + std::to_string(i) + " out of order or place";
        const void* end = std::memchr(arg, '\0', static_cast<std::size_t>(areaEnd - arg));
        if (end == nullptr) return "argument " + std::to_string(i) + " not ended";
        split.args.emplace_back(arg);
        previousEnd = static_cast<const char*>(end) + 1;
    }
    return "";
}
}  // namespace detail

inline Split splitChecked(const std::string& text) {
    detail::requests = 0;
    Split split;
    char** argv = host::splitCommandLine(text.c_str(), split.count, detail::guardedAllocate);
    split.broken = detail::checkBlock(text, argv, split);
    std::free(std::exchange(detail::base, nullptr));
    return split;
}

// The one command-line text of an argument vector.
inline std::string joined(const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    return host::joinCommandLine(static_cast<int>(argv.size()), argv.data());
}

}  // namespace split_test
