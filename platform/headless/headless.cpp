// The headless platform: windows, menus, accelerator tables, dialogs and a
// message queue kept in memory, with every call recorded.
#include "platform/headless/headless.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <sstream>

namespace headless {

namespace {

constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;
constexpr std::uint32_t kErrorInvalidMenuHandle = 1401;
constexpr std::uint32_t kErrorInvalidAcceleratorHandle = 1403;
constexpr std::uint32_t kErrorClassNotFound = 1407;
constexpr platform::ConsoleHandle kConsole = 7;

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

struct QueueEntry {
    platform::Message message;
    std::function<void()> callback;
    std::optional<std::array<bool, 3>> modifiers;
};

struct State {
    std::optional<std::string> moduleFileName;
    char pathSeparator = '/';
    std::string commandLine = "vesk2b";
    bool consoleOpen = false;
    std::string console;
    int echoFd = -1;
    std::uint32_t lastError = 0;
    std::map<std::uint32_t, std::string> errorTexts;
    std::optional<std::uint32_t> tickCount;  // unset: the real clock

    bool recording = true;
    std::vector<std::string> calls;
    std::vector<MessageBoxRecord> messageBoxes;
    std::function<void(const MessageBoxRecord&)> onMessageBox;

    std::int32_t nextHandle = 0x100;
    std::map<std::string, platform::WindowProcedure> classes;
    std::map<platform::WindowHandle, Window> windows;
    bool failWindowCreation = false;

    std::deque<QueueEntry> queue;
    std::optional<int> quitCode;
    int getMessageFailures = 0;
    bool closeWhenIdle = false;
    bool shift = false, ctrl = false, alt = false;

    std::map<platform::MenuHandle, std::vector<MenuItemRecord>> menus;
    int invalidMenuUses = 0;
    int menuInsertionFailures = 0;
    std::uint32_t menuInsertionError = 0;

    std::map<platform::AcceleratorTableHandle, std::vector<platform::Accelerator>> tables;
    int invalidTableUses = 0;
    bool failTableCreation = false;

