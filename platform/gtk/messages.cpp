// The message loop, and the key events that become key messages.
//
// One GTK main-context iteration is one dispatched message: getMessage gives
// the loop an empty message, and dispatchMessage runs one iteration, in which
// the signal handlers call the window procedure with what happened.
#include <set>

#include "platform/common/windows.h"
#include "platform/gtk/gtk_internal.h"

namespace platform {
namespace {

bool quitPosted = false;
int quitCode = 0;
bool keyTranslated = false;          // see noteKeyTranslated
bool keyHandledByDefault = false;    // defWindowProc acted on the key
std::set<guint16> keysDown;          // for the previous-state bit of key messages

gboolean onKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    const auto handle = static_cast<WindowHandle>(GPOINTER_TO_INT(data));
    const WindowProcedure procedure = gtk::procedureOf(handle);
    if (procedure == nullptr) return FALSE;
    std::uint32_t scan = 0;
    std::uint32_t vk = gtk::virtualKeyOf(event, scan);
    if (vk == 0) return FALSE;
    bool alt = (event->state & GDK_MOD1_MASK) != 0;
    bool repeated = !keysDown.insert(event->hardware_keycode).second;
    std::uint32_t code = (alt || vk == kVkF10 || vk == kVkMenu) ? kWmSysKeyDown : kWmKeyDown;
    bool outerTranslated = keyTranslated;
    bool outerDefault = keyHandledByDefault;
    keyTranslated = false;
    keyHandledByDefault = false;
    procedure(handle, code, vk, common::keyParam(scan, alt, repeated));
    bool consumed = keyTranslated || keyHandledByDefault;
    keyTranslated = outerTranslated;
    keyHandledByDefault = outerDefault;
    // A key that became a command is not also given to GTK (menu mnemonics,
    // focus handling), so that it acts once.
    return consumed ? TRUE : FALSE;
}

gboolean onKeyRelease(GtkWidget*, GdkEventKey* event, gpointer) {
    keysDown.erase(event->hardware_keycode);
    return FALSE;
}

}  // namespace

namespace gtk {

void connectKeyEvents(GtkWidget* top, WindowHandle window) {
    g_signal_connect(top, "key-press-event", G_CALLBACK(onKeyPress), GINT_TO_POINTER(window));
    g_signal_connect(top, "key-release-event", G_CALLBACK(onKeyRelease), nullptr);
}

void noteKeyTranslated() { keyTranslated = true; }

}  // namespace gtk

LResult defWindowProc(WindowHandle handle, std::uint32_t code, WParam wParam, LParam) {
    // Alt+F4 that no shortcut took closes the window, as on Windows.
    if (code == kWmSysKeyDown && wParam == kVkF4) {
        if (GtkWidget* top = gtk::nativeWindow(handle)) {
            keyHandledByDefault = true;
            gtk_window_close(GTK_WINDOW(top));
        }
    }
    return 0;
}

int getMessage(Message& message) {
    if (quitPosted) {
        quitPosted = false;
        message = {0, kWmQuit, static_cast<WParam>(quitCode), 0};
        return 0;
    }
    message = {};
    return 1;
}

void translateMessage(const Message&) {}

LResult dispatchMessage(const Message& message) {
    if (message.window != 0) return gtk::deliver(message.window, message.code, message.wParam, message.lParam);
    g_main_context_iteration(nullptr, TRUE);
    return 0;
}

void postQuitMessage(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
    // Wake the loop if it is about to block.
    g_main_context_wakeup(nullptr);
}

}  // namespace platform
