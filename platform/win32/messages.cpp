// The message loop on Win32: GetMessageW, TranslateMessage, DispatchMessageW
// and DefWindowProcW, with the last message kept whole for the accelerator
// translation, and the keys of child windows shown to the host's window first.
#include <windows.h>

#include <utility>

#include "platform/win32/win32_internal.h"

namespace platform {
namespace {

using win32::fromWindow;
using win32::toWindow;

// The last message GetMessageW returned, so that TranslateMessage and
// DispatchMessageW see it whole (with its time and cursor position).
MSG lastMessage{};

// A key pressed in a child window (a native view of an extension) while the
// host's window procedure looks at it: the host translates it as one of its
// own keys, and its default handling hands the key on to the child, unless
// it was a shortcut.
struct ForwardedKey {
    MSG original{};   // as the child would have received it
    HWND top = nullptr;
    bool translated = false;  // a shortcut's command ran for it
    bool handedOn = false;    // defWindowProc has dealt with it
    bool reachedChild = false;
};
ForwardedKey* forwardedKey = nullptr;

// The child window that had the keyboard focus when the host's window was
// last deactivated (by another window, or a dialog): it gets the focus back
// when the window is active again, where Windows would give it to the
// window itself. GTK's windows keep their focus widget the same way.
HWND focusBeforeDeactivation = nullptr;

bool isKeyDown(UINT code) { return code == WM_KEYDOWN || code == WM_SYSKEYDOWN; }

// The top-level window of the host's class that holds window as a child,
// at any depth; null for a top-level window itself, or one of another class.
HWND hostWindowAbove(HWND window) {
    const HWND top = GetAncestor(window, GA_ROOT);
    if (top == nullptr || top == window || win32::hostWindowClass() == 0) return nullptr;
    return GetClassLongW(top, GCW_ATOM) == win32::hostWindowClass() ? top : nullptr;
}

// The key's message at the top-level window, seen there as its own; the
// original goes to the child from defWindowProc, or not at all for a shortcut.
LRESULT dispatchToHostWindow(const MSG& original, HWND top) {
    // TranslateMessage has already queued the key's character for the child.
    // It is held back while the host looks at the key (a shortcut's command
    // may run a dialog, whose message loop would hand it on) and follows the
    // key to the child only if the key was no shortcut.
    MSG character{};
    const UINT firstCharacter = original.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    const bool held = PeekMessageW(&character, original.hwnd, firstCharacter, firstCharacter + 1, PM_REMOVE) != 0;
    ForwardedKey key{original, top};
    ForwardedKey* outer = std::exchange(forwardedKey, &key);
    MSG atTop = original;
    atTop.hwnd = top;
    // The accelerator translation then sees the message whole, as at the top.
    const bool last = lastMessage.hwnd == original.hwnd && lastMessage.message == original.message;
    if (last) lastMessage.hwnd = top;
    const LRESULT result = DispatchMessageW(&atTop);
    if (last) lastMessage.hwnd = original.hwnd;
    forwardedKey = outer;
    if (held && key.reachedChild) PostMessageW(character.hwnd, character.message, character.wParam, character.lParam);
    return result;
}

}  // namespace

namespace win32 {

MSG toMsg(const Message& message) {
    // The window is compared in the host's 32 bits: in a 64-bit process
    // Windows sign-extends a handle above 0x7FFFFFFF, Wine zero-extends it.
    if (fromWindow(lastMessage.hwnd) == message.window && lastMessage.message == message.code &&
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

void noteTranslatedKey(const MSG& key) {
    if (forwardedKey != nullptr && forwardedKey->top == key.hwnd && forwardedKey->original.message == key.message &&
        forwardedKey->original.wParam == key.wParam && forwardedKey->original.lParam == key.lParam) {
        forwardedKey->translated = true;
    }
}

}  // namespace win32

LResult defWindowProc(WindowHandle window, std::uint32_t code, WParam wParam, LParam lParam) {
    ForwardedKey* key = forwardedKey;
    if (key != nullptr && !key->handedOn && toWindow(window) == key->top && code == key->original.message &&
        wParam == key->original.wParam && lParam == key->original.lParam) {
        key->handedOn = true;
        if (key->translated) return 0;
        key->reachedChild = true;
        return DispatchMessageW(&key->original);
    }
    if (code == WM_ACTIVATE) {
        const HWND activated = toWindow(window);
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            focusBeforeDeactivation = IsChild(activated, focus) ? focus : nullptr;
        } else if (focusBeforeDeactivation != nullptr && IsChild(activated, focusBeforeDeactivation) &&
                   IsWindowVisible(focusBeforeDeactivation) && !IsIconic(activated)) {
            SetFocus(focusBeforeDeactivation);
            return 0;
        }
    }
    return DefWindowProcW(toWindow(window), code, wParam, lParam);
}

int getMessage(Message& message) {
    BOOL result = GetMessageW(&lastMessage, nullptr, 0, 0);
    if (result == -1) return -1;
    message.window = fromWindow(lastMessage.hwnd);
    message.code = lastMessage.message;
    message.wParam = lastMessage.wParam;
    message.lParam = lastMessage.lParam;
    return result == 0 ? 0 : 1;
}

void translateMessage(const Message& message) {
    MSG msg = win32::toMsg(message);
    TranslateMessage(&msg);
}

LResult dispatchMessage(const Message& message) {
    MSG msg = win32::toMsg(message);
    if (isKeyDown(msg.message)) {
        if (const HWND top = hostWindowAbove(msg.hwnd)) return dispatchToHostWindow(msg, top);
    }
    return DispatchMessageW(&msg);
}

void postQuitMessage(int exitCode) { PostQuitMessage(exitCode); }

}  // namespace platform
