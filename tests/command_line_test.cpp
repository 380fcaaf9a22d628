// The texts that cross into Windows and back: splitting one command-line
// text into an argument vector, the quoting that turns an argv back into such
// a text, and the win32 platform's conversions between Tcl's UTF-8 and UTF-16,
// which every text between Tcl and Windows passes through.
#include <gtest/gtest.h>

#include <random>

#include "platform/win32/utf16.h"
#include "tests/split_checked.h"

namespace {

using namespace platform::win32;
using split_test::joined;

// Splits text and checks the layout of its block; failures name the text.
split_test::Split splitChecked(const std::string& text) {
    split_test::Split split = split_test::splitChecked(text);
    EXPECT_EQ(split.broken, "") << "[" << text << "]";
    return split;
}

// count random characters of alphabet.
template <std::size_t N>
std::string randomText(std::mt19937& random, const char (&alphabet)[N], int count) {
    std::string text(static_cast<std::size_t>(count), ' ');
    for (char& c : text) c = alphabet[std::uniform_int_distribution<int>(0, static_cast<int>(N) - 1)(random)];
    return text;
}

TEST(CommandLine, SplitsEveryQuotingCase) {
    // The line and its arguments.
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"p", {"p"}},
        {"", {}},
        {" p  a\tb ", {"p", "a", "b"}},
        {"p \"a b\" c", {"p", "a b", "c"}},
        {"p a\\b", {"p", "a\\b"}},
        {"p a\\\"b", {"p", "a\"b"}},
        {"p a\\\\\"b c\"", {"p", "a\\b c"}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p \"a\"\"b\" c", {"p", "a\"b", "c"}},
        {"p \"a\"\"b c", {"p", "a\"b c"}},
        {"p \"\"\"\"", {"p", "\""}},
        {"p \"\"", {"p", ""}},
        {"p \"\" x", {"p", "", "x"}},
        {"p ab\"cd ef\"gh", {"p", "abcd efgh"}},
        {"p \"abc", {"p", "abc"}},
        {"p a\\", {"p", "a\\"}},
        {"p \\\\server\\share", {"p", "\\\\server\\share"}},
        // A doubled quote outside quotes is an empty quoted stretch.
        {"p a\"\"b", {"p", "ab"}},
        {"\"D:\\some dir\\p.exe\" x", {"D:\\some dir\\p.exe", "x"}},
        // Separators inside quotes still count as runs for the slot count.
        {"p \"a  \t b\"", {"p", "a  \t b"}},
        {"\t\t", {}},
        {"p \"unclosed \\\"q\\\\", {"p", "unclosed \"q\\\\"}},
    };
    for (const auto& [line, args] : rows) {
        const auto split = splitChecked(line);
        EXPECT_EQ(split.count, static_cast<int>(args.size())) << "[" << line << "]";
        EXPECT_EQ(split.args, args) << "[" << line << "]";
    }
}

TEST(CommandLine, RandomLinesStayInsideTheirBlock) {
    // Mostly the characters the rules care about, some ordinary and high bytes.
    static constexpr char kAlphabet[] = {' ', '\t', '"', '"', '\\', '\\', 'a', 'b', 'x', '\xE9', '$', '{'};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(0, 40);
    for (int n = 0; n < 100000; ++n) {
        const std::string line = randomText(random, kAlphabet, length(random));
        const auto split = splitChecked(line);
        // No argument is longer than the text it came from.
        for (const std::string& arg : split.args) ASSERT_LE(arg.size(), line.size()) << line;
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "stopped at line " << n << ": [" << line << "]";
            return;
        }
    }
}

TEST(CommandLine, JoinedArgumentsSplitBackUnchanged) {
    static constexpr char kAlphabet[] = {' ', '\t', '"', '\\', '\\', 'a', 'b', '$', '[', '}', '\xE9'};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> argumentCount(1, 6);
    std::uniform_int_distribution<int> length(0, 8);
    for (int n = 0; n < 100000; ++n) {
        std::vector<std::string> argv(static_cast<std::size_t>(argumentCount(random)));
        for (std::string& arg : argv) arg = randomText(random, kAlphabet, length(random));
        const std::string line = joined(argv);
        ASSERT_EQ(splitChecked(line).args, argv) << "joined as [" << line << "]";
    }
    const std::vector<std::vector<std::string>> cases = {
        {"vesk2b"},
        {"vesk2b", ""},
        {"vesk2b", "", ""},
        {"", "x"},
        {"vesk2b", "trailing\\"},
        {"vesk2b", "trailing blank\\\\"},
        {"vesk2b", "\\\"", "\"\"", "a\\\\\"b"},
        {"my dir/vesk2b", "\t", " "},
        {"vesk2b", "{braces} $dollar [brackets]"},
    };
    for (const auto& argv : cases) {
        const std::string line = joined(argv);
        EXPECT_EQ(splitChecked(line).args, argv) << "joined as [" << line << "]";
    }
    // No argv at all gives the empty text, which splits into nothing.
    EXPECT_EQ(host::joinCommandLine(0, nullptr), "");
}

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
