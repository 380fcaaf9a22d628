// ::vesk::filedlg ?options? filter: the platform's open or save dialog.
#include "commands/file_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "commands/commands.h"
#include "support/command_table.h"
#include "support/main_window.h"

namespace commands {

namespace {

// Signed 32-bit results; computed wide so that extreme frames cannot overflow.
std::int32_t centred(std::int32_t mainFrom, std::int32_t mainTo, std::int32_t dialogFrom, std::int32_t dialogTo) {
    const std::int64_t mainExtent = static_cast<std::int32_t>(static_cast<std::int64_t>(mainTo) - mainFrom);
    const std::int64_t dialogExtent = static_cast<std::int32_t>(static_cast<std::int64_t>(dialogTo) - dialogFrom);
    const auto half = static_cast<std::int32_t>(static_cast<std::int32_t>(mainExtent - dialogExtent) / 2);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(mainFrom) + static_cast<std::uint32_t>(half));
}

}  // namespace

FilterBlock convertFilter(std::string_view filterText) {
    FilterBlock block;
    block.size = filterText.size() + 2;
    block.bytes = std::make_unique<char[]>(block.size);
    std::uint32_t bars = 0;
    for (std::size_t i = 0; i < filterText.size(); ++i) {
        const char c = filterText[i];
        if (c == '|') ++bars;
        block.bytes[i] = c == '|' ? '\0' : c;
    }
    block.bytes[filterText.size()] = '\0';
    block.bytes[filterText.size() + 1] = '\0';
    block.index = bars / 2;
    return block;
}

Tcl_Obj* convertSelection(const char* block, std::size_t size) {
    if (size == 0 || block[0] == '\0') return Tcl_NewObj();
    std::vector<Tcl_Obj*> names;
    std::size_t at = 0;
    while (at < size && block[at] != '\0') {
        const void* end = std::memchr(block + at, '\0', size - at);
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - (block + at)) : size - at;
        names.push_back(Tcl_NewStringObj(block + at, static_cast<int>(length)));
        at += length + 1;
    }
    return Tcl_NewListObj(static_cast<int>(names.size()), names.data());
}

Position centredPosition(const platform::Rect& mainFrame, const platform::Rect& dialogFrame) {
    return {centred(mainFrame.left, mainFrame.right, dialogFrame.left, dialogFrame.right),
            centred(mainFrame.top, mainFrame.bottom, dialogFrame.top, dialogFrame.bottom)};
}

std::uintptr_t centringHook(platform::WindowHandle hookWindow, std::uint32_t code, platform::WParam, platform::LParam) {
    if (code != platform::kWmInitDialog) return 0;
    platform::Rect mainFrame;
    platform::Rect dialogFrame;
    platform::getWindowRect(support::mainWindow(), mainFrame);
    platform::getWindowRect(platform::getParent(hookWindow), dialogFrame);
    Position at = centredPosition(mainFrame, dialogFrame);
    // As Windows places its own dialogs: whole inside the work area, or at
    // least its top-left corner (and so its title bar) when it is larger.
    if (platform::Rect area; platform::workArea(support::mainWindow(), area)) {
        const std::int64_t width = std::int64_t{dialogFrame.right} - dialogFrame.left;
        const std::int64_t height = std::int64_t{dialogFrame.bottom} - dialogFrame.top;
        at.x = static_cast<std::int32_t>(std::max<std::int64_t>(std::min<std::int64_t>(at.x, area.right - width), area.left));
        at.y = static_cast<std::int32_t>(std::max<std::int64_t>(std::min<std::int64_t>(at.y, area.bottom - height), area.top));
    }
    platform::setWindowPos(platform::getParent(hookWindow), 0, at.x, at.y, 0, 0,
                           platform::kSwpNoSize | platform::kSwpNoZOrder | platform::kSwpNoActivate);
    return 0;
}

namespace {

int fileDialogCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    static const char* const kOptions[] = {"-noplaces", "-addtorecent", "-title", "-save", "-open", "--", nullptr};
    enum { kNoPlaces, kAddToRecent, kTitle, kSave, kOpen, kEndOfOptions };

    bool save = false;
    const char* title = nullptr;
    int i = 1;
    while (i < objc && Tcl_GetString(objv[i])[0] == '-') {
        int option;
        if (Tcl_GetIndexFromObj(interp, objv[i], kOptions, "options", 0, &option) != TCL_OK) return TCL_ERROR;
        if (option == kEndOfOptions) {
            ++i;
            break;
        }
        if (option == kTitle) {
            if (++i >= objc) break;
            title = Tcl_GetString(objv[i]);
        } else if (option == kSave) {
            save = true;
        } else if (option == kOpen) {
            save = false;
        }
        ++i;
    }
    if (objc - i != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, "filter");
        return TCL_ERROR;
    }

    int filterLength = 0;
    const char* filterText = Tcl_GetStringFromObj(objv[i], &filterLength);
    FilterBlock filter = convertFilter(std::string_view(filterText, static_cast<std::size_t>(filterLength)));
    auto file = std::make_unique<char[]>(kFileBufferSize);
    file[0] = '\0';

    platform::FileDialog dialog;
    dialog.owner = support::mainWindow();
    dialog.filter = filter.bytes.get();
    dialog.filterIndex = filter.index;
    dialog.file = file.get();
    dialog.maxFile = kFileBufferSize;
    dialog.title = title;
    dialog.flags = save ? kSaveDialogFlags : kFileDialogFlags;
    dialog.hook = centringHook;
    const bool chosen = save ? platform::getSaveFileName(dialog) : platform::getOpenFileName(dialog);
    filter.bytes.reset();

    if (chosen) {
        Tcl_SetObjResult(interp, convertSelection(file.get(), kFileBufferSize));
        return TCL_OK;
    }
    Tcl_ResetResult(interp);
    char code[16];
    std::snprintf(code, sizeof code, "%lu", static_cast<unsigned long>(platform::commDlgExtendedError()));
    Tcl_AppendResult(interp, "error on GetOpenFileName/GetSaveFileName: ", code, nullptr);
    return TCL_ERROR;
}

}  // namespace

void registerFileDialogCommand(Tcl_Interp* interp) {
    support::createCommands(interp, {{"::vesk::filedlg", fileDialogCommand}});
}

}  // namespace commands
