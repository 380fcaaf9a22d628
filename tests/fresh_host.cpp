#include "tests/fresh_host.h"

#include <cstdlib>
#include <fstream>
#include <set>

#include "commands/menus.h"
#include "support/tcl_ref.h"

namespace fresh_host {

const std::string_view kStubScript = R"tcl(
namespace eval ::test { variable resizes {} files {} saves 0 }
namespace eval ::screen {}
namespace eval ::locale {}
namespace eval ::vesk {}
namespace eval ::config {}
proc ::locale::translate {text} { return $text }
proc ::screen::doresize {clientArea} { lappend ::test::resizes $clientArea }
proc ::vesk::filedialog {mode files} { lappend ::test::files [list $mode $files] }
proc ::config::save {} { incr ::test::saves }
)tcl";

// The exit handler keeps its own copy of the name: the path object is
// destroyed before it runs.
const std::filesystem::path& folder() {
    static char made[4096];
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "vesk_test_XXXXXX").string();
        if (pattern.size() >= sizeof made || ::mkdtemp(pattern.data()) == nullptr) std::abort();
        std::filesystem::create_directories(std::filesystem::path(pattern) / "default");
        pattern.copy(made, pattern.size());
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Hosts restart thousands of times in the torture and the fuzz targets: the
// file is written only when its text changes (or a test removed it).
void writeScript(std::string_view extra) {
    static std::string written;
    const std::string text = std::string(kStubScript) + "\n" + std::string(extra) + "\n";
    const std::filesystem::path path = folder() / "default" / "vesk.tcl";
    if (text == written && std::filesystem::exists(path)) return;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    written = text;
}

void reset() {
    // Tcl 8.6 must set up its subsystems before tests call it directly.
    [[maybe_unused]] static const bool tclReady = (Tcl_FindExecutable(nullptr), true);
    host::resetProcessState();
    headless::reset();
    headless::setModuleFileName((folder() / "vesk2b").string());
}

bool start(std::string_view extra, bool recording) {
    reset();
    writeScript(extra);
    int exitCode = 0;
    const bool started = host::startUp(platform::kSwShowDefault, exitCode) && support::mainWindow() != 0;
    headless::setRecording(recording);
    return started;
}

Evaluation eval(std::string_view script) {
    Tcl_Interp* interp = host::interpreter();
    Tcl_UnsetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
    Tcl_UnsetVar(interp, "errorCode", TCL_GLOBAL_ONLY);
    Tcl_ResetResult(interp);
    Evaluation e;
    e.code = Tcl_EvalEx(interp, script.data(), static_cast<int>(script.size()), TCL_EVAL_GLOBAL);
    e.result = result();
    e.errorInfo = global("errorInfo");
    e.errorCode = global("errorCode");
    return e;
}

std::string Evaluation::outcome() const {
    const std::string kind = code == TCL_OK ? "ok" : code == TCL_ERROR ? "error" : "code " + std::to_string(code);
    return kind + ": " + result;
}

int evalWords(const std::vector<std::string>& words) {
    const support::TclRef list(listOf(words));
    int count = 0;
    Tcl_Obj** objv = nullptr;
    Tcl_ListObjGetElements(nullptr, list.get(), &count, &objv);
    return Tcl_EvalObjv(host::interpreter(), count, objv, TCL_EVAL_GLOBAL);
}

Tcl_Obj* listOf(const std::vector<std::string>& words) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (const std::string& word : words)
        Tcl_ListObjAppendElement(nullptr, list, Tcl_NewStringObj(word.data(), static_cast<int>(word.size())));
    return list;
}

std::optional<std::vector<std::string>> listElements(Tcl_Obj* list) {
    int count = 0;
    Tcl_Obj** elements = nullptr;
    if (list == nullptr || Tcl_ListObjGetElements(nullptr, list, &count, &elements) != TCL_OK) return std::nullopt;
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        int length = 0;
        const char* bytes = Tcl_GetStringFromObj(elements[i], &length);
        out.emplace_back(bytes, static_cast<std::size_t>(length));
    }
    return out;
}

std::optional<std::vector<std::string>> listElements(std::string_view text) {
    return listElements(support::TclRef(Tcl_NewStringObj(text.data(), static_cast<int>(text.size()))).get());
}

std::optional<std::string> global(const char* name) {
    const char* value = Tcl_GetVar(host::interpreter(), name, TCL_GLOBAL_ONLY);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::vector<std::string> globalList(const char* name) {
    return listElements(Tcl_GetVar2Ex(host::interpreter(), name, nullptr, TCL_GLOBAL_ONLY)).value_or(std::vector<std::string>{});
}

std::vector<std::string> callsNamed(std::string_view prefix) {
    std::vector<std::string> out;
    for (const std::string& call : headless::calls())
        if (call.starts_with(prefix)) out.push_back(call);
    return out;
}

int findCall(std::string_view prefix, int from) {
    const auto& calls = headless::calls();
    for (int i = from; i < static_cast<int>(calls.size()); ++i)
        if (calls[static_cast<std::size_t>(i)].starts_with(prefix)) return i;
    return -1;
}

std::string text(const platform::Rect& rect) {
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
           std::to_string(rect.bottom);
}

std::vector<std::string> labels(platform::MenuHandle menu) {
    std::vector<std::string> out;
    for (const auto& item : headless::menuItems(menu)) out.push_back(item.type == platform::kMftSeparator ? "-" : item.text);
    return out;
}

// Every menu reachable from root through submenu items, root included.
static void collectMenus(platform::MenuHandle root, std::set<platform::MenuHandle>& into) {
    if (root == 0 || !headless::menuExists(root) || !into.insert(root).second) return;
    for (const auto& item : headless::menuItems(root))
        if (item.subMenu != 0) collectMenus(item.subMenu, into);
}

int strayMenus(platform::MenuHandle windowBar) {
    std::set<platform::MenuHandle> owned;
    collectMenus(windowBar, owned);
    collectMenus(commands::menuUnderConstruction(), owned);
    return headless::liveMenuCount() - static_cast<int>(owned.size());
}

platform::LResult key(std::uint32_t virtualKey, bool shift, bool ctrl, bool alt) {
    headless::setModifiers(shift, ctrl, alt);
    const std::uint32_t code = alt ? platform::kWmSysKeyDown : platform::kWmKeyDown;
    const platform::LResult result = headless::sendMessage(
        {support::mainWindow(), code, virtualKey, static_cast<platform::LParam>((virtualKey << 16) | 1)});
    headless::setModifiers(false, false, false);
    return result;
}

std::string brokenInvariant() {
    const platform::MenuHandle windowBar = bar();
    const bool windowExists = headless::window(support::mainWindow()).has_value();
    const std::pair<bool, const char*> invariants[] = {
        {headless::invalidMenuHandleUses() == 0, "an invalid menu handle was used"},
        {headless::invalidAcceleratorTableUses() == 0, "an invalid accelerator table was used"},
        {headless::liveAcceleratorTableCount() <= 1, "more than one accelerator table lives"},
        {!windowExists || windowBar == 0 || headless::menuExists(windowBar), "the window's bar is destroyed"},
        {strayMenus(windowBar) == 0, "a menu that nothing owns lives"},
        {evalWords({"set", "::test::probe", "ok"}) == TCL_OK && result() == "ok", "the interpreter fails"},
    };
    for (const auto& [holds, broken] : invariants)
        if (!holds) return broken;
    return "";
}

}  // namespace fresh_host
