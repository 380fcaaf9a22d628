// Pieces of ::vesk::filedlg that tests reach directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include <tcl.h>

#include "platform/platform.h"

namespace commands {

inline constexpr std::uint32_t kFileBufferSize = 0x8000;
inline constexpr std::uint32_t kFileDialogFlags =
    platform::kOfnHideReadOnly | platform::kOfnEnableHook | platform::kOfnAllowMultiSelect |
    platform::kOfnPathMustExist | platform::kOfnFileMustExist | platform::kOfnExplorer | platform::kOfnEnableSizing;
// The save dialog also asks before it replaces a file that exists.
inline constexpr std::uint32_t kSaveDialogFlags = kFileDialogFlags | platform::kOfnOverwritePrompt;

// "Text|*.txt|All|*.*" becomes "Text\0*.txt\0All\0*.*\0\0"; the index is the
// number of bars divided by 2.
struct FilterBlock {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::uint32_t index = 0;
};
FilterBlock convertFilter(std::string_view filterText);

// The strings of a selection block (ended by an empty string, never read past
// size bytes) as a new list; an empty object when the block is empty.
Tcl_Obj* convertSelection(const char* block, std::size_t size);

// Where a dialog frame goes to be centred on the main window's frame.
struct Position {
    std::int32_t x;
    std::int32_t y;
};
Position centredPosition(const platform::Rect& mainFrame, const platform::Rect& dialogFrame);

// The dialog hook: centres the dialog when it is initialised.
std::uintptr_t centringHook(platform::WindowHandle hookWindow, std::uint32_t code, platform::WParam, platform::LParam);

}  // namespace commands
