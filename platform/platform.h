// The operations the host needs from the system it runs on, in the host's own
// terms. Exactly one platform (headless, gtk or win32) implements them and is
// linked into an executable. The values named here are the Win32 ones: the
// win32 platform passes them through unchanged, the others interpret them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Handles are 32-bit integers everywhere, because scripts carry them as Tcl
// integers. 0 means "none".
using WindowHandle = std::int32_t;
using MenuHandle = std::int32_t;
using AcceleratorTableHandle = std::int32_t;
using ConsoleHandle = std::intptr_t;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// Window message codes.
inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmSize = 0x0005;
inline constexpr std::uint32_t kWmQuit = 0x0012;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmSysKeyDown = 0x0104;
inline constexpr std::uint32_t kWmInitDialog = 0x0110;
inline constexpr std::uint32_t kWmCommand = 0x0111;

// Message box styles.
inline constexpr std::uint32_t kMbOk = 0x00;
inline constexpr std::uint32_t kMbIconError = 0x10;

// Window class and window creation values.
inline constexpr std::uint32_t kCsHRedraw = 0x0001;
inline constexpr std::uint32_t kCsVRedraw = 0x0002;
inline constexpr std::int32_t kColorMenu = 4;
inline constexpr std::uint32_t kIdcArrow = 32512;
inline constexpr std::uint32_t kWsOverlappedWindowClipChildren = 0x02CF0000;
inline constexpr std::int32_t kCwUseDefault = static_cast<std::int32_t>(0x80000000u);
inline constexpr int kSwShowDefault = 10;

// Menu item records.
inline constexpr std::uint32_t kMenuItemInfoSize = 48;
inline constexpr std::uint32_t kMiimId = 0x0002;
inline constexpr std::uint32_t kMiimSubmenu = 0x0004;
inline constexpr std::uint32_t kMiimType = 0x0010;
inline constexpr std::uint32_t kMftString = 0x0000;
inline constexpr std::uint32_t kMftSeparator = 0x0800;

// Accelerator flags.
inline constexpr std::uint8_t kFVirtKey = 0x01;
inline constexpr std::uint8_t kFNoInvert = 0x02;
inline constexpr std::uint8_t kFShift = 0x04;
inline constexpr std::uint8_t kFControl = 0x08;
inline constexpr std::uint8_t kFAlt = 0x10;

// SetWindowPos flags.
inline constexpr std::uint32_t kSwpNoSize = 0x0001;
inline constexpr std::uint32_t kSwpNoZOrder = 0x0004;
inline constexpr std::uint32_t kSwpNoActivate = 0x0010;
inline constexpr std::uint32_t kSwpNoCopyBits = 0x0100;
inline constexpr std::uint32_t kSwpDeferErase = 0x2000;

