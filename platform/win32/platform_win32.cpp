// The platform layer on Win32: each operation is the Win32 call of the same
// meaning, with the values the host gives passed through unchanged. Handles
// cross as 32-bit integers, which holds every HWND, HMENU and HACCEL on i686.
#include "platform/platform.h"

#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <cstddef>
#include <cstring>

namespace {

static_assert(sizeof(void*) == 4, "handles are carried as 32-bit integers: build for i686");
static_assert(sizeof(MENUITEMINFOA) == platform::kMenuItemInfoSize, "MENUITEMINFOA must be the 48-byte form");
static_assert(sizeof(ACCEL) == sizeof(platform::Accelerator), "accelerator entries are ACCEL records");
static_assert(offsetof(ACCEL, fVirt) == offsetof(platform::Accelerator, fVirt));
static_assert(offsetof(ACCEL, key) == offsetof(platform::Accelerator, key));
static_assert(offsetof(ACCEL, cmd) == offsetof(platform::Accelerator, cmd));
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == platform::kOpenFileNameSize,
              "the 76-byte OPENFILENAMEA ends after lpTemplateName");

// The host's procedure for the one window class it registers, and the hook of
// the dialog that is open (dialogs are modal, so there is at most one).
platform::WindowProcedure windowProcedure = nullptr;
platform::DialogHook dialogHook = nullptr;

// The last message GetMessageA returned, so that TranslateMessage and
// DispatchMessageA see it whole (with its time and cursor position).
MSG lastMessage{};

HWND toWindow(platform::WindowHandle window) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window)); }
platform::WindowHandle fromWindow(HWND window) {
    return static_cast<platform::WindowHandle>(reinterpret_cast<std::intptr_t>(window));
}
HMENU toMenu(platform::MenuHandle menu) { return reinterpret_cast<HMENU>(static_cast<std::intptr_t>(menu)); }
HACCEL toAccel(platform::AcceleratorTableHandle table) {
    return reinterpret_cast<HACCEL>(static_cast<std::intptr_t>(table));
}

LRESULT CALLBACK windowTrampoline(HWND window, UINT code, WPARAM wParam, LPARAM lParam) {
    if (windowProcedure == nullptr) return DefWindowProcA(window, code, wParam, lParam);
    return windowProcedure(fromWindow(window), code, wParam, lParam);
}

UINT_PTR CALLBACK hookTrampoline(HWND dialog, UINT code, WPARAM wParam, LPARAM lParam) {
    if (dialogHook == nullptr) return 0;
    return dialogHook(fromWindow(dialog), code, wParam, lParam);
}

MSG toMsg(const platform::Message& message) {
    if (lastMessage.hwnd == toWindow(message.window) && lastMessage.message == message.code &&
        lastMessage.wParam == message.wParam && lastMessage.lParam == message.lParam) {
        return lastMessage;
    }
    MSG msg{};
    msg.hwnd = toWindow(message.window);
    msg.message = message.code;
    msg.wParam = message.wParam;
    msg.lParam = message.lParam;
    return msg;
}

bool toRect(BOOL ok, const RECT& source, platform::Rect& rect) {
    if (!ok) return false;
    rect.left = source.left;
    rect.top = source.top;
    rect.right = source.right;
    rect.bottom = source.bottom;
    return true;
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

bool runFileDialog(platform::FileDialog& dialog, BOOL (WINAPI* show)(LPOPENFILENAMEA)) {
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
    platform::DialogHook outer = dialogHook;
    dialogHook = dialog.hook;
    BOOL chosen = show(&ofn);
    dialogHook = outer;
    return chosen != 0;
}

}  // namespace

namespace platform {

std::size_t moduleFileName(char* buffer, std::size_t limit) {
    return GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(limit));
}

char pathSeparator() { return '\\'; }

const char* commandLine() { return GetCommandLineA(); }

ConsoleHandle openConsole() {
    AllocConsole();
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, console);
    SetStdHandle(STD_ERROR_HANDLE, console);
    return reinterpret_cast<ConsoleHandle>(console);
}

void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count) {
    DWORD written = 0;
    WriteFile(reinterpret_cast<HANDLE>(console), bytes, static_cast<DWORD>(count), &written, nullptr);
}

std::uint32_t lastError() { return GetLastError(); }

bool errorText(std::uint32_t code, char* text, std::size_t size) {
    char* message = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&message), 0, nullptr);
    if (length == 0 || message == nullptr) {
        if (message != nullptr) LocalFree(message);
        return false;
    }
    if (size > 0) {
        std::size_t copied = length < size - 1 ? length : size - 1;
        std::memcpy(text, message, copied);
        text[copied] = '\0';
    }
    LocalFree(message);
    return true;
}