    std::vector<DialogRecord> dialogs;
    platform::Rect dialogFrame{0, 0, 500, 400};
    std::deque<DialogAnswer> answers;
    std::uint32_t dialogError = 0;
};

State& state() {
    static State instance;
    return instance;
}

void defaultErrorTexts(State& s) {
    s.errorTexts = {
        {kErrorInvalidParameter, "The parameter is incorrect.\r\n"},
        {kErrorInvalidWindowHandle, "Invalid window handle.\r\n"},
        {kErrorInvalidMenuHandle, "Invalid menu handle.\r\n"},
        {kErrorInvalidAcceleratorHandle, "Invalid accelerator table handle.\r\n"},
        {kErrorClassNotFound, "Cannot find window class.\r\n"},
    };
}

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

template <typename... Values>
void record(const char* name, const Values&... values) {
    State& s = state();
    if (!s.recording) return;
    std::ostringstream line;
    line << name << '(';
    const char* separator = "";
    ((line << separator << values, separator = ", "), ...);
    static_cast<void>(separator);
    line << ')';
    s.calls.push_back(line.str());
}

Window* find(platform::WindowHandle handle) {
    auto it = state().windows.find(handle);
    return it == state().windows.end() ? nullptr : &it->second;
}

// The frame less its borders, its caption and, for a bar with items, the bar.
platform::Rect clientOf(const Window& window) {
    const platform::Rect& frame = window.frame;
    const auto bar = state().menus.find(window.menu);
    const int barHeight = bar != state().menus.end() && !bar->second.empty() ? kMenuBar : 0;
    const std::int64_t width = static_cast<std::int64_t>(frame.right) - frame.left - 2 * kBorder;
    const std::int64_t height = static_cast<std::int64_t>(frame.bottom) - frame.top - kCaption - kBorder - barHeight;
    return {0, 0, static_cast<std::int32_t>(std::clamp<std::int64_t>(width, 0, INT32_MAX)),
            static_cast<std::int32_t>(std::clamp<std::int64_t>(height, 0, INT32_MAX))};
}

platform::LParam sizeParam(const platform::Rect& client) {
    return static_cast<platform::LParam>((static_cast<std::uint32_t>(client.bottom & 0xFFFF) << 16) |
                                         static_cast<std::uint32_t>(client.right & 0xFFFF));
}

bool badMenu(platform::MenuHandle menu) {
    if (state().menus.count(menu) != 0) return false;
    if (menu != 0) ++state().invalidMenuUses;
    state().lastError = kErrorInvalidMenuHandle;
    return true;
}

void destroyMenuTree(platform::MenuHandle menu) {
    auto it = state().menus.find(menu);
    if (it == state().menus.end()) return;
    const std::vector<MenuItemRecord> items = std::move(it->second);
    state().menus.erase(it);
    for (const MenuItemRecord& item : items) {
        if (item.subMenu != 0) destroyMenuTree(item.subMenu);
    }
}

platform::WindowHandle newWindow(Window window) {
    const platform::WindowHandle handle = state().nextHandle++;
    state().windows.emplace(handle, std::move(window));
    return handle;
}

// The key names this platform knows, by virtual-key code; it uses the code
// itself as the scan code.
const char* keyName(std::uint32_t key) {
    static const std::map<std::uint32_t, std::string> names = [] {
        std::map<std::uint32_t, std::string> table;
        for (char c = 'A'; c <= 'Z'; ++c) table[static_cast<std::uint32_t>(c)] = std::string(1, c);
        for (char c = '0'; c <= '9'; ++c) table[static_cast<std::uint32_t>(c)] = std::string(1, c);
        for (int f = 1; f <= 24; ++f) table[0x6Fu + static_cast<std::uint32_t>(f)] = "F" + std::to_string(f);
        for (int n = 0; n <= 9; ++n) table[0x60u + static_cast<std::uint32_t>(n)] = "Num " + std::to_string(n);
        table[0x08] = "Backspace";
        table[0x09] = "Tab";
        table[0x0D] = "Enter";
        table[0x1B] = "Esc";
        table[0x20] = "Space";
        table[0x21] = "Page Up";
        table[0x22] = "Page Down";
        table[0x23] = "End";
        table[0x24] = "Home";
        table[0x25] = "Left";
        table[0x26] = "Up";
        table[0x27] = "Right";
        table[0x28] = "Down";
        table[0x2D] = "Insert";
        table[0x2E] = "Delete";
        table[0x6A] = "Num *";
        table[0x6B] = "Num +";
        table[0x6D] = "Num -";
        table[0x6E] = "Num Del";
        table[0x6F] = "Num /";
        return table;
    }();
    auto it = names.find(key);
    return it == names.end() ? nullptr : it->second.c_str();
}

}  // namespace

void reset() {
    state() = State{};
    defaultErrorTexts(state());
}

void setModuleFileName(std::optional<std::string> path) { state().moduleFileName = std::move(path); }
void setPathSeparator(char separator) { state().pathSeparator = separator; }
void setCommandLine(std::string commandLine) { state().commandLine = std::move(commandLine); }
const std::string& consoleOutput() { return state().console; }
void clearConsoleOutput() { state().console.clear(); }
void echoConsoleTo(int fd) { state().echoFd = fd; }
void setLastError(std::uint32_t code) { state().lastError = code; }
void setErrorText(std::uint32_t code, std::optional<std::string> text) {
    if (text) {
        state().errorTexts[code] = std::move(*text);
    } else {
        state().errorTexts.erase(code);
    }
}
void setTickCount(std::uint32_t milliseconds) { state().tickCount = milliseconds; }

const std::vector<std::string>& calls() { return state().calls; }
void clearCalls() { state().calls.clear(); }
int countCalls(const std::string& name) {
    const std::string prefix = name + "(";
    return static_cast<int>(std::count_if(state().calls.begin(), state().calls.end(), [&](const std::string& call) {
        return call.compare(0, prefix.size(), prefix) == 0;
    }));
}
void setRecording(bool on) { state().recording = on; }

const std::vector<MessageBoxRecord>& messageBoxes() { return state().messageBoxes; }
void onMessageBox(std::function<void(const MessageBoxRecord&)> action) { state().onMessageBox = std::move(action); }

void failWindowCreation(bool fail) { state().failWindowCreation = fail; }

std::optional<WindowState> window(platform::WindowHandle handle) {
    const Window* w = find(handle);
    if (w == nullptr) return std::nullopt;
    return WindowState{w->className, w->title, w->frame, w->parent, w->menu, w->visible};
}

void resizeWindow(platform::WindowHandle handle, int width, int height) {
    Window* w = find(handle);
    if (w == nullptr) return;
    // Wide sums, wrapped: a script may have put the frame anywhere.
    w->frame.right = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.left) + width);
    w->frame.bottom = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.top) + height);
    sendMessage({handle, platform::kWmSize, 0, sizeParam(clientOf(*w))});
}

