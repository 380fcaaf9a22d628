// Control and inspection of the headless platform, for tests and benchmarks.
// The platform is a stateful fake: getters return what setters stored, every
// platform call is recorded with the values passed, tests queue window
// messages and the user's answers to dialogs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace headless {

// Everything back to a new process: no windows, menus, tables, messages,
// records or settings.
void reset();

// Process and console.
void setModuleFileName(std::optional<std::string> path);  // nullopt: the query fails
void setPathSeparator(char separator);
void setCommandLine(std::string commandLine);
const std::string& consoleOutput();                        // every byte written to the console
void clearConsoleOutput();
void echoConsoleTo(int fd);                                // also copy console bytes to fd; -1: don't
void setLastError(std::uint32_t code);
void setErrorText(std::uint32_t code, std::optional<std::string> text);  // nullopt: no text for code
void setTickCount(std::uint32_t milliseconds);             // until then, the real clock

// Every call, one line each: "Name(value, value, ...)".
const std::vector<std::string>& calls();
void clearCalls();
int countCalls(const std::string& name);
void setRecording(bool on);  // off: calls are not recorded (benchmarks)

// Notices and message boxes, in the order shown. Each is dismissed at once,
// after onMessageBox (if set) has run.
struct MessageBoxRecord {
    std::string text;
    std::string caption;
    std::uint32_t style;
};
const std::vector<MessageBoxRecord>& messageBoxes();
void onMessageBox(std::function<void(const MessageBoxRecord&)> action);

// Windows.
void failWindowCreation(bool fail);
struct WindowState {
    std::string className;
    std::string title;
    platform::Rect frame;
    platform::WindowHandle parent;
    platform::MenuHandle menu;
    bool visible;
};
std::optional<WindowState> window(platform::WindowHandle handle);
// Frame decorations: the client area is the frame less these.
inline constexpr int kBorder = 8;
inline constexpr int kCaption = 31;
// A menu bar with items takes one line of the frame; an empty bar takes none.
inline constexpr int kMenuBar = 20;
// Windows keeps a top-level window's frame between the smallest that has room
// for its caption and the screen plus its borders, whatever size it is given.
inline constexpr int kScreenWidth = 1600;
inline constexpr int kScreenHeight = 1200;
// The work area: the screen less a task bar along its bottom edge.
inline constexpr platform::Rect kWorkArea{0, 0, kScreenWidth, kScreenHeight - 40};
inline constexpr int kMinTrackWidth = 116;
inline constexpr int kMinTrackHeight = 27;
// Where a window created with default position and size goes.
inline constexpr platform::Rect kDefaultFrame{26, 26, 26 + 640 + 2 * kBorder, 26 + 480 + kCaption + kBorder};
// Resizes as the user would: the window gets the size message at once.
void resizeWindow(platform::WindowHandle handle, int width, int height);

// Message queue read by getMessage. Posted messages come out in order; the
// quit message after them. A callback entry runs inside getMessage, which
// then returns a null message.
void postMessage(const platform::Message& message);
void postCallback(std::function<void()> callback);
void postKey(platform::WindowHandle handle, std::uint32_t virtualKey, bool shift, bool ctrl, bool alt);
void failGetMessage(int times);  // the next calls return -1
// With an empty queue getMessage fails (-1), unless this is set: then an
// empty queue means the user closes the main window.
void closeWhenIdle(bool close);
// Sends the message straight to the window's procedure, as SendMessage.
platform::LResult sendMessage(const platform::Message& message);
// Modifier keys held while a key message is translated.
void setModifiers(bool shift, bool ctrl, bool alt);

// Menus, kept as trees.
struct MenuItemRecord {
    std::uint32_t mask;
    std::uint32_t type;
    std::uint32_t id;
    platform::MenuHandle subMenu;
    std::string text;
};
bool menuExists(platform::MenuHandle menu);
std::vector<MenuItemRecord> menuItems(platform::MenuHandle menu);
int liveMenuCount();
// Menu calls given a handle that was never made or already destroyed.
int invalidMenuHandleUses();
void failMenuInsertions(int times, std::uint32_t errorCode);

// Accelerator tables.
std::optional<std::vector<platform::Accelerator>> acceleratorTable(platform::AcceleratorTableHandle table);
int liveAcceleratorTableCount();
int invalidAcceleratorTableUses();
void failAcceleratorTableCreation(bool fail);

// Open and save dialogs: what each was given, and the answers to give.
struct DialogRecord {
    bool save;
    std::uint32_t structSize;
    platform::WindowHandle owner;
    std::string filterBlock;  // up to and including the closing empty string
    std::uint32_t filterIndex;
    std::uint32_t maxFile;
    bool fileStartsEmpty;
    std::optional<std::string> title;
    std::uint32_t flags;
    bool hasHook;
    platform::Rect frameAfterHook;  // where the hook put the dialog's frame
};
const std::vector<DialogRecord>& dialogs();
// The dialog's frame before the hook moves it.
void setDialogFrame(platform::Rect frame);
struct DialogAnswer {
    bool chosen = false;
    std::string selection;      // the selection block, NULs included; its end is added
    std::uint32_t errorCode = 0;
    std::function<void()> whileOpen;  // runs while the dialog is up, after the hook
};
void queueDialogAnswer(DialogAnswer answer);
DialogAnswer chooseFiles(const std::vector<std::string>& strings);  // folder, names... or one path
DialogAnswer cancelDialog();

}  // namespace headless
