// Text between Tcl's UTF-8 and the UTF-16 of the wide Win32 functions. Plain
// C++ with no Windows types, so the conversions are tested on every platform.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::win32 {

// Decodes UTF-8 as Tcl keeps it: a character beyond U+FFFF may come as one
// four-byte sequence or as two three-byte surrogates (Tcl 8.6 does both);
// either becomes its surrogate pair. Anything else that is not UTF-8 becomes
// U+FFFD, one for each longest invalid run that starts a sequence, as are
// surrogates without their partner.
std::u16string utf16FromUtf8(std::string_view utf8);

// Encodes as UTF-8; an unpaired surrogate becomes U+FFFD, so the result is
// always valid UTF-8.
std::string utf8FromUtf16(std::u16string_view utf16);

// A block of NUL-terminated strings ended by an empty string (the file
// dialogs' filter and selection blocks), each string converted on its own,
// so the NULs between them stay where they are. The UTF-16 form reads the
// block up to its empty string; the UTF-8 form reads at most the units of
// block (a block that does not end within them is ended there).
std::u16string utf16FromUtf8Block(const char* block);
std::string utf8FromUtf16Block(std::u16string_view block);

// The length of the longest start of utf8 that has at most limit bytes and
// does not end inside a character.
std::size_t fittingPrefix(std::string_view utf8, std::size_t limit);

}  // namespace platform::win32
