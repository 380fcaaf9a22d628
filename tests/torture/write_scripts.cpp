// Writes torture scripts for the real programs: one file per seed,
// <folder>/<seed>.tcl, each holding the given number of sequences.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/torture/generator.h"

int main(int argc, char** argv) {
    if (argc != 5 && !(argc == 6 && std::string(argv[5]) == "dialogs")) {
        std::fprintf(stderr, "usage: %s folder first-seed count sequences-per-script [dialogs]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const unsigned long first = std::strtoul(argv[2], nullptr, 0);
    const long count = std::strtol(argv[3], nullptr, 10);
    const int sequences = std::atoi(argv[4]);
    for (long i = 0; i < count; ++i) {
        const auto seed = static_cast<std::uint32_t>(first + static_cast<unsigned long>(i));
        const std::string path = folder + "/" + std::to_string(seed) + ".tcl";
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << torture::programScript(seed, sequences, argc == 6);
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
