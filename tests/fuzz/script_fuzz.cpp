// The script interface: the input becomes a sequence of host commands with
// random words (invalid UTF-8, huge integers, empty and malformed lists,
// nested createmenu), menu commands and keys, resizes, dialog answers, and
// translations and resize scripts that rebuild the bar or destroy the window.
// After every step: no invalid menu or table handle was used, the window's
// bar is live or absent, and no menu exists that nothing owns.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "tests/fresh_host.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using namespace fresh_host;

constexpr std::string_view kScript = R"tcl(
namespace eval ::f { variable mode identity depth 0 body {} code 0 countdown 0 word {} resize {} inResize 0 }
proc ::locale::translate {text} {
    if {$::f::depth > 0} { return $text }
    incr ::f::depth
    set code [catch {
        switch -- $::f::mode {
            fail { error "no translation for $text" }
            word { set text $::f::word }
            build { ::menu::createmenu $::f::body }
            item { ::menu::menu -ishortcut $::f::code T$text {} }
            destroy { if {[incr ::f::countdown -1] == 0} { ::screen::destroywnd $::parentwindow } }
            unset { unset ::menu::actions }
        }
    } message]
    incr ::f::depth -1
    if {$code == 1 && $::f::mode eq "fail"} { error $message }
    return $text
}
proc ::screen::doresize {area} {
    if {$::f::inResize} return
    set ::f::inResize 1
    set code [catch $::f::resize]
    set ::f::inResize 0
    if {$code == 1} { error "resize failed" }
}
)tcl";

constexpr const char* kCommands[] = {"::menu::createmenu",      "::menu::submenu",    "::menu::separator",
                                     "::menu::menu",            "::screen::getclientrect", "::screen::destroywnd",
                                     "::screen::getbounds",     "::screen::setbounds",     "::screen::setwindowtext",
                                     "::vesk::querytimer",      "::vesk::filedlg"};
constexpr const char* kModes[] = {"identity", "fail", "word", "build", "item", "destroy", "unset"};

class Decoder {
public:
    explicit Decoder(fuzz::Input& input) : in_(input) {}

    std::string window() { return in_.flag() ? std::to_string(support::mainWindow()) : in_.word(); }

    // One command as script text; every word quoted as a list element.
    static std::string command(const std::vector<std::string>& words) {
        Tcl_Obj* list = listOf(words);
        Tcl_IncrRefCount(list);
        std::string text = Tcl_GetString(list);
        Tcl_DecrRefCount(list);
        return text;
    }

    std::string body(int depth) {
        std::string text;
        for (int n = depth > 2 ? 0 : in_.below(5); n > 0; --n) text += statement(depth + 1) + "\n";
        return text;
    }

    std::string statement(int depth) {
        switch (in_.byte() % 16) {
        case 0: case 1: return command({"::menu::menu", "-ishortcut", in_.flag() ? std::to_string(in_.integer()) : in_.word(),
                                caption(), body(depth)});
        case 2: return command({"::menu::menu", caption(), body(depth)});
        case 3: return command({"::menu::separator"});
        case 4: return command({"::menu::submenu", caption(), body(depth)});
        case 5: return command({"catch", command({"::menu::createmenu", body(depth)})});
        case 6: return command({"::menu::createmenu", body(depth)});
        case 7: return command({"catch", body(depth)});
        case 8: return command({"error", in_.word()});
        case 9: return command({"::screen::setbounds", window(), in_.flag() ? bounds() : in_.word()});
        case 10: return command({"::screen::destroywnd", window()});
        case 11: return command({"set", "::f::mode", kModes[in_.below(std::size(kModes))]});
        case 12: return command({"catch", "unset ::menu::actions"});
        case 13: return command({"set", "::f::resize", body(depth)});
        default: {
            // Any host command with any words.
            std::vector<std::string> words{kCommands[in_.below(std::size(kCommands))]};
            for (int n = in_.below(5); n > 0; --n) words.push_back(in_.flag() ? window() : in_.word());
            return command(words);
        }
        }
    }

    std::string caption() { return in_.flag() ? "C" + std::to_string(in_.byte()) : in_.word(); }

    std::string bounds() {
        std::vector<std::string> values;
        for (int i = 0; i < 4; ++i) values.push_back(std::to_string(in_.flag() ? in_.integer() : 100 + in_.byte()));
        return command(values);
    }

private:
    fuzz::Input& in_;
};

// User events left for the input that runs. Each message box brings one,
// and an action may show a box per item; without a bound three levels of
// that made hundreds of thousands of boxes from one short input.
int userEventsLeft = 0;

