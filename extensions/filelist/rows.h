// Reading a file's row: the extension stats each file itself.
#pragma once

#include <string_view>

#include "view.h"

namespace filelist {

// The row of the file at path (UTF-8): its name, size and modification
// time, or, for a file that cannot be read, a row that says why.
Row readRow(std::string_view path);

}  // namespace filelist
