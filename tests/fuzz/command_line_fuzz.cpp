// Command-line splitting: any text splits inside the block it asked for, with
// a well-formed pointer array; and splitting the joined form of an argument
// vector gives that vector back.
#include "tests/fuzz/fuzz_input.h"
#include "tests/split_checked.h"

namespace {

std::vector<std::string> split(const std::string& line) {
    const split_test::Split split = split_test::splitChecked(line);
    if (!split.broken.empty()) fuzz::fail(__FILE__, __LINE__, split.broken.c_str());
    return split.args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The whole input as one command line, up to its first NUL.
    const std::string line = fuzz::withoutNul(std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<std::string> args = split(line);
    FUZZ_CHECK(split(split_test::joined(args)) == args);

    // The input as an argument vector (arguments end at NUL bytes).
    fuzz::Input input(data, size);
    std::vector<std::string> vector;
    while (!input.empty()) vector.push_back(fuzz::withoutNul(input.bytes(64)));
    FUZZ_CHECK(split(split_test::joined(vector)) == vector);
    return 0;
}
