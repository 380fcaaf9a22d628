// The yardstick for the start-up benchmark: the least a Win32 program does to
// show one window and close it again. Class and window values are the same
// as vesk2b's main window, so the two differ only in what vesk2b adds (Tcl,
// the console, the application script). Options on its command line add one
// piece of vesk2b each, to show what each piece costs:
//   --console  opens a console the way vesk2b does (a process of its own
//              under Wine);
//   --tcl      creates and deletes a Tcl interpreter the way vesk2b does; only
//              in bare_tcl_window.exe, which links tcl86.dll (bare_window.exe
//              must not load it).
#include <windows.h>

#include <cstring>

#ifdef BARE_WINDOW_WITH_TCL
#include <tcl.h>
#endif

namespace {

LRESULT CALLBACK procedure(HWND window, UINT code, WPARAM wParam, LPARAM lParam) {
    if (code == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, code, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    if (std::strstr(commandLine, "--console") != nullptr) {
        AllocConsole();
        HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        SetStdHandle(STD_OUTPUT_HANDLE, console);
        SetStdHandle(STD_ERROR_HANDLE, console);
    }
#ifdef BARE_WINDOW_WITH_TCL
    Tcl_Interp* interp = nullptr;
    if (std::strstr(commandLine, "--tcl") != nullptr) {
        Tcl_FindExecutable(nullptr);
        interp = Tcl_CreateInterp();
    }
#endif
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
    wc.lpszClassName = "BAREAPP";
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "BAREAPP", "bare", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    DestroyWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
#ifdef BARE_WINDOW_WITH_TCL
    if (interp != nullptr) Tcl_DeleteInterp(interp);
#endif
    return static_cast<int>(message.wParam);
}
