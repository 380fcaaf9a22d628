// The window class and the windows of the headless platform: frames kept in
// memory, sized as Windows sizes them, with the size messages Windows sends.
#include <algorithm>
#include <climits>

#include "platform/common/process.h"
#include "platform/common/windows.h"
#include "platform/headless/headless_internal.h"

namespace headless {

WindowsState& windowsState() {
    static WindowsState instance;
    return instance;
}

std::int32_t newHandle() { return windowsState().nextHandle++; }

Window* find(platform::WindowHandle handle) {
    auto& windows = windowsState().windows;
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : &it->second;
}

Window* existingWindow(platform::WindowHandle handle) {
    Window* w = find(handle);
    if (w == nullptr) platform::common::setLastError(platform::kErrorInvalidWindowHandle);
    return w;
}

platform::WindowHandle newWindow(Window window) {
    const platform::WindowHandle handle = newHandle();
    windowsState().windows.emplace(handle, std::move(window));
    return handle;
}

platform::Rect clientOf(const Window& window) {
    const platform::Rect& frame = window.frame;
    const int barHeight = barHasItems(window.menu) ? kMenuBar : 0;
    const std::int64_t width = static_cast<std::int64_t>(frame.right) - frame.left - 2 * kBorder;
    const std::int64_t height = static_cast<std::int64_t>(frame.bottom) - frame.top - kCaption - kBorder - barHeight;
    return {0, 0, static_cast<std::int32_t>(std::clamp<std::int64_t>(width, 0, INT32_MAX)),
            static_cast<std::int32_t>(std::clamp<std::int64_t>(height, 0, INT32_MAX))};
}

platform::LResult deliver(const platform::Message& message) {
    const Window* w = find(message.window);
    if (w == nullptr || w->procedure == nullptr) return 0;
    // Copied: the procedure may destroy the window it runs for.
    const platform::WindowProcedure procedure = w->procedure;
    return procedure(message.window, message.code, message.wParam, message.lParam);
}

void sendSizeMessage(platform::WindowHandle handle, const platform::Rect& client) {
    deliver({handle, platform::kWmSize, platform::kSizeRestored, platform::common::sizeParam(client.right, client.bottom)});
}

}  // namespace headless

namespace platform {

using headless::find;
using headless::record;

void registerWindowClass(const WindowClass& windowClass) {
    record("RegisterClassExW", headless::hex(windowClass.style), windowClass.cursor, windowClass.background,
           windowClass.className);
    headless::windowsState().classes[windowClass.className] = windowClass.procedure;
}

WindowHandle createWindow(const WindowCreation& creation) {
    record("CreateWindowExW", creation.exStyle, creation.className, creation.caption, headless::hex(creation.style),
           headless::hex(static_cast<std::uint32_t>(creation.x)), creation.y,
           headless::hex(static_cast<std::uint32_t>(creation.width)), creation.height);
    auto& s = headless::windowsState();
    auto cls = s.classes.find(creation.className);
    if (s.failWindowCreation || cls == s.classes.end()) {
        common::setLastError(kErrorCannotFindWindowClass);
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
    headless::sendSizeMessage(handle, client);
    return handle;
}

void showWindow(WindowHandle window, int showCommand) {
    record("ShowWindow", window, showCommand);
    if (headless::Window* w = find(window)) w->visible = true;
}

void updateWindow(WindowHandle window) { record("UpdateWindow", window); }

bool destroyWindow(WindowHandle window) {
    record("DestroyWindow", window);
    headless::Window* w = headless::existingWindow(window);
    if (w == nullptr) return false;
    if (w->destroying) return true;
    w->destroying = true;
    headless::deliver({window, kWmDestroy, 0, 0});
    std::vector<WindowHandle> children;
    for (const auto& [handle, other] : headless::windowsState().windows) {
        if (other.parent == window) children.push_back(handle);
    }
    for (WindowHandle child : children) destroyWindow(child);
    w = find(window);
    if (w != nullptr) {
        // Win32 destroys the window's menu bar with it.
        if (w->menu != 0) headless::destroyMenuTree(w->menu);
        headless::windowsState().windows.erase(window);
    }
    return true;
}

bool getClientRect(WindowHandle window, Rect& rect) {
    record("GetClientRect", window);
    const headless::Window* w = headless::existingWindow(window);
    if (w == nullptr) return false;
    rect = headless::clientOf(*w);
    return true;
}

bool getWindowRect(WindowHandle window, Rect& rect) {
    record("GetWindowRect", window);
    const headless::Window* w = headless::existingWindow(window);
    if (w == nullptr) return false;
    rect = w->frame;
    return true;
}

bool workArea(WindowHandle window, Rect& area) {
    record("GetMonitorInfoW", window);
    area = headless::kWorkArea;
    return true;
}

bool setWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, std::uint32_t flags) {
    record("SetWindowPos", window, insertAfter, x, y, width, height, headless::hex(flags));
    headless::Window* w = headless::existingWindow(window);
    if (w == nullptr) return false;
    const Rect before = headless::clientOf(*w);
    // Wrapped like the frame itself, whose right edge may lie left of its left edge.
    auto currentWidth = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.right) - w->frame.left);
    auto currentHeight = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.bottom) - w->frame.top);
    if ((flags & kSwpNoMove) == 0) {
        w->frame.left = common::limitCoordinate(x);
        w->frame.top = common::limitCoordinate(y);
    }
    if ((flags & kSwpNoSize) == 0) {
        currentWidth = common::limitExtent(width);
        currentHeight = common::limitExtent(height);
        if (w->parent == 0) {  // as Windows, quietly, for a top-level window
            currentWidth = std::clamp(currentWidth, headless::kMinTrackWidth, headless::kScreenWidth + 2 * headless::kBorder);
            currentHeight = std::clamp(currentHeight, headless::kMinTrackHeight, headless::kScreenHeight + 2 * headless::kBorder);
        }
    }
    w->frame.right = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.left) + currentWidth);
    w->frame.bottom = static_cast<std::int32_t>(static_cast<std::int64_t>(w->frame.top) + currentHeight);
    const Rect after = headless::clientOf(*w);
    // Win32 sends the size message inside SetWindowPos when the client size changes.
    if (after.right != before.right || after.bottom != before.bottom) headless::sendSizeMessage(window, after);
    return true;
}

bool setWindowText(WindowHandle window, const char* text) {
    record("SetWindowTextW", window, text);
    headless::Window* w = headless::existingWindow(window);
    if (w == nullptr) return false;
    w->title = text;
    return true;
}

WindowHandle getParent(WindowHandle window) {
    record("GetParent", window);
    const headless::Window* w = find(window);
    return w == nullptr ? 0 : w->parent;
}

}  // namespace platform
