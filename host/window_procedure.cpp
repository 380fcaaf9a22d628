#include "host/window_procedure.h"

#include "commands/commands.h"
#include "host/host.h"
#include "support/event_script.h"

namespace host {

namespace {

// The first size message arrives while the window is being created, before
// the script exists to handle it.
int skipNextResize = 1;

void resize() {
    if (skipNextResize != 0) {
        skipNextResize = 0;
        return;
    }
    // Evaluated in place, so its compiled form is kept for the next resize.
    // At global level: a proc that moves the window must not have to make
    // $parentwindow visible to the script that runs inside its call.
    support::evaluateEventScript(interpreter(), resizeScript());
}

}  // namespace

platform::LResult windowProcedure(platform::WindowHandle window, std::uint32_t code, platform::WParam wParam,
                                  platform::LParam lParam) {
    switch (code) {
    case platform::kWmDestroy:
        platform::postQuitMessage(0);
        return 0;
    case platform::kWmSize:
        resize();
        return 1;
    case platform::kWmKeyDown:
    case platform::kWmSysKeyDown:
        commands::translateShortcut(window, {window, code, wParam, lParam});
        return platform::defWindowProc(window, code, wParam, lParam);
    case platform::kWmCommand:
        if (commands::runMenuCommand(interpreter(), static_cast<int>(wParam & 0xFFFF))) return 0;
        return platform::defWindowProc(window, code, wParam, lParam);
    default:
        return platform::defWindowProc(window, code, wParam, lParam);
    }
}

void resetWindowProcedure() { skipNextResize = 1; }

}  // namespace host
