// Command-line splitting: any text splits inside the block it asked for, with
// a well-formed pointer array; and splitting the joined form of an argument
// vector gives that vector back.
#include <cstring>
#include <vector>

#include "host/command_line.h"
#include "host/host.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr std::size_t kGuard = 32;
constexpr unsigned char kGuardByte = 0xA5;
std::vector<unsigned char> arena;

// The block sits between guard zones inside an arena of exactly the right
// size, so a stray write shows without a sanitizer and a stray read with one.
void* guardedAllocate(std::size_t size) {
    arena.assign(size + 2 * kGuard, kGuardByte);
    std::memset(arena.data() + kGuard, 0xCC, size);
    return arena.data() + kGuard;
}

std::vector<std::string> split(const std::string& line) {
    int count = -1;
    char** argv = host::splitCommandLine(line.c_str(), count, guardedAllocate);
    const std::size_t size = host::commandLineBlockSize(line.c_str());
    FUZZ_CHECK(arena.size() == size + 2 * kGuard);
    for (std::size_t i = 0; i < kGuard; ++i) FUZZ_CHECK(arena[i] == kGuardByte && arena[kGuard + size + i] == kGuardByte);

    const char* block = reinterpret_cast<const char*>(argv);
    const char* strings = block + (size - line.size() - 1);
    FUZZ_CHECK(count >= 0 && static_cast<std::size_t>(count + 1) * sizeof(char*) <= size - line.size() - 1);
    FUZZ_CHECK(argv[count] == nullptr);
    std::vector<std::string> out;
    const char* previousEnd = strings;
    for (int i = 0; i < count; ++i) {
        // In order, one after another, each ended inside the string area.
        FUZZ_CHECK(argv[i] >= previousEnd && argv[i] < block + size);
        const void* end = std::memchr(argv[i], '\0', static_cast<std::size_t>(block + size - argv[i]));
        FUZZ_CHECK(end != nullptr);
        out.emplace_back(argv[i]);
        previousEnd = static_cast<const char*>(end) + 1;
    }
    return out;
}

std::string join(const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    return host::joinCommandLine(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The whole input as one command line, up to its first NUL.
    const std::string line(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const std::vector<std::string> args = split(line);
    FUZZ_CHECK(split(join(args)) == args);

    // The input as an argument vector (arguments end at NUL bytes).
    fuzz::Input input(data, size);
    std::vector<std::string> vector;
    while (!input.empty()) {
        std::string arg = input.bytes(64);
        vector.push_back(arg.substr(0, arg.find('\0')));
    }
    FUZZ_CHECK(split(join(vector)) == vector);
    return 0;
}