// Open/save dialog flags and error codes.
inline constexpr std::uint32_t kOpenFileNameSize = 76;
inline constexpr std::uint32_t kOfnOverwritePrompt = 0x00000002;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x00000004;
inline constexpr std::uint32_t kOfnEnableHook = 0x00000020;
inline constexpr std::uint32_t kOfnAllowMultiSelect = 0x00000200;
inline constexpr std::uint32_t kOfnPathMustExist = 0x00000800;
inline constexpr std::uint32_t kOfnFileMustExist = 0x00001000;
inline constexpr std::uint32_t kOfnExplorer = 0x00080000;
inline constexpr std::uint32_t kOfnEnableSizing = 0x00800000;
inline constexpr std::uint32_t kFnErrBufferTooSmall = 0x3003;

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct Message {
    WindowHandle window = 0;
    std::uint32_t code = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

using WindowProcedure = LResult (*)(WindowHandle, std::uint32_t code, WParam, LParam);
using DialogHook = std::uintptr_t (*)(WindowHandle, std::uint32_t code, WParam, LParam);

struct WindowClass {
    std::uint32_t style = 0;
    WindowProcedure procedure = nullptr;
    std::uint32_t cursor = 0;       // a system cursor id, e.g. kIdcArrow
    std::int32_t background = 0;    // system colour index + 1
    const char* className = nullptr;
};

struct WindowCreation {
    std::uint32_t exStyle = 0;
    const char* className = nullptr;
    const char* caption = nullptr;
    std::uint32_t style = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct MenuItem {
    std::uint32_t size = kMenuItemInfoSize;
    std::uint32_t mask = 0;
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    MenuHandle subMenu = 0;
    const char* text = nullptr;     // NUL-terminated label
};

// Same layout as Win32's ACCEL: fVirt, a pad byte, key, cmd.
struct Accelerator {
    std::uint8_t fVirt = 0;
    std::uint16_t key = 0;
    std::uint16_t cmd = 0;
};
static_assert(sizeof(Accelerator) == 6, "accelerator entries are 6 bytes");

struct FileDialog {
    std::uint32_t structSize = kOpenFileNameSize;
    WindowHandle owner = 0;
    const char* filter = nullptr;   // description/pattern pairs, ended by an empty string
    std::uint32_t filterIndex = 0;
    char* file = nullptr;           // receives the selection block
    std::uint32_t maxFile = 0;
    const char* title = nullptr;    // null: the platform's own caption
    std::uint32_t flags = 0;
    DialogHook hook = nullptr;
};

// Process and console.
// Full path of the running executable, written NUL-terminated into buffer
// (at most limit characters); returns its length, 0 on failure.
std::size_t moduleFileName(char* buffer, std::size_t limit);
// The character that separates folders in moduleFileName's result.
char pathSeparator();
// The whole command line as one text, program name included.
const char* commandLine();
// Opens the diagnostics console and makes it standard output and error.
ConsoleHandle openConsole();
void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count);
std::uint32_t lastError();
// Writes the system's message text for code into text (NUL-terminated);
// returns false when the system has no text for it.
bool errorText(std::uint32_t code, char* text, std::size_t size);
std::uint32_t tickCount();

// Notices.
void messageBox(const char* text, const char* caption, std::uint32_t style);

// Windows and messages.
void registerWindowClass(const WindowClass& windowClass);
WindowHandle createWindow(const WindowCreation& creation);
void showWindow(WindowHandle window, int showCommand);
void updateWindow(WindowHandle window);
bool destroyWindow(WindowHandle window);
bool getClientRect(WindowHandle window, Rect& rect);
bool getWindowRect(WindowHandle window, Rect& rect);
// The work area (the screen less task bars and panels) of the monitor that
// shows the window, or of the main monitor; screen coordinates.
bool workArea(WindowHandle window, Rect& area);
bool setWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::uint32_t flags);
bool setWindowText(WindowHandle window, const char* text);
WindowHandle getParent(WindowHandle window);
LResult defWindowProc(WindowHandle window, std::uint32_t code, WParam wParam, LParam lParam);
// 1 for a message, 0 for the quit message, -1 on failure.
int getMessage(Message& message);
void translateMessage(const Message& message);
LResult dispatchMessage(const Message& message);
void postQuitMessage(int exitCode);

// Menus.
MenuHandle createMenu();
bool destroyMenu(MenuHandle menu);
MenuHandle getMenu(WindowHandle window);
bool setMenu(WindowHandle window, MenuHandle menu);
bool insertMenuItem(MenuHandle menu, std::uint32_t position, bool byPosition, const MenuItem& item);
std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType);
// Display name of the key whose scan code is in bits 16..24 of keyParam.
int getKeyNameText(std::int32_t keyParam, char* buffer, int size);

// Accelerator tables.
AcceleratorTableHandle createAcceleratorTable(const Accelerator* entries, int count);
bool destroyAcceleratorTable(AcceleratorTableHandle table);
// When the key message matches an entry, the matching command message is
// delivered to window's procedure before this returns.
int translateAccelerator(WindowHandle window, AcceleratorTableHandle table, const Message& keyMessage);

// Open and save dialogs.
bool getOpenFileName(FileDialog& dialog);
bool getSaveFileName(FileDialog& dialog);
std::uint32_t commDlgExtendedError();

}  // namespace platform
