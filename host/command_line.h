// Splitting one command-line text into an argument vector, with the quoting
// rules Windows programs traditionally apply, and joining one back.
#pragma once

#include <cstddef>
#include <string>

namespace host {

using Allocate = void* (*)(std::size_t);

// Returns one block from allocate: the pointer array (argument count + 1
// entries used, the last null) followed by the argument strings. count
// receives the number of arguments, program name included.
char** splitCommandLine(const char* commandLine, int& count, Allocate allocate);

// Size in bytes of the block splitCommandLine allocates for commandLine.
std::size_t commandLineBlockSize(const char* commandLine);

// The inverse: one command-line text that splitCommandLine turns back into
// argv. For platforms that receive their arguments already split.
std::string joinCommandLine(int argc, const char* const* argv);

}  // namespace host