std::uint32_t tickCount() { return GetTickCount(); }

void messageBox(const char* text, const char* caption, std::uint32_t style) {
    MessageBoxA(nullptr, text, caption, style);
}

void registerWindowClass(const WindowClass& windowClass) {
    windowProcedure = windowClass.procedure;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = windowClass.style;
    wc.lpfnWndProc = windowTrampoline;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(windowClass.cursor));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(windowClass.background));
    wc.lpszClassName = windowClass.className;
    RegisterClassExA(&wc);
}

WindowHandle createWindow(const WindowCreation& creation) {
    return fromWindow(CreateWindowExA(creation.exStyle, creation.className, creation.caption, creation.style,
                                      creation.x, creation.y, creation.width, creation.height, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr));
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

bool setWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::uint32_t flags) {
    return SetWindowPos(toWindow(window), toWindow(insertAfter), x, y, width, height, flags) != 0;
}

bool setWindowText(WindowHandle window, const char* text) { return SetWindowTextA(toWindow(window), text) != 0; }

WindowHandle getParent(WindowHandle window) { return fromWindow(GetParent(toWindow(window))); }

LResult defWindowProc(WindowHandle window, std::uint32_t code, WParam wParam, LParam lParam) {
    return DefWindowProcA(toWindow(window), code, wParam, lParam);
}

int getMessage(Message& message) {
    BOOL result = GetMessageA(&lastMessage, nullptr, 0, 0);
    if (result == -1) return -1;
    message.window = fromWindow(lastMessage.hwnd);
    message.code = lastMessage.message;
    message.wParam = lastMessage.wParam;
    message.lParam = lastMessage.lParam;
    return result == 0 ? 0 : 1;
}

void translateMessage(const Message& message) {
    MSG msg = toMsg(message);
    TranslateMessage(&msg);
}

LResult dispatchMessage(const Message& message) {
    MSG msg = toMsg(message);
    return DispatchMessageA(&msg);
}

void postQuitMessage(int exitCode) { PostQuitMessage(exitCode); }

MenuHandle createMenu() {
    return static_cast<MenuHandle>(reinterpret_cast<std::intptr_t>(CreateMenu()));
}

bool destroyMenu(MenuHandle menu) { return DestroyMenu(toMenu(menu)) != 0; }

MenuHandle getMenu(WindowHandle window) {
    return static_cast<MenuHandle>(reinterpret_cast<std::intptr_t>(GetMenu(toWindow(window))));
}

bool setMenu(WindowHandle window, MenuHandle menu) { return SetMenu(toWindow(window), toMenu(menu)) != 0; }

bool insertMenuItem(MenuHandle menu, std::uint32_t position, bool byPosition, const MenuItem& item) {
    MENUITEMINFOA info{};
    info.cbSize = item.size;
    info.fMask = item.mask;
    info.fType = item.type;
    info.wID = item.id;
    info.hSubMenu = toMenu(item.subMenu);
    info.dwTypeData = const_cast<LPSTR>(item.text);
    return InsertMenuItemA(toMenu(menu), position, byPosition ? TRUE : FALSE, &info) != 0;
}

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) { return MapVirtualKeyA(code, mapType); }

int getKeyNameText(std::int32_t keyParam, char* buffer, int size) { return GetKeyNameTextA(keyParam, buffer, size); }

AcceleratorTableHandle createAcceleratorTable(const Accelerator* entries, int count) {
    // ACCEL and Accelerator share their layout (checked above); the table
    // only reads the entries.
    auto* accel = reinterpret_cast<ACCEL*>(const_cast<Accelerator*>(entries));
    return static_cast<AcceleratorTableHandle>(
        reinterpret_cast<std::intptr_t>(CreateAcceleratorTableA(accel, count)));
}

bool destroyAcceleratorTable(AcceleratorTableHandle table) { return DestroyAcceleratorTable(toAccel(table)) != 0; }

int translateAccelerator(WindowHandle window, AcceleratorTableHandle table, const Message& keyMessage) {
    MSG msg = toMsg(keyMessage);
    return TranslateAcceleratorA(toWindow(window), toAccel(table), &msg);
}

bool getOpenFileName(FileDialog& dialog) { return runFileDialog(dialog, commonDialogs().getOpenFileName); }

bool getSaveFileName(FileDialog& dialog) { return runFileDialog(dialog, commonDialogs().getSaveFileName); }

std::uint32_t commDlgExtendedError() {
    // Without comdlg32.dll no dialog could start: report it as the
    // dialogs' own initialisation failure.
    if (commonDialogs().extendedError == nullptr) return CDERR_INITIALIZATION;
    return commonDialogs().extendedError();
}

}  // namespace platform