// What the user may do while a message box or dialog is up: pick a menu
// item, press a key or resize the window.
void userEvent(fuzz::Input& input) {
    static int nesting = 0;
    if (nesting > 2 || userEventsLeft <= 0 || !headless::window(support::mainWindow())) return;
    --userEventsLeft;
    ++nesting;
    switch (input.byte() % 4) {
    case 0: {
        static constexpr unsigned kIds[] = {40000, 40001, 40002, 40003, 40005, 40010, 39999, 49999, 50000, 0};
        command(kIds[input.below(std::size(kIds))]);
        break;
    }
    case 1: key(input.flag() ? 0x41 + input.below(4) : input.byte(), input.flag(), input.flag(), input.flag()); break;
    case 2: headless::resizeWindow(support::mainWindow(), 100 + input.byte(), 100 + input.byte()); break;
    default: break;
    }
    --nesting;
}

// Starting Tcl is most of a run's time, so a long run may keep one host for
// up to VESK_FUZZ_INPUTS_PER_HOST inputs (default 1: a new host for each).
// Each input is then also appended to script-host-PID.inputs, emptied when a
// host starts, so that a finding can be replayed after the inputs that ran
// before it on its host (the replay main takes that file as a sequence).
int inputsPerHost() {
    static const int count = [] {
        const char* value = std::getenv("VESK_FUZZ_INPUTS_PER_HOST");
        return value != nullptr ? std::max(1, std::atoi(value)) : 1;
    }();
    return count;
}

void keepOnHostHistory(const std::uint8_t* data, std::size_t size, bool newHost) {
    static const int file = ::open(("script-host-" + std::to_string(::getpid()) + ".inputs").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
    FUZZ_CHECK(file >= 0);
    if (newHost) FUZZ_CHECK(::ftruncate(file, 0) == 0 && ::lseek(file, 0, SEEK_SET) == 0);
    const auto length = static_cast<std::uint32_t>(size);
    FUZZ_CHECK(::write(file, &length, sizeof length) == sizeof length);
    FUZZ_CHECK(::write(file, data, size) == static_cast<ssize_t>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int ranOnHost = 0;
    const bool newHost = ranOnHost >= inputsPerHost() || !headless::window(support::mainWindow());
    if (newHost) {
        FUZZ_CHECK(start(kScript));
        headless::setRecording(false);
        ranOnHost = 0;
    }
    ++ranOnHost;
    if (inputsPerHost() > 1) keepOnHostHistory(data, size, newHost);
    fuzz::Input input(data, size);
    userEventsLeft = 64;
    // Dialog answers queued by an earlier input on this host draw on this one.
    static fuzz::Input* current = nullptr;
    current = &input;
    headless::onMessageBox([](const headless::MessageBoxRecord&) { userEvent(*current); });
    Decoder decode(input);
    for (int steps = 0; steps < 32 && !input.empty(); ++steps) {
        switch (input.byte() % 10) {
        case 0: case 1: evalWords({"::menu::createmenu", decode.body(0)}); break;
        case 2: evalWords({"eval", decode.body(0)}); break;  // items outside any bar's body
        case 3: case 4: case 5: userEvent(input); break;
        case 6:
            evalWords({"set", "::f::mode", kModes[input.below(std::size(kModes))]});
            evalWords({"set", "::f::countdown", std::to_string(1 + input.below(4))});
            evalWords({"set", "::f::code", std::to_string(input.integer())});
            evalWords({"set", "::f::word", input.word()});
            evalWords({"set", "::f::body", decode.body(1)});
            break;
        case 7: evalWords({"set", "::f::resize", decode.body(1)}); break;
        case 8: {
            headless::DialogAnswer answer;
            if (input.flag()) answer = headless::chooseFiles({input.word(), input.word()});
            answer.errorCode = input.flag() ? 12291 : 0;
            if (input.flag()) answer.whileOpen = [] { userEvent(*current); };
            headless::queueDialogAnswer(answer);
            break;
        }
        default: evalWords({"eval", decode.statement(0)}); break;
        }
        const std::string broken = brokenInvariant();
        if (!broken.empty()) fuzz::fail(__FILE__, __LINE__, broken.c_str());
        if (!headless::window(support::mainWindow())) {
            // The window is gone: its loop ends with 0, and the process with it.
            FUZZ_CHECK(host::runMessageLoop() == 0);
            break;
        }
    }
    headless::onMessageBox(nullptr);
    current = nullptr;
    return 0;
}
