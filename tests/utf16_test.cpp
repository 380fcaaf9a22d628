// The win32 platform's conversions between Tcl's UTF-8 and UTF-16, which
// every text between Tcl and Windows passes through.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/utf16.h"

namespace {

using platform::win32::fittingPrefix;
using platform::win32::utf16FromUtf8;
using platform::win32::utf16FromUtf8Block;
using platform::win32::utf8FromUtf16;
using platform::win32::utf8FromUtf16Block;

TEST(Utf16, ConvertsBothWaysKeepsNulsAndReplacesOrCutsOnlyBetweenCharacters) {
    // ASCII, Latin-1, Cyrillic, CJK, and U+1F600 beyond the 16-bit range.
    const std::string utf8 = "a\xC3\xBC\xD0\x96\xE6\x97\xA5\xF0\x9F\x98\x80";
    const std::u16string utf16 = u"a\u00FC\u0416\u65E5\U0001F600";
    EXPECT_EQ(utf16FromUtf8(utf8), utf16);
    EXPECT_EQ(utf8FromUtf16(utf16), utf8);
    // Tcl 8.6 may hold U+1F600 as two three-byte surrogates.
    EXPECT_EQ(utf16FromUtf8("\xED\xA0\xBD\xED\xB8\x80"), u"\U0001F600");
    const std::pair<std::string, std::u16string> cases[] = {
        {"\xFC" "b", u"\uFFFD" "b"},                 // an ANSI byte
        {"\xC3", u"\uFFFD"},                          // cut at the end
        {"\xE6\x97" "x", u"\uFFFD" "x"},              // cut before another character: one replacement
        {"\xC0\x80", u"\uFFFD\uFFFD"},                // overlong
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\x80" "a", u"\uFFFD" "a"},                  // a lone continuation byte
        {"\xED\xA0\xBD" "a", u"\uFFFD" "a"},          // a surrogate without its partner
    };
    for (const auto& [bytes, replaced] : cases) EXPECT_EQ(utf16FromUtf8(bytes), replaced) << bytes;
    // Unpaired surrogates from Windows: Tcl gets valid UTF-8.
    EXPECT_EQ(utf8FromUtf16(std::u16string{u'a', char16_t(0xD83D), u'b', char16_t(0xDE00)}),
              "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    // A filter block: description, pattern, description, pattern, end.
    using namespace std::string_literals;
    EXPECT_EQ(utf16FromUtf8Block("Textdateien \xC3\xBC\0*.txt\0\xE6\x97\xA5\0*.*\0\0"),
              u"Textdateien \u00FC\0*.txt\0\u65E5\0*.*\0\0"s);
    EXPECT_EQ(utf16FromUtf8Block(""), u"\0"s);
    // A selection block in a zero-filled buffer: folder, then names.
    const std::u16string buffer = u"C:\\\u0416\0a\u00FC\0b\0\0\0\0"s;
    EXPECT_EQ(utf8FromUtf16Block(buffer), "C:\\\xD0\x96\0a\xC3\xBC\0b\0\0"s);
    // A block that fills its buffer is ended at the buffer's end.
    EXPECT_EQ(utf8FromUtf16Block(u"ab"), "ab\0\0"s);
    const std::string text = "ab\xE6\x97\xA5";  // a, b, then a three-byte character
    for (const auto& [limit, cut] : {std::pair<std::size_t, std::size_t>{5, 5}, {4, 2}, {3, 2}, {2, 2}, {0, 0}})
        EXPECT_EQ(fittingPrefix(text, limit), cut) << limit;
}

}  // namespace
