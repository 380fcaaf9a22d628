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

// The wParam of kWmSize: what became of the window.
inline constexpr WParam kSizeRestored = 0;
inline constexpr WParam kSizeMinimized = 1;
inline constexpr WParam kSizeMaximized = 2;

// Virtual-key codes the platforms act on themselves.
inline constexpr std::uint32_t kVkMenu = 0x12;      // Alt
inline constexpr std::uint32_t kVkNumpad0 = 0x60;   // to kVkNumpad0 + 9
inline constexpr std::uint32_t kVkF1 = 0x70;        // to kVkF1 + 23 (F24)
inline constexpr std::uint32_t kVkF4 = 0x73;
inline constexpr std::uint32_t kVkF10 = 0x79;

// mapVirtualKey's mapping types.
inline constexpr std::uint32_t kMapVkToScanCode = 0;
inline constexpr std::uint32_t kMapScanCodeToVk = 1;
inline constexpr std::uint32_t kMapVkToChar = 2;

// Error codes, as lastError reports them.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;
inline constexpr std::uint32_t kErrorInvalidMenuHandle = 1401;
inline constexpr std::uint32_t kErrorInvalidAcceleratorHandle = 1403;
inline constexpr std::uint32_t kErrorCannotFindWindowClass = 1407;

// Message box styles.
inline constexpr std::uint32_t kMbOk = 0x00;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconMask = 0xF0;

// Window class and window creation values.
inline constexpr std::uint32_t kCsHRedraw = 0x0001;
inline constexpr std::uint32_t kCsVRedraw = 0x0002;
inline constexpr std::int32_t kColorMenu = 4;
inline constexpr std::uint32_t kIdcArrow = 32512;
inline constexpr std::uint32_t kWsOverlappedWindowClipChildren = 0x02CF0000;
inline constexpr std::int32_t kCwUseDefault = static_cast<std::int32_t>(0x80000000u);

// Show commands (showWindow).
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowMinimized = 2;
inline constexpr int kSwShowMaximized = 3;
inline constexpr int kSwMinimize = 6;
inline constexpr int kSwShowMinNoActive = 7;
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
inline constexpr std::uint32_t kSwpNoMove = 0x0002;
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
inline constexpr std::uint32_t kCdErrStructSize = 0x0001;
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

// Whether a call runs the window procedure before it returns is said at each
// call, as Win32 behaves; a platform may do less (headless and gtk do where a
// note says so), never more. The host must expect its procedure to run again,
// and the script with it, inside every call that may run it.

// Process and console. None of these runs the window procedure.
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
// Shows the notice until it is dismissed. Runs the window procedure for what
// comes meanwhile (it runs a modal loop; headless runs none).
void messageBox(const char* text, const char* caption, std::uint32_t style);

// Windows and messages.
// Does not run the window procedure.
void registerWindowClass(const WindowClass& windowClass);
// Runs the window procedure: the new window gets its size message before
// the call returns.
WindowHandle createWindow(const WindowCreation& creation);
// May run the window procedure (Win32 sends size and activation messages;
// headless and gtk tell what follows later, through the loop).
void showWindow(WindowHandle window, int showCommand);
// May run the window procedure (Win32 sends it the paint message; headless
// and gtk do not).
void updateWindow(WindowHandle window);
// Runs the window procedure: the destroy message arrives before it returns.
bool destroyWindow(WindowHandle window);
// These three do not run the window procedure.
bool getClientRect(WindowHandle window, Rect& rect);
bool getWindowRect(WindowHandle window, Rect& rect);
// The work area (the screen less task bars and panels) of the monitor that
// shows the window, or of the main monitor; screen coordinates.
bool workArea(WindowHandle window, Rect& area);
// Runs the window procedure: a change of the client size is told in a size
// message before it returns.
bool setWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                  std::int32_t width, std::int32_t height, std::uint32_t flags);
// May run the window procedure (Win32 sends it the text; headless and gtk do not).
bool setWindowText(WindowHandle window, const char* text);
// Does not run the window procedure.
WindowHandle getParent(WindowHandle window);
// May run the window procedure: on Win32, Alt+F4 closes the window at once,
// destroy message included (gtk closes it later, through the loop).
LResult defWindowProc(WindowHandle window, std::uint32_t code, WParam wParam, LParam lParam);
// 1 for a message, 0 for the quit message, -1 on failure. May run the window
// procedure: Win32 delivers messages sent to the window meanwhile; headless
// runs queued callbacks and closes the window when idle; gtk does not.
int getMessage(Message& message);
// Does not run the window procedure.
void translateMessage(const Message& message);
// Runs the window procedure with the message (on gtk, with what one turn of
// its main loop brings).
LResult dispatchMessage(const Message& message);
// Does not run the window procedure.
void postQuitMessage(int exitCode);

// Menus.
// These three do not run the window procedure.
MenuHandle createMenu();
bool destroyMenu(MenuHandle menu);
MenuHandle getMenu(WindowHandle window);
// Runs the window procedure: when the bar changes the client size, the size
// message arrives before it returns.
bool setMenu(WindowHandle window, MenuHandle menu);
// Does not run the window procedure.
bool insertMenuItem(MenuHandle menu, std::uint32_t position, bool byPosition, const MenuItem& item);

// Keys. None of these runs the window procedure.
std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType);
// Display name of the key whose scan code is in bits 16..24 of keyParam.
int getKeyNameText(std::int32_t keyParam, char* buffer, int size);

// Accelerator tables.
// These two do not run the window procedure.
AcceleratorTableHandle createAcceleratorTable(const Accelerator* entries, int count);
bool destroyAcceleratorTable(AcceleratorTableHandle table);
// Runs the window procedure: when the key message matches an entry, the
// matching command message is delivered to window's procedure before this
// returns.
int translateAccelerator(WindowHandle window, AcceleratorTableHandle table, const Message& keyMessage);

// Open and save dialogs.
// Run the dialog until the user closes it, calling its hook as it opens. Run
// the window procedure for what comes meanwhile (a modal loop; headless runs
// none).
bool getOpenFileName(FileDialog& dialog);
bool getSaveFileName(FileDialog& dialog);
// Does not run the window procedure.
std::uint32_t commDlgExtendedError();

}  // namespace platform
