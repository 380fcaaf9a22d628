// The main window's message procedure: the host's only event handler. It
// routes each message to what handles it.
#pragma once

#include "platform/platform.h"

namespace host {

platform::LResult windowProcedure(platform::WindowHandle window, std::uint32_t code, platform::WParam wParam,
                                  platform::LParam lParam);

// Back to the state at process start: the next resize is skipped.
void resetWindowProcedure();

}  // namespace host