void postMessage(const platform::Message& message) { state().queue.push_back({message, nullptr, std::nullopt}); }
void postCallback(std::function<void()> callback) { state().queue.push_back({{}, std::move(callback), std::nullopt}); }
void postKey(platform::WindowHandle handle, std::uint32_t virtualKey, bool shift, bool ctrl, bool alt) {
    const std::uint32_t code = alt ? platform::kWmSysKeyDown : platform::kWmKeyDown;
    state().queue.push_back({{handle, code, virtualKey, static_cast<platform::LParam>((virtualKey << 16) | 1)},
                             nullptr,
                             std::array<bool, 3>{shift, ctrl, alt}});
}
void failGetMessage(int times) { state().getMessageFailures = times; }
void closeWhenIdle(bool close) { state().closeWhenIdle = close; }
void setModifiers(bool shift, bool ctrl, bool alt) {
    state().shift = shift;
    state().ctrl = ctrl;
    state().alt = alt;
}

platform::LResult sendMessage(const platform::Message& message) {
    const Window* w = find(message.window);
    if (w == nullptr || w->procedure == nullptr) return 0;
    // Copied: the procedure may destroy the window it runs for.
    const platform::WindowProcedure procedure = w->procedure;
    return procedure(message.window, message.code, message.wParam, message.lParam);
}

bool menuExists(platform::MenuHandle menu) { return state().menus.count(menu) != 0; }
std::vector<MenuItemRecord> menuItems(platform::MenuHandle menu) {
    auto it = state().menus.find(menu);
    return it == state().menus.end() ? std::vector<MenuItemRecord>{} : it->second;
}
int liveMenuCount() { return static_cast<int>(state().menus.size()); }
int invalidMenuHandleUses() { return state().invalidMenuUses; }
void failMenuInsertions(int times, std::uint32_t errorCode) {
    state().menuInsertionFailures = times;
    state().menuInsertionError = errorCode;
}

std::optional<std::vector<platform::Accelerator>> acceleratorTable(platform::AcceleratorTableHandle table) {
    auto it = state().tables.find(table);
    if (it == state().tables.end()) return std::nullopt;
    return it->second;
}
int liveAcceleratorTableCount() { return static_cast<int>(state().tables.size()); }
int invalidAcceleratorTableUses() { return state().invalidTableUses; }
void failAcceleratorTableCreation(bool fail) { state().failTableCreation = fail; }

const std::vector<DialogRecord>& dialogs() { return state().dialogs; }
void setDialogFrame(platform::Rect frame) { state().dialogFrame = frame; }
void queueDialogAnswer(DialogAnswer answer) { state().answers.push_back(std::move(answer)); }

DialogAnswer chooseFiles(const std::vector<std::string>& strings) {
    DialogAnswer answer;
    answer.chosen = true;
    for (const std::string& s : strings) {
        answer.selection += s;
        answer.selection += '\0';
    }
    return answer;
}

DialogAnswer cancelDialog() { return DialogAnswer{}; }

}  // namespace headless

// The platform operations.
namespace platform {

using headless::record;
using headless::state;

std::size_t moduleFileName(char* buffer, std::size_t limit) {
    record("GetModuleFileNameA", limit);
    auto& s = state();
    if (!s.moduleFileName) {
        char path[4096];
        const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
        if (length <= 0) return 0;
        s.moduleFileName = std::string(path, static_cast<std::size_t>(length));
        if (s.moduleFileName->empty()) return 0;
    }
    const std::string& path = *s.moduleFileName;
    if (path.empty()) return 0;
    // As Win32: a path that does not fit is cut at the limit, without terminator.
    const std::size_t length = std::min(path.size(), limit);
    std::memcpy(buffer, path.data(), length);
    if (length < limit) buffer[length] = '\0';
    return length;
}

char pathSeparator() { return state().pathSeparator; }

const char* commandLine() {
    record("GetCommandLineA");
    return state().commandLine.c_str();
}

ConsoleHandle openConsole() {
    record("AllocConsole");
    record("CreateFileA", "CONOUT$", headless::hex(0x40000000), 0, 0, 4, headless::hex(0x80), 0);
    record("SetStdHandle", -11, headless::kConsole);
    record("SetStdHandle", -12, headless::kConsole);
    state().consoleOpen = true;
    return headless::kConsole;
}

void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count) {
    auto& s = state();
    if (!s.consoleOpen || console != headless::kConsole) return;
    s.console.append(bytes, count);
    if (s.echoFd >= 0) {
        const ssize_t written = ::write(s.echoFd, bytes, count);
        static_cast<void>(written);
    }
}

