// The test-control interface of the headless platform (headless.h): what
// tests and benchmarks set, read and deliver. It owns the trace of calls.
#include <algorithm>
#include <cstdio>

#include "platform/common/process.h"
#include "platform/common/windows.h"
#include "platform/headless/headless_internal.h"

namespace headless {
namespace {

struct Trace {
    bool recording = true;
    std::vector<std::string> calls;
};

Trace& trace() {
    static Trace instance;
    return instance;
}

}  // namespace

bool recording() { return trace().recording; }
void appendCall(std::string line) { trace().calls.push_back(std::move(line)); }

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

void reset() {
    trace() = Trace{};
    processState() = ProcessState{};
    windowsState() = WindowsState{};
    queueState() = QueueState{};
    menusState() = MenusState{};
    keysState() = KeysState{};
    dialogsState() = DialogsState{};
    platform::common::setLastError(platform::kErrorSuccess);
}

void setModuleFileName(std::optional<std::string> path) { processState().moduleFileName = std::move(path); }
void setPathSeparator(char separator) { processState().pathSeparator = separator; }
void setCommandLine(std::string commandLine) { processState().commandLine = std::move(commandLine); }
const std::string& consoleOutput() { return processState().console; }
void clearConsoleOutput() { processState().console.clear(); }
void echoConsoleTo(int fd) { processState().echoFd = fd; }
void setLastError(std::uint32_t code) { platform::common::setLastError(code); }
void setErrorText(std::uint32_t code, std::optional<std::string> text) {
    processState().errorTexts[code] = std::move(text);
}
void setTickCount(std::uint32_t milliseconds) { processState().tickCount = milliseconds; }

const std::vector<std::string>& calls() { return trace().calls; }
void clearCalls() { trace().calls.clear(); }
int countCalls(const std::string& name) {
    const std::string prefix = name + "(";
    return static_cast<int>(std::count_if(trace().calls.begin(), trace().calls.end(), [&](const std::string& call) {
        return call.compare(0, prefix.size(), prefix) == 0;
    }));
}
void setRecording(bool on) { trace().recording = on; }

const std::vector<MessageBoxRecord>& messageBoxes() { return processState().messageBoxes; }
void onMessageBox(std::function<void(const MessageBoxRecord&)> action) {
    processState().onMessageBox = std::move(action);
}

void failWindowCreation(bool fail) { windowsState().failWindowCreation = fail; }

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
    sendSizeMessage(handle, clientOf(*w));
}

void postMessage(const platform::Message& message) { queueState().queue.push_back({message, nullptr, std::nullopt}); }
void postCallback(std::function<void()> callback) {
    queueState().queue.push_back({{}, std::move(callback), std::nullopt});
}
void postKey(platform::WindowHandle handle, std::uint32_t virtualKey, bool shift, bool ctrl, bool alt) {
    // This platform's scan code of a key is its virtual-key code.
    const std::uint32_t code = alt ? platform::kWmSysKeyDown : platform::kWmKeyDown;
    queueState().queue.push_back({{handle, code, virtualKey, platform::common::keyParam(virtualKey, alt, false)},
                                  nullptr,
                                  std::array<bool, 3>{shift, ctrl, alt}});
}
void failGetMessage(int times) { queueState().getMessageFailures = times; }
void closeWhenIdle(bool close) { queueState().closeWhenIdle = close; }
void setModifiers(bool shift, bool ctrl, bool alt) {
    keysState().shift = shift;
    keysState().ctrl = ctrl;
    keysState().alt = alt;
}

platform::LResult sendMessage(const platform::Message& message) { return deliver(message); }

bool menuExists(platform::MenuHandle menu) { return menusState().menus.count(menu) != 0; }
std::vector<MenuItemRecord> menuItems(platform::MenuHandle menu) {
    auto it = menusState().menus.find(menu);
    return it == menusState().menus.end() ? std::vector<MenuItemRecord>{} : it->second;
}
int liveMenuCount() { return static_cast<int>(menusState().menus.size()); }
int invalidMenuHandleUses() { return menusState().invalidMenuUses; }
void failMenuInsertions(int times, std::uint32_t errorCode) {
    menusState().menuInsertionFailures = times;
    menusState().menuInsertionError = errorCode;
}

std::optional<std::vector<platform::Accelerator>> acceleratorTable(platform::AcceleratorTableHandle table) {
    auto it = keysState().tables.find(table);
    if (it == keysState().tables.end()) return std::nullopt;
    return it->second;
}
int liveAcceleratorTableCount() { return static_cast<int>(keysState().tables.size()); }
int invalidAcceleratorTableUses() { return keysState().invalidTableUses; }
void failAcceleratorTableCreation(bool fail) { keysState().failTableCreation = fail; }

const std::vector<DialogRecord>& dialogs() { return dialogsState().dialogs; }
void setDialogFrame(platform::Rect frame) { dialogsState().dialogFrame = frame; }
void queueDialogAnswer(DialogAnswer answer) { dialogsState().answers.push_back(std::move(answer)); }

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
