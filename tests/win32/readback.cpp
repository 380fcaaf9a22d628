// A Tcl extension for the end-to-end scripts: reads back from Windows, in
// the process itself, what a window shows, so a test sees the text as
// Windows holds it (UTF-16), converted here to UTF-8 on its own.
// Loaded with `load readback.dll Readback`.
#include <windows.h>
#include <commctrl.h>
#include <tcl.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

std::string utf8(std::wstring_view text) {
    // A UTF-16 unit takes at most three bytes (a surrogate pair four).
    const int length = static_cast<int>(text.size());
    std::string converted(text.size() * 3, '\0');
    converted.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), length, converted.data(),
                                                                  length * 3, nullptr, nullptr)));
    return converted;
}

int utf8Result(Tcl_Interp* interp, std::wstring_view text, int code = TCL_OK) {
    Tcl_AppendResult(interp, utf8(text).c_str(), nullptr);
    return code;
}

// The window named by the first argument, with `least` to `most` words in
// the command; false, with Tcl's message, on a wrong count or a bad handle.
bool windowArgument(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], int least, int most, const char* usage,
                    HWND& window) {
    if (objc < least || objc > most) {
        Tcl_WrongNumArgs(interp, 1, objv, usage);
        return false;
    }
    int handle = 0;
    if (Tcl_GetIntFromObj(interp, objv[1], &handle) != TCL_OK) return false;
    window = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    return true;
}

std::wstring textOf(HWND window) {
    wchar_t text[2048];
    return std::wstring(text, static_cast<std::size_t>(GetWindowTextW(window, text, 2048)));
}

bool hasClass(HWND window, std::wstring_view name) {
    wchar_t className[32];
    return std::wstring_view(className, static_cast<std::size_t>(GetClassNameW(window, className, 32))) == name;
}

// ::e2e::windowtext hwnd: the window's title (GetWindowTextW).
int windowText(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    HWND window = nullptr;
    if (!windowArgument(interp, objc, objv, 2, 2, "hwnd", window)) return TCL_ERROR;
    return utf8Result(interp, textOf(window));
}

// ::e2e::menutext hwnd pos ?pos ...?: the label of the item at pos in the
// window's bar, then in its submenus (GetMenuStringW by position).
int menuText(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    HWND window = nullptr;
    if (!windowArgument(interp, objc, objv, 3, objc, "hwnd pos ?pos ...?", window)) return TCL_ERROR;
    HMENU menu = GetMenu(window);
    int position = 0;
    for (int i = 2; i < objc; ++i) {
        if (Tcl_GetIntFromObj(interp, objv[i], &position) != TCL_OK) return TCL_ERROR;
        if (i + 1 < objc) menu = GetSubMenu(menu, position);
    }
    wchar_t text[512];
    const int length = GetMenuStringW(menu, static_cast<UINT>(position), text, 512, MF_BYPOSITION);
    if (length == 0) return utf8Result(interp, L"no such menu item", TCL_ERROR);
    return utf8Result(interp, {text, static_cast<std::size_t>(length)});
}

// ::e2e::comctl: the path of the comctl32.dll that the process loads (the manifest's choice).
int commonControls(ClientData, Tcl_Interp* interp, int, Tcl_Obj* const[]) {
    wchar_t path[MAX_PATH] = L"";
    if (HMODULE comctl = LoadLibraryW(L"comctl32.dll")) GetModuleFileNameW(comctl, path, MAX_PATH);
    return utf8Result(interp, path);
}

BOOL CALLBACK findListView(HWND window, LPARAM found) {
    if (!hasClass(window, WC_LISTVIEWW)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// ::e2e::listrows hwnd: the first column of each row of the first list-view
// control in the window (LVM_GETITEMCOUNT, LVM_GETITEMTEXTW).
int listRows(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    HWND window = nullptr, list = nullptr;
    if (!windowArgument(interp, objc, objv, 2, 2, "hwnd", window)) return TCL_ERROR;
    EnumChildWindows(window, findListView, reinterpret_cast<LPARAM>(&list));
    if (list == nullptr) return TCL_ERROR;
    const auto count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (WPARAM row = 0; row < static_cast<WPARAM>(count); ++row) {
        wchar_t text[512];
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = 512;
        const auto length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        Tcl_AppendElement(interp, utf8({text, static_cast<std::size_t>(length)}).c_str());
    }
    return TCL_OK;
}

std::wstring noticeFile;

BOOL CALLBACK answerNotice(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || !hasClass(window, L"#32770")) return TRUE;
    // The message text is the box's static control 0xFFFF.
    if (std::FILE* file = _wfopen(noticeFile.c_str(), L"ab")) {
        std::fputs(utf8(textOf(window) + L"|" + textOf(GetDlgItem(window, 0xFFFF)) + L"\n").c_str(), file);
        std::fclose(file);
    }
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

DWORD WINAPI answerNotices(LPVOID) {
    for (;;) {
        EnumWindows(answerNotice, 0);
        Sleep(100);
    }
}

// ::e2e::answernotices file: from now on, answers every notice (message box)
// of the process with OK, after appending "caption|text" to file.
int answerNoticesCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "file");
        return TCL_ERROR;
    }
    Tcl_DString native;
    noticeFile = reinterpret_cast<const wchar_t*>(Tcl_WinUtfToTChar(Tcl_GetString(objv[1]), -1, &native));
    Tcl_DStringFree(&native);
    CloseHandle(CreateThread(nullptr, 0, answerNotices, nullptr, 0, nullptr));
    return TCL_OK;
}

}  // namespace

extern "C" __declspec(dllexport) int Readback_Init(Tcl_Interp* interp) {
    Tcl_CreateObjCommand(interp, "::e2e::windowtext", windowText, nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "::e2e::menutext", menuText, nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "::e2e::comctl", commonControls, nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "::e2e::listrows", listRows, nullptr, nullptr);
    Tcl_CreateObjCommand(interp, "::e2e::answernotices", answerNoticesCommand, nullptr, nullptr);
    return TCL_OK;
}
