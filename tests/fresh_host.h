// The host started in-process on the headless platform as a new process
// would start it, for the unit tests, the fuzz targets and the torture, and
// what they use to drive its window and read its interpreter. Free of any
// test framework: the gtest fixture (host_test.h) and the libFuzzer targets
// both build on it.
#pragma once

#include <tcl.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/command_line.h"
#include "host/host.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "support/main_window.h"

namespace fresh_host {

// An application script that satisfies the host and records what reached it:
//   ::test::resizes   one element per ::screen::doresize call, its argument
//   ::test::files     one element per ::vesk::filedialog call, {mode files}
//   ::test::saves     how often ::config::save ran
extern const std::string_view kStubScript;

// The program's folder, made on first use and removed at exit; the
// application script is default/vesk.tcl in it.
const std::filesystem::path& folder();
// Writes the application script: the stub script, then extra.
void writeScript(std::string_view extra);

// Back to the state of a new process: host and platform reset, Tcl ready,
// the program's path in folder().
void reset();
// reset(), the stub script and extra as the application script, start-up;
// the platform calls after it recorded or not. True when start-up went on
// and the main window exists.
bool start(std::string_view extra = {}, bool recording = true);

// What an evaluation left behind.
struct Evaluation {
    int code = TCL_OK;
    std::string result;
    std::optional<std::string> errorInfo;  // the global, if it exists
    std::optional<std::string> errorCode;  // the global, if it exists
    // The code and result: "ok: result", "error: result" or "code N: result".
    std::string outcome() const;
};
// Evaluates script at global level, with errorInfo and errorCode unset first,
// so that what is read afterwards was left by this evaluation.
Evaluation eval(std::string_view script);
// Runs the words as one command at global level; returns the completion code.
int evalWords(const std::vector<std::string>& words);
inline std::string result() { return Tcl_GetStringResult(host::interpreter()); }

// A Tcl list of the words, each a fresh object of exactly those bytes.
Tcl_Obj* listOf(const std::vector<std::string>& words);
// The elements of a Tcl list, byte for byte; nullopt when it is no list.
std::optional<std::vector<std::string>> listElements(Tcl_Obj* list);
std::optional<std::vector<std::string>> listElements(std::string_view text);

// A global variable (name may be qualified), if it exists; the elements of
// one that holds a list (none when it does not exist).
std::optional<std::string> global(const char* name);
std::vector<std::string> globalList(const char* name);

// The recorded platform calls starting with prefix, in order; the index of
// the first at or after from, or -1.
std::vector<std::string> callsNamed(std::string_view prefix);
int findCall(std::string_view prefix, int from = 0);
// A rectangle as "left top right bottom".
std::string text(const platform::Rect& rect);

// The main window's menu bar (0 for none or no window), the items of a menu,
// and its labels ("-" for a separator).
inline platform::MenuHandle bar() {
    const auto state = headless::window(support::mainWindow());
    return state ? state->menu : 0;
}
inline std::vector<headless::MenuItemRecord> items(platform::MenuHandle menu) { return headless::menuItems(menu); }
std::vector<std::string> labels(platform::MenuHandle menu);
// Live menus that neither the window's bar nor the menu under construction owns.
int strayMenus(platform::MenuHandle windowBar);

// WM_COMMAND to the main window as a menu sends it (high word 0).
inline platform::LResult command(unsigned id, unsigned highWord = 0) {
    return headless::sendMessage({support::mainWindow(), platform::kWmCommand, (platform::WParam{highWord} << 16) | id, 0});
}
// A key pressed with the given modifiers, handled as the loop would hand it over.
platform::LResult key(std::uint32_t virtualKey, bool shift, bool ctrl, bool alt);

// What must hold after any sequence of commands and events: no invalid menu
// or table handle used, at most one table, the window's bar live or absent,
// no stray menu, a working interpreter. Empty, or what is broken.
std::string brokenInvariant();

}  // namespace fresh_host
