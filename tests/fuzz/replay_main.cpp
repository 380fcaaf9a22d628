// Runs a fuzz target over saved inputs without libFuzzer: every file named on
// the command line, and every file in each folder named there. A file whose
// name ends in .inputs holds a sequence of inputs, each after its length in
// four bytes of this machine's order, run in turn.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i]))
            inputs.emplace_back(argv[i]);
        else
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    std::size_t replayed = 0;
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (!file && !file.eof()) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        std::fprintf(stderr, "%s\n", path.c_str());
        if (path.extension() != ".inputs") {
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
            continue;
        }
        for (std::size_t at = 0; at < bytes.size(); ++replayed) {
            std::uint32_t length = 0;
            if (bytes.size() - at >= sizeof length) std::memcpy(&length, bytes.data() + at, sizeof length);
            at += sizeof length;
            if (at > bytes.size() || bytes.size() - at < length) {
                std::fprintf(stderr, "%s: truncated after %zu inputs\n", path.c_str(), replayed);
                return 1;
            }
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data() + at), length);
            at += length;
        }
    }
    std::fprintf(stderr, "%zu inputs replayed\n", replayed);
    return replayed == 0 ? 1 : 0;
}
