// Splitting one command-line text into an argument vector, and the quoting
// that turns an argv back into such a text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/host.h"

namespace {

// The block the splitter asks for is placed between two guard zones, so that
// a write outside it shows even without a sanitizer; under ASan the block
// itself comes from malloc, which catches the rest.
constexpr std::size_t kGuard = 64;
constexpr unsigned char kGuardByte = 0xA5;

struct Allocation {
    unsigned char* base = nullptr;
    std::size_t size = 0;
    int requests = 0;
};
Allocation allocation;

void* guardedAllocate(std::size_t size) {
    ++allocation.requests;
    allocation.size = size;
    allocation.base = static_cast<unsigned char*>(std::malloc(size + 2 * kGuard));
    std::memset(allocation.base, kGuardByte, kGuard);
    // Garbage inside the block: the splitter must not rely on zeroed memory.
    std::memset(allocation.base + kGuard, 0xCC, size);
    std::memset(allocation.base + kGuard + size, kGuardByte, kGuard);
    return allocation.base + kGuard;
}

std::size_t runsOfBlanks(const std::string& text) {
    std::size_t runs = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool blank = text[i] == ' ' || text[i] == '\t';
        const bool previousBlank = i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t');
        if (blank && !previousBlank) ++runs;
    }
    return runs;
}

struct Split {
    std::vector<std::string> args;
    int count = -1;
};

// Splits text and checks the layout of the block; failures are reported
// against the text.
Split splitChecked(const std::string& text) {
    allocation = {};
    Split split;
    char** argv = host::splitCommandLine(text.c_str(), split.count, guardedAllocate);
    const std::size_t slots = 2 + runsOfBlanks(text);
    const std::size_t expectedSize = slots * sizeof(char*) + text.size() + 1;

    EXPECT_EQ(allocation.requests, 1) << text;
    EXPECT_EQ(allocation.size, expectedSize) << text;
    EXPECT_EQ(host::commandLineBlockSize(text.c_str()), expectedSize) << text;
    EXPECT_EQ(reinterpret_cast<unsigned char*>(argv), allocation.base + kGuard) << text;
    EXPECT_GE(split.count, 0) << text;
    EXPECT_LE(static_cast<std::size_t>(split.count), slots - 1) << text;
    if (split.count >= 0 && static_cast<std::size_t>(split.count) < slots) {
        EXPECT_EQ(argv[split.count], nullptr) << text;
    }

    const char* area = reinterpret_cast<const char*>(argv) + slots * sizeof(char*);
    const char* areaEnd = area + text.size() + 1;
    const char* previousEnd = area;
    for (int i = 0; i < split.count && static_cast<std::size_t>(i) < slots; ++i) {
        const char* arg = argv[i];
        // In order, one after another, each terminated inside the string area.
        EXPECT_GE(arg, previousEnd) << text;
        EXPECT_LT(arg, areaEnd) << text;
        const void* terminator = arg >= area && arg < areaEnd ? std::memchr(arg, '\0', areaEnd - arg) : nullptr;
        EXPECT_NE(terminator, nullptr) << text;
        if (terminator == nullptr) break;
        split.args.emplace_back(arg);
        previousEnd = static_cast<const char*>(terminator) + 1;
    }

    for (std::size_t i = 0; i < kGuard; ++i) {
        EXPECT_EQ(allocation.base[i], kGuardByte) << "written before the block: " << text;
        EXPECT_EQ(allocation.base[kGuard + allocation.size + i], kGuardByte) << "written after the block: " << text;
        if (allocation.base[i] != kGuardByte || allocation.base[kGuard + allocation.size + i] != kGuardByte) break;
    }
    std::free(allocation.base);
    return split;
}

struct Row {
    const char* line;
    std::vector<std::string> args;
};

TEST(CommandLine, SplitsEveryQuotingCase) {
    const std::vector<Row> rows = {
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
    for (const Row& row : rows) {
        const Split split = splitChecked(row.line);
        EXPECT_EQ(split.count, static_cast<int>(row.args.size())) << "[" << row.line << "]";
        EXPECT_EQ(split.args, row.args) << "[" << row.line << "]";
    }
}

TEST(CommandLine, RandomLinesStayInsideTheirBlock) {
    // Mostly the characters the rules care about, some ordinary and high bytes.
    static constexpr char kAlphabet[] = {' ', '\t', '"', '"', '\\', '\\', 'a', 'b', 'x', '\xE9', '$', '{'};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 1);
    for (int n = 0; n < 100000; ++n) {
        std::string line(static_cast<std::size_t>(length(random)), ' ');
        for (char& c : line) c = kAlphabet[pick(random)];
        const Split split = splitChecked(line);
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
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 1);
    for (int n = 0; n < 100000; ++n) {
        std::vector<std::string> argv(static_cast<std::size_t>(argumentCount(random)));
        for (std::string& arg : argv) {
            arg.assign(static_cast<std::size_t>(length(random)), ' ');
            for (char& c : arg) c = kAlphabet[pick(random)];
        }
        std::vector<const char*> pointers;
        for (const std::string& arg : argv) pointers.push_back(arg.c_str());
        const std::string line = host::joinCommandLine(static_cast<int>(pointers.size()), pointers.data());
        const Split split = splitChecked(line);
        ASSERT_EQ(split.args, argv) << "joined as [" << line << "]";
    }
}

TEST(CommandLine, JoinsTheHardCasesIntoTextThatSplitsBack) {
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
        std::vector<const char*> pointers;
        for (const std::string& arg : argv) pointers.push_back(arg.c_str());
        const std::string line = host::joinCommandLine(static_cast<int>(pointers.size()), pointers.data());
        EXPECT_EQ(splitChecked(line).args, argv) << "joined as [" << line << "]";
    }
    // No argv at all gives the empty text, which splits into nothing.
    EXPECT_EQ(host::joinCommandLine(0, nullptr), "");
}

}  // namespace
