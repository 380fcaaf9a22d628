// The file dialog's two conversions on arbitrary bytes: the filter text to
// the filter block and index, and a selection block (missing terminators, a
// buffer filled to its end) to the list of names. Both blocks are exactly as
// large as stated, so any access outside them is a sanitizer finding.
#include <cstring>
#include <memory>
#include <vector>

#include "commands/file_dialog.h"
#include "support/tcl_ref.h"
#include "tests/fresh_host.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] static const bool tclReady = (Tcl_FindExecutable(nullptr), true);
    fuzz::Input input(data, size);

    const std::string filter = input.bytes();
    const commands::FilterBlock block = commands::convertFilter(filter);
    FUZZ_CHECK(block.size == filter.size() + 2);
    // The filter with a NUL for each bar, and two NULs after it.
    std::string expectedBlock = filter + std::string(2, '\0');
    std::replace(expectedBlock.begin(), expectedBlock.end(), '|', '\0');
    FUZZ_CHECK(std::string_view(block.bytes.get(), block.size) == expectedBlock);
    FUZZ_CHECK(block.index == static_cast<std::uint32_t>(std::count(filter.begin(), filter.end(), '|') / 2));

    // The rest is the selection, alone or at the front of a full file buffer
    // whose remaining bytes are all one non-NUL byte.
    const bool full = input.flag();
    const std::uint8_t fill = static_cast<std::uint8_t>(input.byte() | 1);
    std::string selection;
    while (!input.empty()) selection += input.bytes();
    const std::size_t length = full ? std::max<std::size_t>(commands::kFileBufferSize, selection.size()) : selection.size();
    auto buffer = std::make_unique<char[]>(length);
    std::memset(buffer.get(), fill, length);
    if (!selection.empty()) std::memcpy(buffer.get(), selection.data(), selection.size());

    // Expected: the strings up to the empty one or the end of the buffer.
    std::vector<std::string> expected;
    for (std::size_t at = 0; at < length && buffer[at] != '\0'; at += expected.back().size() + 1)
        expected.emplace_back(buffer.get() + at, strnlen(buffer.get() + at, length - at));
    const support::TclRef list(commands::convertSelection(buffer.get(), length));
    FUZZ_CHECK(fresh_host::listElements(list.get()) == expected);
    if (expected.empty()) FUZZ_CHECK(Tcl_GetCharLength(list.get()) == 0);
    return 0;
}
