// The open and save dialogs on Win32, with the host's hook. They run through
// the wide functions: the title and the filter block go in as UTF-16, and the
// selection block comes back as UTF-8 into the host's buffer.
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win32/win32_internal.h"

namespace platform {
namespace {

// The record without the fields that Windows 2000 added.
constexpr std::size_t kOpenFileNameFormSize = offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR);
static_assert(sizeof(void*) == 8 || kOpenFileNameFormSize == kOpenFileNameSize,
              "the 76-byte OPENFILENAMEW ends after lpTemplateName");

using win32::fromWindow;
using win32::toWindow;
using win32::WideText;

// The hook of the dialog that is open (dialogs are modal, so there is at
// most one).
DialogHook dialogHook = nullptr;

// Set when the dialog succeeded but its selection, as UTF-8, did not fit the
// host's buffer; commDlgExtendedError reports it as Windows reports a
// selection that does not fit.
std::uint32_t selectionError = 0;

UINT_PTR CALLBACK hookTrampoline(HWND dialog, UINT code, WPARAM wParam, LPARAM lParam) {
    if (dialogHook == nullptr) return 0;
    return dialogHook(fromWindow(dialog), code, wParam, lParam);
}

// comdlg32.dll is loaded on the first dialog rather than at start: it brings
// in the shell's libraries, which would cost every start for a dialog that
// many runs never show.
struct CommonDialogs {
    BOOL(WINAPI* getOpenFileName)(LPOPENFILENAMEW) = nullptr;
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEW) = nullptr;
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
        if (HMODULE module = LoadLibraryW(L"comdlg32.dll")) {
            resolve(module, "GetOpenFileNameW", loaded.getOpenFileName);
            resolve(module, "GetSaveFileNameW", loaded.getSaveFileName);
            resolve(module, "CommDlgExtendedError", loaded.extendedError);
        }
        return loaded;
    }();
    return dialogs;
}

bool runFileDialog(FileDialog& dialog, BOOL (WINAPI* show)(LPOPENFILENAMEW)) {
    selectionError = 0;
    if (show == nullptr) return false;
    const std::u16string filter = dialog.filter != nullptr ? win32::utf16FromUtf8Block(dialog.filter) : u"";
    const WideText title(dialog.title);
    // The file buffer holds as many UTF-16 units as the host's holds bytes,
    // starting with the host's initial name.
    std::wstring file(dialog.maxFile, L'\0');
    if (dialog.maxFile > 0 && dialog.file != nullptr) {
        const std::u16string initial = win32::utf16FromUtf8(dialog.file);
        const std::size_t length = std::min<std::size_t>(initial.size(), dialog.maxFile - 1);
        initial.copy(reinterpret_cast<char16_t*>(file.data()), length);
    }

    OPENFILENAMEW ofn{};
    ofn.lStructSize = win32::recordSize(dialog.structSize, kOpenFileNameSize, kOpenFileNameFormSize);
    ofn.hwndOwner = toWindow(dialog.owner);
    ofn.lpstrFilter = dialog.filter != nullptr ? reinterpret_cast<LPCWSTR>(filter.c_str()) : nullptr;
    ofn.nFilterIndex = dialog.filterIndex;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = dialog.maxFile;
    ofn.lpstrTitle = title.get();
    ofn.Flags = dialog.flags;
    ofn.lpfnHook = dialog.hook != nullptr ? hookTrampoline : nullptr;
    DialogHook outer = dialogHook;
    dialogHook = dialog.hook;
    BOOL chosen = show(&ofn);
    dialogHook = outer;
    if (!chosen) return false;

    // The selection block as UTF-8; it must fit the host's buffer whole.
    const std::string selection =
        win32::utf8FromUtf16Block(std::u16string_view(reinterpret_cast<const char16_t*>(file.data()), file.size()));
    if (selection.size() > dialog.maxFile) {
        if (dialog.maxFile > 0) dialog.file[0] = '\0';
        selectionError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    selection.copy(dialog.file, selection.size());
    return true;
}

}  // namespace

bool getOpenFileName(FileDialog& dialog) { return runFileDialog(dialog, commonDialogs().getOpenFileName); }

bool getSaveFileName(FileDialog& dialog) { return runFileDialog(dialog, commonDialogs().getSaveFileName); }

std::uint32_t commDlgExtendedError() {
    if (selectionError != 0) return selectionError;
    // Without comdlg32.dll no dialog could start: report it as the
    // dialogs' own initialisation failure.
    if (commonDialogs().extendedError == nullptr) return CDERR_INITIALIZATION;
    return commonDialogs().extendedError();
}

}  // namespace platform
