// The open and save dialogs of the headless platform: each records what it
// was given, runs the hook on a dialog window of its own and gives the
// answer a test queued (a cancel when none is).
#include <cstring>

#include "platform/headless/headless_internal.h"

namespace headless {

DialogsState& dialogsState() {
    static DialogsState instance;
    return instance;
}

}  // namespace headless

namespace platform {
namespace {

bool runDialog(bool save, FileDialog& dialog) {
    auto& s = headless::dialogsState();
    headless::record(save ? "GetSaveFileNameW" : "GetOpenFileNameW", dialog.structSize, dialog.owner,
                     dialog.filterIndex, dialog.maxFile, dialog.title != nullptr ? dialog.title : "(null)",
                     headless::hex(dialog.flags));
    headless::DialogRecord entry{};
    entry.save = save;
    entry.structSize = dialog.structSize;
    entry.owner = dialog.owner;
    if (dialog.filter != nullptr) {
        // Pairs of strings up to the empty string that ends the list.
        const char* at = dialog.filter;
        while (*at != '\0') at += std::strlen(at) + 1;
        entry.filterBlock.assign(dialog.filter, static_cast<std::size_t>(at - dialog.filter) + 1);
    }
    entry.filterIndex = dialog.filterIndex;
    entry.maxFile = dialog.maxFile;
    entry.fileStartsEmpty = dialog.file != nullptr && dialog.file[0] == '\0';
    if (dialog.title != nullptr) entry.title = dialog.title;
    entry.flags = dialog.flags;
    entry.hasHook = dialog.hook != nullptr;

    headless::Window frame;
    frame.className = "#32770";
    frame.frame = s.dialogFrame;
    frame.parent = 0;
    const WindowHandle frameHandle = headless::newWindow(std::move(frame));
    headless::Window child;
    child.className = "#32770";
    child.parent = frameHandle;
    const WindowHandle childHandle = headless::newWindow(std::move(child));
    if (dialog.hook != nullptr && (dialog.flags & kOfnEnableHook) != 0) {
        dialog.hook(childHandle, kWmInitDialog, 0, 0);
    }
    if (const headless::Window* f = headless::find(frameHandle)) entry.frameAfterHook = f->frame;
    s.dialogs.push_back(entry);

    headless::DialogAnswer answer;
    if (!s.answers.empty()) {
        answer = std::move(s.answers.front());
        s.answers.pop_front();
    }
    if (answer.whileOpen) answer.whileOpen();
    headless::windowsState().windows.erase(childHandle);
    headless::windowsState().windows.erase(frameHandle);

    if (!answer.chosen) {
        s.dialogError = answer.errorCode;
        return false;
    }
    std::string block = answer.selection;
    block += '\0';
    if (dialog.file == nullptr || block.size() > dialog.maxFile) {
        s.dialogError = kFnErrBufferTooSmall;
        return false;
    }
    std::memcpy(dialog.file, block.data(), block.size());
    s.dialogError = 0;
    return true;
}

}  // namespace

bool getOpenFileName(FileDialog& dialog) { return runDialog(false, dialog); }
bool getSaveFileName(FileDialog& dialog) { return runDialog(true, dialog); }

std::uint32_t commDlgExtendedError() {
    headless::record("CommDlgExtendedError");
    return headless::dialogsState().dialogError;
}

}  // namespace platform
