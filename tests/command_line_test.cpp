// Splitting one command-line text into an argument vector, and the quoting
// that turns an argv back into such a text.
#include <gtest/gtest.h>

#include <random>

#include "tests/split_checked.h"

namespace {

using split_test::joined;

// Splits text and checks the layout of the block; failures are reported
// against the text.
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
        {"vesk2b", "trailing\\"},
        {"vesk2b", "trailing blank\\\\"},
        {"vesk2b", "\\\"", "\"\"", "a\\\\\"b"},
        {"", "x"},
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

}  // namespace
