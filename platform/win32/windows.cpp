// The window class and the main window on Win32: each
// operation is the Win32 call of the same meaning, with the values the host
// gives passed through unchanged. The class is registered with the wide
// functions, so the window is a Unicode window: its titles are UTF-16 all
// the way, converted from and to the host's UTF-8 only here.
#include <windows.h>

#include "platform/win32/win32_internal.h"

namespace platform {
namespace {

using win32::fromWindow;
using win32::toWindow;
using win32::WideText;

// WM_DPICHANGED, sent from Windows 8.1 on (the headers name it only for
// WINVER 0x0601 and later).
constexpr UINT kWmDpiChanged = 0x02E0;

// The host's procedure for the one window class it registers.
WindowProcedure windowProcedure = nullptr;

// The class the host registers (messages.cpp reads it: see hostWindowClass).
ATOM hostClass = 0;

LRESULT CALLBACK windowTrampoline(HWND window, UINT code, WPARAM wParam, LPARAM lParam) {
    // The process is aware of each monitor's DPI: moved to a monitor of
    // another DPI, the window takes the size Windows proposes for it, so it
    // keeps its look; the host sees the usual size message.
    if (code == kWmDpiChanged) {
        const auto* proposed = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, proposed->left, proposed->top, proposed->right - proposed->left,
                     proposed->bottom - proposed->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (windowProcedure == nullptr) return DefWindowProcW(window, code, wParam, lParam);
    return windowProcedure(fromWindow(window), code, wParam, lParam);
}

bool toRect(BOOL ok, const RECT& source, Rect& rect) {
    if (!ok) return false;
    rect.left = source.left;
    rect.top = source.top;
    rect.right = source.right;
    rect.bottom = source.bottom;
    return true;
}

}  // namespace

namespace win32 {

ATOM hostWindowClass() { return hostClass; }

}  // namespace win32

void registerWindowClass(const WindowClass& windowClass) {
    windowProcedure = windowClass.procedure;
    const WideText className(windowClass.className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = windowClass.style;
    wc.lpfnWndProc = windowTrampoline;
    wc.hInstance = GetModuleHandleW(nullptr);
    // The program's own icon (resource 1) in the caption, the task bar and
    // the task switcher; Windows picks the small size from the same icon.
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(windowClass.cursor));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(windowClass.background));
    wc.lpszClassName = className.get();
    if (const ATOM registered = RegisterClassExW(&wc)) hostClass = registered;
}

WindowHandle createWindow(const WindowCreation& creation) {
    return fromWindow(CreateWindowExW(creation.exStyle, WideText(creation.className).get(),
                                      WideText(creation.caption).get(), creation.style, creation.x, creation.y,
                                      creation.width, creation.height, nullptr, nullptr, GetModuleHandleW(nullptr),
                                      nullptr));
}

void showWindow(WindowHandle window, int showCommand) { ShowWindow(toWindow(window), showCommand); }

void updateWindow(WindowHandle window) { UpdateWindow(toWindow(window)); }

bool destroyWindow(WindowHandle window) { return DestroyWindow(toWindow(window)) != 0; }

bool getClientRect(WindowHandle window, Rect& rect) {
    RECT r{};
    return toRect(GetClientRect(toWindow(window), &r), r, rect);
}

bool getWindowRect(WindowHandle window, Rect& rect) {
    RECT r{};
    return toRect(GetWindowRect(toWindow(window), &r), r, rect);
}

bool workArea(WindowHandle window, Rect& area) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const BOOL known = GetMonitorInfoW(MonitorFromWindow(toWindow(window), MONITOR_DEFAULTTOPRIMARY), &info);
    return toRect(known, info.rcWork, area);
}

bool setWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::uint32_t flags) {
    return SetWindowPos(toWindow(window), toWindow(insertAfter), x, y, width, height, flags) != 0;
}

bool setWindowText(WindowHandle window, const char* text) {
    return SetWindowTextW(toWindow(window), WideText(text).get()) != 0;
}

WindowHandle getParent(WindowHandle window) { return fromWindow(GetParent(toWindow(window))); }

}  // namespace platform