std::uint32_t lastError() { return state().lastError; }

bool errorText(std::uint32_t code, char* text, std::size_t size) {
    record("FormatMessageA", headless::hex(0x1300), code, headless::hex(0x400));
    auto it = state().errorTexts.find(code);
    if (it == state().errorTexts.end() || size == 0) return false;
    const std::size_t length = std::min(it->second.size(), size - 1);
    std::memcpy(text, it->second.data(), length);
    text[length] = '\0';
    return true;
}

std::uint32_t tickCount() {
    if (state().tickCount) return *state().tickCount;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

void messageBox(const char* text, const char* caption, std::uint32_t style) {
    record("MessageBoxA", 0, text, caption, headless::hex(style));
    const headless::MessageBoxRecord shown{text, caption, style};
    state().messageBoxes.push_back(shown);
    // Copied: the action may replace itself.
    if (auto action = state().onMessageBox) action(shown);
}

void registerWindowClass(const WindowClass& windowClass) {
    record("RegisterClassExA", headless::hex(windowClass.style), windowClass.cursor, windowClass.background,
           windowClass.className);
    state().classes[windowClass.className] = windowClass.procedure;
}

WindowHandle createWindow(const WindowCreation& creation) {
    record("CreateWindowExA", creation.exStyle, creation.className, creation.caption, headless::hex(creation.style),
           headless::hex(static_cast<std::uint32_t>(creation.x)), creation.y,
           headless::hex(static_cast<std::uint32_t>(creation.width)), creation.height);
    auto& s = state();
    auto cls = s.classes.find(creation.className);
    if (s.failWindowCreation || cls == s.classes.end()) {
        s.lastError = headless::kErrorClassNotFound;
        return 0;
    }
    headless::Window window;
    window.className = creation.className;
    window.title = creation.caption != nullptr ? creation.caption : "";
    window.procedure = cls->second;
    if (creation.x == kCwUseDefault) {
        window.frame = headless::kDefaultFrame;
    } else {
        window.frame = {creation.x, creation.y, creation.x + creation.width, creation.y + creation.height};
    }
    const Rect client = headless::clientOf(window);
    const WindowHandle handle = headless::newWindow(std::move(window));
    // As Win32, the new window hears of its size before creation returns.
    headless::sendMessage({handle, kWmSize, 0, headless::sizeParam(client)});
    return handle;
}

void showWindow(WindowHandle window, int showCommand) {
    record("ShowWindow", window, showCommand);
    if (headless::Window* w = headless::find(window)) w->visible = true;
}

void updateWindow(WindowHandle window) { record("UpdateWindow", window); }

bool destroyWindow(WindowHandle window) {
    record("DestroyWindow", window);
    headless::Window* w = headless::find(window);
    if (w == nullptr) {
        state().lastError = headless::kErrorInvalidWindowHandle;
        return false;
    }
    if (w->destroying) return true;
    w->destroying = true;
    headless::sendMessage({window, kWmDestroy, 0, 0});
    std::vector<WindowHandle> children;
    for (const auto& [handle, other] : state().windows) {
        if (other.parent == window) children.push_back(handle);
    }
    for (WindowHandle child : children) destroyWindow(child);
    w = headless::find(window);
    if (w != nullptr) {
        // Win32 destroys the window's menu bar with it.
        if (w->menu != 0) headless::destroyMenuTree(w->menu);
        state().windows.erase(window);
    }
    return true;
}

bool getClientRect(WindowHandle window, Rect& rect) {
    record("GetClientRect", window);
    const headless::Window* w = headless::find(window);
    if (w == nullptr) {
        state().lastError = headless::kErrorInvalidWindowHandle;
        return false;
    }
    rect = headless::clientOf(*w);
    return true;
}

bool getWindowRect(WindowHandle window, Rect& rect) {
    record("GetWindowRect", window);
    const headless::Window* w = headless::find(window);
    if (w == nullptr) {
        state().lastError = headless::kErrorInvalidWindowHandle;
        return false;
    }
    rect = w->frame;
    return true;
}

bool workArea(WindowHandle window, Rect& area) {
    record("GetMonitorInfoA", window);
    area = headless::kWorkArea;
    return true;
}

bool setWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, std::uint32_t flags) {
    record("SetWindowPos", window, insertAfter, x, y, width, height, headless::hex(flags));
    headless::Window* w = headless::find(window);
    if (w == nullptr) {
        state().lastError = headless::kErrorInvalidWindowHandle;
        return false;
    }
    const Rect before = headless::clientOf(*w);
    // Wrapped like the frame itself, whose right edge may lie left of its left edge.
    auto currentWidth = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.right) - w->frame.left);
    auto currentHeight = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.bottom) - w->frame.top);
    // Windows takes coordinates of 16 bits and sizes from 0 to 32767.
    if ((flags & 0x0002) == 0) {  // SWP_NOMOVE
        w->frame.left = std::clamp(x, -32768, 32767);
        w->frame.top = std::clamp(y, -32768, 32767);
    }
    if ((flags & kSwpNoSize) == 0) {
        currentWidth = std::clamp(width, 0, 32767);
        currentHeight = std::clamp(height, 0, 32767);
        if (w->parent == 0) {  // as Windows, quietly, for a top-level window
            currentWidth = std::clamp(currentWidth, headless::kMinTrackWidth, headless::kScreenWidth + 2 * headless::kBorder);
            currentHeight = std::clamp(currentHeight, headless::kMinTrackHeight, headless::kScreenHeight + 2 * headless::kBorder);
        }
    }
    w->frame.right = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.left) + currentWidth);
    w->frame.bottom = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.top) + currentHeight);
    const Rect after = headless::clientOf(*w);
    // Win32 sends the size message inside SetWindowPos when the client size changes.
    if (after.right != before.right || after.bottom != before.bottom) {
        headless::sendMessage({window, kWmSize, 0, headless::sizeParam(after)});
    }
    return true;
}

