// The open and save dialogs on Win32, with the host's hook.
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <cstddef>

#include "platform/win32/win32_internal.h"

namespace platform {
namespace {

static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == kOpenFileNameSize,
              "the 76-byte OPENFILENAMEA ends after lpTemplateName");

using win32::fromWindow;
using win32::toWindow;

// The hook of the dialog that is open (dialogs are modal, so there is at
// most one).
DialogHook dialogHook = nullptr;

UINT_PTR CALLBACK hookTrampoline(HWND dialog, UINT code, WPARAM wParam, LPARAM lParam) {
    if (dialogHook == nullptr) return 0;
    return dialogHook(fromWindow(dialog), code, wParam, lParam);
}

// comdlg32.dll is loaded on the first dialog rather than at start: it brings
// in the shell's libraries, which would cost every start for a dialog that
// many runs never show.
struct CommonDialogs {
    BOOL(WINAPI* getOpenFileName)(LPOPENFILENAMEA) = nullptr;
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEA) = nullptr;
    DWORD(WINAPI* extendedError)() = nullptr;
};

template <typename Function>
void resolve(HMODULE module, const char* name, Function& function) {
    // Through void(*)() so that the cast between function types is explicit.
    auto address = reinterpret_cast<void (*)()>(GetProcAddress(module, name));
    function = reinterpret_cast<Function>(address);
}

const CommonDialogs& commonDialogs() {
    static const CommonDialogs dialogs = [] {
        CommonDialogs loaded;
        if (HMODULE module = LoadLibraryA("comdlg32.dll")) {
            resolve(module, "GetOpenFileNameA", loaded.getOpenFileName);
            resolve(module, "GetSaveFileNameA", loaded.getSaveFileName);
            resolve(module, "CommDlgExtendedError", loaded.extendedError);
        }
        return loaded;
    }();
    return dialogs;
}

bool runFileDialog(FileDialog& dialog, BOOL (WINAPI* show)(LPOPENFILENAMEA)) {
    if (show == nullptr) return false;
    OPENFILENAMEA ofn{};
    ofn.lStructSize = dialog.structSize;
    ofn.hwndOwner = toWindow(dialog.owner);
    ofn.lpstrFilter = dialog.filter;
    ofn.nFilterIndex = dialog.filterIndex;
    ofn.lpstrFile = dialog.file;
    ofn.nMaxFile = dialog.maxFile;
    ofn.lpstrTitle = dialog.title;
    ofn.Flags = dialog.flags;
    ofn.lpfnHook = dialog.hook != nullptr ? hookTrampoline : nullptr;
    DialogHook outer = dialogHook;
    dialogHook = dialog.hook;
    BOOL chosen = show(&ofn);
    dialogHook = outer;
    return chosen != 0;
}

}  // namespace

bool getOpenFileName(FileDialog& dialog) { return runFileDialog(dialog, commonDialogs().getOpenFileName); }

bool getSaveFileName(FileDialog& dialog) { return runFileDialog(dialog, commonDialogs().getSaveFileName); }

std::uint32_t commDlgExtendedError() {
    // Without comdlg32.dll no dialog could start: report it as the
    // dialogs' own initialisation failure.
    if (commonDialogs().extendedError == nullptr) return CDERR_INITIALIZATION;
    return commonDialogs().extendedError();
}

}  // namespace platform
