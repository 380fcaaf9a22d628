// Shared by the fuzz targets: turns the fuzzer's bytes into choices, numbers
// and words, and stops the process on a broken property so that libFuzzer
// (or the corpus replay) reports the input.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "platform/platform.h"

namespace fuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) ::fuzz::fail(__FILE__, __LINE__, #condition); \
    } while (0)

// Reads from the front; every read past the end yields zeros, so any input
// decodes to something.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool flag() { return (byte() & 1) != 0; }
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(u32() % static_cast<std::uint32_t>(n)); }
    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = (value << 8) | byte();
        return value;
    }

    // A length byte, then that many bytes (fewer at the end of the input).
    std::string bytes(std::size_t limit = 255) {
        std::size_t length = byte() % (limit + 1);
        length = std::min(length, size_ - std::min(at_, size_));
        std::string out(reinterpret_cast<const char*>(data_ + std::min(at_, size_)), length);
        at_ += length;
        return out;
    }

    // Mostly small and edge values; sometimes any 64-bit value.
    std::int64_t integer() {
        static constexpr std::int64_t kEdges[] = {
            0, 1, -1, 0x41, 0x4041, 0x6053, 0x8073, 0xE041, 0x4090, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0xFFFF, 0x10000,
            INT32_MAX, INT32_MIN, 0xFFFFFFFF, -0xFFFFFFFFLL, 0x100000000LL, INT64_MAX, INT64_MIN};
        const std::uint8_t kind = byte();
        if (kind < 128) return kEdges[kind % std::size(kEdges)];
        if (kind < 200) return static_cast<std::int32_t>(u32());
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(u32()) << 32) | u32());
    }

    // One word of the kinds that scripts may pass: raw bytes (invalid UTF-8,
    // NULs), integers in several notations, huge ones, lists good and bad.
    std::string word() {
        static constexpr const char* kFixed[] = {"123456789012345678901234567890", "", "{}", "{a {b", " 7 ",
                                                 "\xC0\x80\xFF\xFE"};  // kinds 2 to 7
        const int kind = byte() % 10;
        if (kind == 0) return std::to_string(integer());
        if (kind >= 8) return bytes(40);
        if (kind >= 2) return kFixed[kind - 2];
        char text[32];
        std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(integer()));
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The text up to its first NUL.
inline std::string withoutNul(std::string text) { return text.substr(0, text.find('\0')); }

// What a shortcut code of ::menu::menu gives: the accelerator entry for the
// item's command, and the words before the key name in the item's label.
inline platform::Accelerator acceleratorFor(std::int32_t code, std::int32_t id) {
    const int fVirt = 3 | (code & 0x8000 ? 0x10 : 0) | (code & 0x4000 ? 8 : 0) | (code & 0x2000 ? 4 : 0);
    return {static_cast<std::uint8_t>(fVirt), static_cast<std::uint16_t>(code & 0xFF), static_cast<std::uint16_t>(id & 0xFFFF)};
}
inline std::string modifierWords(std::int32_t code) {
    return std::string("\t") + (code & 0x2000 ? "Shift+" : "") + (code & 0x4000 ? "Ctrl+" : "") + (code & 0x8000 ? "Alt+" : "");
}

}  // namespace fuzz

namespace platform {
// Entries compare field by field (the product needs no comparison of its own).
inline bool operator==(const Accelerator& a, const Accelerator& b) {
    return a.fVirt == b.fVirt && a.key == b.key && a.cmd == b.cmd;
}
}  // namespace platform