bool setWindowText(WindowHandle window, const char* text) {
    record("SetWindowTextA", window, text);
    headless::Window* w = headless::find(window);
    if (w == nullptr) {
        state().lastError = headless::kErrorInvalidWindowHandle;
        return false;
    }
    w->title = text;
    return true;
}

WindowHandle getParent(WindowHandle window) {
    record("GetParent", window);
    const headless::Window* w = headless::find(window);
    return w == nullptr ? 0 : w->parent;
}

LResult defWindowProc(WindowHandle window, std::uint32_t code, WParam wParam, LParam lParam) {
    record("DefWindowProcA", window, headless::hex(code), wParam, lParam);
    return 0;
}

int getMessage(Message& message) {
    record("GetMessageA", 0, 0, 0);
    auto& s = state();
    for (;;) {
        if (s.getMessageFailures > 0) {
            --s.getMessageFailures;
            return -1;
        }
        if (!s.queue.empty()) {
            headless::QueueEntry entry = std::move(s.queue.front());
            s.queue.pop_front();
            if (entry.callback) {
                entry.callback();
                message = {};
                return 1;
            }
            if (entry.modifiers) {
                s.shift = (*entry.modifiers)[0];
                s.ctrl = (*entry.modifiers)[1];
                s.alt = (*entry.modifiers)[2];
            }
            message = entry.message;
            return 1;
        }
        if (s.quitCode) {
            message = {0, kWmQuit, static_cast<WParam>(static_cast<std::uint32_t>(*s.quitCode)), 0};
            s.quitCode.reset();
            return 0;
        }
        if (!s.closeWhenIdle) return -1;
        // The user closes the first top-level window left; with none, the program ends.
        WindowHandle topLevel = 0;
        for (const auto& [handle, w] : s.windows) {
            if (w.parent == 0 && w.procedure != nullptr) {
                topLevel = handle;
                break;
            }
        }
        if (topLevel == 0) {
            message = {0, kWmQuit, 0, 0};
            return 0;
        }
        destroyWindow(topLevel);
    }
}

