// What the files of the headless platform share among themselves. Each piece
// of state has one owner file, named at its declaration; the other files
// reach it through these functions, and so does the test-control interface
// (control.cpp), which is the fake's way in for tests.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/common/keys.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace headless {

// control.cpp: the trace of platform calls.
bool recording();
void appendCall(std::string line);
std::string hex(std::uint64_t value);

// Adds "name(value, value, ...)" to the trace, named as the Windows program
// calls the function, while recording is on.
template <typename... Values>
void record(const char* name, const Values&... values) {
    if (!recording()) return;
    std::ostringstream line;
    line << name << '(';
    const char* separator = "";
    ((line << separator << values, separator = ", "), ...);
    static_cast<void>(separator);
    line << ')';
    appendCall(line.str());
}

// process.cpp
inline constexpr platform::ConsoleHandle kConsole = 7;
struct ProcessState {
    std::optional<std::string> moduleFileName;  // unset: the real one, read once
    char pathSeparator = '/';
    std::string commandLine = "vesk2b";
    bool consoleOpen = false;
    std::string console;
    int echoFd = -1;
    // Texts set by tests, in place of the system's; nullopt: no text.
    std::map<std::uint32_t, std::optional<std::string>> errorTexts;
    std::optional<std::uint32_t> tickCount;  // unset: the real clock
    std::vector<MessageBoxRecord> messageBoxes;
    std::function<void(const MessageBoxRecord&)> onMessageBox;
};
ProcessState& processState();

// windows.cpp
struct Window {
    std::string className;
    std::string title;
    platform::Rect frame;
    platform::WindowHandle parent = 0;
    platform::MenuHandle menu = 0;
    bool visible = false;
    bool destroying = false;
    platform::WindowProcedure procedure = nullptr;
};
struct WindowsState {
    std::int32_t nextHandle = 0x100;
    std::map<std::string, platform::WindowProcedure> classes;
    std::map<platform::WindowHandle, Window> windows;
    bool failWindowCreation = false;
};
WindowsState& windowsState();
// Windows, menus and accelerator tables draw from one number space, as
// Windows's USER handles do.
std::int32_t newHandle();
Window* find(platform::WindowHandle handle);
// The window, or null with the error Windows reports for a handle that names none.
Window* existingWindow(platform::WindowHandle handle);
platform::WindowHandle newWindow(Window window);
// The frame less its borders, its caption and, for a bar with items, the bar.
platform::Rect clientOf(const Window& window);
// Calls the window's procedure with the message, as SendMessage; 0 for a
// window without one.
platform::LResult deliver(const platform::Message& message);
// Tells the window its client size, as Windows does when the size changes.
void sendSizeMessage(platform::WindowHandle handle, const platform::Rect& client);

// messages.cpp
struct QueueEntry {
    platform::Message message;
    std::function<void()> callback;
    std::optional<std::array<bool, 3>> modifiers;  // shift, ctrl, alt
};
struct QueueState {
    std::deque<QueueEntry> queue;
    std::optional<int> quitCode;
    int getMessageFailures = 0;
    bool closeWhenIdle = false;
};
QueueState& queueState();

// menus.cpp
struct MenusState {
    std::map<platform::MenuHandle, std::vector<MenuItemRecord>> menus;
    int invalidMenuUses = 0;
    int menuInsertionFailures = 0;
    std::uint32_t menuInsertionError = 0;
};
MenusState& menusState();
bool barHasItems(platform::MenuHandle menu);
void destroyMenuTree(platform::MenuHandle menu);

// keys.cpp
struct KeysState {
    platform::common::AcceleratorTables tables;
    int invalidTableUses = 0;
    bool failTableCreation = false;
    bool shift = false, ctrl = false, alt = false;  // held while a key message is translated
};
KeysState& keysState();

// dialogs.cpp
struct DialogsState {
    std::vector<DialogRecord> dialogs;
    platform::Rect dialogFrame{0, 0, 500, 400};
    std::deque<DialogAnswer> answers;
    std::uint32_t dialogError = 0;
};
DialogsState& dialogsState();

}  // namespace headless
