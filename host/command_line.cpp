#include "host/command_line.h"

#include <cstring>
#include <string_view>

namespace host {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

// Every argument after the first begins after a run of blanks and tabs, so
// 2 + runs slots hold all arguments and the closing null.
std::size_t slotCount(const char* text) {
    std::size_t runs = 0;
    while (*text != '\0') {
        if (isSeparator(*text)) {
            ++runs;
            while (isSeparator(*text)) ++text;
        } else {
            ++text;
        }
    }
    return 2 + runs;
}

// Copies one argument from in to out; returns the input position where it ended.
const char* parseArgument(const char* in, char*& out) {
    bool inQuotes = false;
    for (;;) {
        std::size_t backslashes = 0;
        while (*in == '\\') {
            ++backslashes;
            ++in;
        }
        bool copy = true;
        if (*in == '"') {
            if (backslashes % 2 == 0) {
                if (inQuotes && in[1] == '"') {
                    ++in;  // a doubled quote inside quotes stands for one
                } else {
                    inQuotes = !inQuotes;
                    copy = false;
                }
            }
            backslashes /= 2;
        }
        for (; backslashes > 0; --backslashes) *out++ = '\\';
        if (*in == '\0' || (!inQuotes && isSeparator(*in))) return in;
        if (copy) *out++ = *in;
        ++in;
    }
}

}  // namespace

std::size_t commandLineBlockSize(const char* commandLine) {
    return slotCount(commandLine) * sizeof(char*) + std::strlen(commandLine) + 1;
}

char** splitCommandLine(const char* commandLine, int& count, Allocate allocate) {
    const std::size_t slots = slotCount(commandLine);
    auto* block = static_cast<char*>(allocate(commandLineBlockSize(commandLine)));
    auto** argv = reinterpret_cast<char**>(block);
    char* out = block + slots * sizeof(char*);
    const char* in = commandLine;

    std::size_t j = 0;
    for (; j < slots - 1; ++j) {
        argv[j] = out;
        while (isSeparator(*in)) ++in;
        if (*in == '\0') break;
        in = parseArgument(in, out);
        *out++ = '\0';
    }
    argv[j] = nullptr;
    count = static_cast<int>(j);
    return argv;
}

std::string joinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) line += ' ';
        const std::string_view arg = argv[i];
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string_view::npos) {
            // Backslashes are literal unless a quote follows, and none does.
            line += arg;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes before a quote are doubled, and the quote escaped.
            line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        // Doubled so that the closing quote is not escaped.
        line.append(2 * backslashes, '\\');
        line += '"';
    }
    return line;
}

}  // namespace host