void translateMessage(const Message& message) { record("TranslateMessage", headless::hex(message.code)); }

LResult dispatchMessage(const Message& message) {
    record("DispatchMessageA", message.window, headless::hex(message.code));
    return headless::sendMessage(message);
}

void postQuitMessage(int exitCode) {
    record("PostQuitMessage", exitCode);
    state().quitCode = exitCode;
}

MenuHandle createMenu() {
    record("CreateMenu");
    const MenuHandle menu = state().nextHandle++;
    state().menus[menu];
    return menu;
}

bool destroyMenu(MenuHandle menu) {
    record("DestroyMenu", menu);
    if (headless::badMenu(menu)) return false;
    headless::destroyMenuTree(menu);
    return true;
}

MenuHandle getMenu(WindowHandle window) {
    record("GetMenu", window);
    const headless::Window* w = headless::find(window);
    return w == nullptr ? 0 : w->menu;
}

bool setMenu(WindowHandle window, MenuHandle menu) {
    record("SetMenu", window, menu);
    headless::Window* w = headless::find(window);
    if (w == nullptr) {
        state().lastError = headless::kErrorInvalidWindowHandle;
        return false;
    }
    if (menu != 0 && headless::badMenu(menu)) return false;
    const Rect before = headless::clientOf(*w);
    w->menu = menu;
    const Rect after = headless::clientOf(*w);
    // Win32 sends the size message inside SetMenu when the bar changes the client area.
    if (after.bottom != before.bottom) headless::sendMessage({window, kWmSize, 0, headless::sizeParam(after)});
    return true;
}

bool insertMenuItem(MenuHandle menu, std::uint32_t position, bool byPosition, const MenuItem& item) {
    record("InsertMenuItemA", menu, position, byPosition ? 1 : 0, item.size, headless::hex(item.mask),
           headless::hex(item.type), item.id, item.subMenu, item.text != nullptr ? item.text : "(null)");
    auto& s = state();
    if (s.menuInsertionFailures > 0) {
        --s.menuInsertionFailures;
        s.lastError = s.menuInsertionError;
        return false;
    }
    if (headless::badMenu(menu)) return false;
    if (item.size != kMenuItemInfoSize || !byPosition) {
        s.lastError = headless::kErrorInvalidParameter;
        return false;
    }
    if ((item.mask & kMiimSubmenu) != 0 && headless::badMenu(item.subMenu)) return false;
    headless::MenuItemRecord entry{item.mask, item.type, item.id, (item.mask & kMiimSubmenu) ? item.subMenu : 0,
                                   item.text != nullptr && item.type != kMftSeparator ? item.text : ""};
    std::vector<headless::MenuItemRecord>& items = s.menus[menu];
    items.insert(items.begin() + std::min<std::size_t>(position, items.size()), std::move(entry));
    return true;
}

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
    record("MapVirtualKeyA", headless::hex(code), mapType);
    return mapType == 0 && headless::keyName(code) != nullptr ? code : 0;
}

