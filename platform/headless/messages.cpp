// The message loop of the headless platform: the queue that tests fill,
// read by getMessage, and the delivery of its messages.
#include "platform/headless/headless_internal.h"

namespace headless {

QueueState& queueState() {
    static QueueState instance;
    return instance;
}

}  // namespace headless

namespace platform {

using headless::record;

LResult defWindowProc(WindowHandle window, std::uint32_t code, WParam wParam, LParam lParam) {
    record("DefWindowProcW", window, headless::hex(code), wParam, lParam);
    return 0;
}

int getMessage(Message& message) {
    record("GetMessageW", 0, 0, 0);
    auto& s = headless::queueState();
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
                auto& keys = headless::keysState();
                keys.shift = (*entry.modifiers)[0];
                keys.ctrl = (*entry.modifiers)[1];
                keys.alt = (*entry.modifiers)[2];
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
        for (const auto& [handle, w] : headless::windowsState().windows) {
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
    record("DispatchMessageW", message.window, headless::hex(message.code));
    return headless::deliver(message);
}

void postQuitMessage(int exitCode) {
    record("PostQuitMessage", exitCode);
    headless::queueState().quitCode = exitCode;
}

}  // namespace platform
