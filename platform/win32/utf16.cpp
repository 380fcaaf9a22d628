#include "platform/win32/utf16.h"

namespace platform::win32 {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The length of the sequence a lead byte starts and the range its second
// byte must lie in (which rules out overlong forms and values above
// U+10FFFF); 0 for a byte that starts no sequence. After 0xED the whole
// range is allowed: Tcl writes surrogates as three-byte sequences.
struct Lead {
    int length;
    unsigned char low;
    unsigned char high;
};

Lead leadOf(unsigned char byte) {
    if (byte < 0x80) return {1, 0, 0};
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

template <typename Out, typename Char, typename Convert>
Out convertBlock(const Char* block, std::size_t limit, Convert convert) {
    Out out;
    std::size_t start = 0;
    while (start < limit && block[start] != 0) {
        std::size_t end = start;
        while (end < limit && block[end] != 0) ++end;
        out += convert(std::basic_string_view<Char>(block + start, end - start));
        out += typename Out::value_type{0};
        start = end + 1;
    }
    out += typename Out::value_type{0};
    return out;
}

}  // namespace

std::u16string utf16FromUtf8Block(const char* block) {
    return convertBlock<std::u16string>(block, static_cast<std::size_t>(-1), utf16FromUtf8);
}

std::string utf8FromUtf16Block(std::u16string_view block) {
    return convertBlock<std::string>(block.data(), block.size(), utf8FromUtf16);
}

std::u16string utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const Lead lead = leadOf(byte);
        if (lead.length == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        char32_t code = lead.length == 1 ? byte : byte & (0x7F >> lead.length);
        int taken = 1;
        for (; taken < lead.length && i + taken < utf8.size(); ++taken) {
            const auto next = static_cast<unsigned char>(utf8[i + taken]);
            const bool fits = taken == 1 ? next >= lead.low && next <= lead.high : next >= 0x80 && next <= 0xBF;
            if (!fits) break;
            code = (code << 6) | (next & 0x3F);
        }
        i += static_cast<std::size_t>(taken);
        if (taken < lead.length) {
            out += kReplacement;
        } else if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    // Surrogates that came as three-byte sequences must pair up.
    for (std::size_t k = 0; k < out.size(); ++k) {
        if (isHighSurrogate(out[k]) && k + 1 < out.size() && isLowSurrogate(out[k + 1])) {
            ++k;
        } else if (isHighSurrogate(out[k]) || isLowSurrogate(out[k])) {
            out[k] = kReplacement;
        }
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (isHighSurrogate(code) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(code) || isLowSurrogate(code)) {
            code = kReplacement;
        }
        appendUtf8(out, code);
    }
    return out;
}

std::size_t fittingPrefix(std::string_view utf8, std::size_t limit) {
    if (utf8.size() <= limit) return utf8.size();
    // Back off over the continuation bytes (three at most) to the start of
    // the character that the limit cuts.
    std::size_t length = limit;
    for (int step = 0; step < 3 && length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80; ++step) {
        --length;
    }
    return length;
}

}  // namespace platform::win32