int getKeyNameText(std::int32_t keyParam, char* buffer, int size) {
    record("GetKeyNameTextA", headless::hex(static_cast<std::uint32_t>(keyParam)), size);
    if (size <= 0) return 0;
    const std::uint32_t scanCode = (static_cast<std::uint32_t>(keyParam) >> 16) & 0xFF;
    const char* name = scanCode != 0 ? headless::keyName(scanCode) : nullptr;
    const std::size_t length = name != nullptr ? std::min(std::strlen(name), static_cast<std::size_t>(size - 1)) : 0;
    if (length > 0) std::memcpy(buffer, name, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

AcceleratorTableHandle createAcceleratorTable(const Accelerator* entries, int count) {
    record("CreateAcceleratorTableA", count);
    auto& s = state();
    if (s.failTableCreation || entries == nullptr || count <= 0) {
        s.lastError = headless::kErrorInvalidParameter;
        return 0;
    }
    const AcceleratorTableHandle table = s.nextHandle++;
    s.tables.emplace(table, std::vector<Accelerator>(entries, entries + count));
    return table;
}

bool destroyAcceleratorTable(AcceleratorTableHandle table) {
    record("DestroyAcceleratorTable", table);
    if (state().tables.erase(table) == 0) {
        ++state().invalidTableUses;
        state().lastError = headless::kErrorInvalidAcceleratorHandle;
        return false;
    }
    return true;
}

int translateAccelerator(WindowHandle window, AcceleratorTableHandle table, const Message& keyMessage) {
    record("TranslateAcceleratorA", window, table, headless::hex(keyMessage.code), keyMessage.wParam);
    auto& s = state();
    if (table == 0) return 0;
    auto it = s.tables.find(table);
    if (it == s.tables.end()) {
        ++s.invalidTableUses;
        return 0;
    }
    if (keyMessage.code != kWmKeyDown && keyMessage.code != kWmSysKeyDown) return 0;
    const bool alt = s.alt || keyMessage.code == kWmSysKeyDown;
    for (const Accelerator& entry : it->second) {
        if ((entry.fVirt & kFVirtKey) == 0 || entry.key != (keyMessage.wParam & 0xFFFF)) continue;
        if (((entry.fVirt & kFShift) != 0) != s.shift || ((entry.fVirt & kFControl) != 0) != s.ctrl ||
            ((entry.fVirt & kFAlt) != 0) != alt) {
            continue;
        }
        // Copied before delivery: the command may rebuild the tables.
        const std::uint16_t command = entry.cmd;
        headless::sendMessage({window, kWmCommand, (WParam{1} << 16) | command, 0});
        return 1;
    }
    return 0;
}

namespace {

bool runDialog(bool save, FileDialog& dialog) {
    auto& s = state();
    record(save ? "GetSaveFileNameA" : "GetOpenFileNameA", dialog.structSize, dialog.owner, dialog.filterIndex,
           dialog.maxFile, dialog.title != nullptr ? dialog.title : "(null)", headless::hex(dialog.flags));
    headless::DialogRecord entry{};
    entry.save = save;
    entry.structSize = dialog.structSize;
    entry.owner = dialog.owner;
    if (dialog.filter != nullptr) {
        // Pairs of strings up to the empty string that ends the list.
        const char* at = dialog.filter;
        while (*at != '\0') at += std::strlen(at) + 1;
        entry.filterBlock.assign(dialog.filter, static_cast<std::size_t>(at - dialog.filter) + 1);
    }
    entry.filterIndex = dialog.filterIndex;
    entry.maxFile = dialog.maxFile;
    entry.fileStartsEmpty = dialog.file != nullptr && dialog.file[0] == '\0';
    if (dialog.title != nullptr) entry.title = dialog.title;
    entry.flags = dialog.flags;
    entry.hasHook = dialog.hook != nullptr;

    headless::Window frame;
    frame.className = "#32770";
    frame.frame = s.dialogFrame;
    frame.parent = 0;
    const WindowHandle frameHandle = headless::newWindow(std::move(frame));
    headless::Window child;
    child.className = "#32770";
    child.parent = frameHandle;
    const WindowHandle childHandle = headless::newWindow(std::move(child));
    if (dialog.hook != nullptr && (dialog.flags & kOfnEnableHook) != 0) {
        dialog.hook(childHandle, kWmInitDialog, 0, 0);
    }
    if (const headless::Window* f = headless::find(frameHandle)) entry.frameAfterHook = f->frame;
    s.dialogs.push_back(entry);

    headless::DialogAnswer answer;
    if (!s.answers.empty()) {
        answer = std::move(s.answers.front());
        s.answers.pop_front();
    }
    if (answer.whileOpen) answer.whileOpen();
    s.windows.erase(childHandle);
    s.windows.erase(frameHandle);

    if (!answer.chosen) {
        s.dialogError = answer.errorCode;
        return false;
    }
    std::string block = answer.selection;
    block += '\0';
    if (dialog.file == nullptr || block.size() > dialog.maxFile) {
        s.dialogError = kFnErrBufferTooSmall;
        return false;
    }
    std::memcpy(dialog.file, block.data(), block.size());
    s.dialogError = 0;
    return true;
}

}  // namespace

bool getOpenFileName(FileDialog& dialog) { return runDialog(false, dialog); }
bool getSaveFileName(FileDialog& dialog) { return runDialog(true, dialog); }

std::uint32_t commDlgExtendedError() {
    record("CommDlgExtendedError");
    return state().dialogError;
}

}  // namespace platform
