#include "tests/torture/generator.h"

#include <map>
#include <sstream>
#include <vector>

namespace torture {

const std::string_view kProcedures = R"tcl(
namespace eval ::t {
    variable mode identity depth 0 buildBody {} itemCode 0 countdown 0
    variable resizeAction {} inResize 0 failBudget 1000000000 word {}
}
namespace eval ::locale {}
namespace eval ::screen {}
proc ::t::fails {} { expr {[incr ::t::failBudget -1] >= 0} }
proc ::locale::translate {text} {
    switch -- $::t::mode {
        fail { if {[::t::fails]} { error "no translation for $text" } }
        failsome { if {[string match *+ $text] && [::t::fails]} { error "no word $text" } }
        empty { return "" }
        word { return $::t::word }
        build {
            if {$::t::depth == 0} {
                incr ::t::depth
                catch {::menu::createmenu $::t::buildBody}
                incr ::t::depth -1
            }
        }
        item {
            if {$::t::depth == 0} {
                incr ::t::depth
                catch {::menu::menu -ishortcut $::t::itemCode T:$text {lappend ::ran t}}
                incr ::t::depth -1
            }
        }
        destroy {
            if {[incr ::t::countdown -1] == 0} { ::screen::destroywnd $::parentwindow }
        }
        unset { catch {unset ::menu::actions} }
    }
    return $text
}
proc ::screen::doresize {area} {
    if {$::t::inResize} return
    set ::t::inResize 1
    set code [catch $::t::resizeAction]
    set ::t::inResize 0
    if {$code == 1} { error "resize failed" }
}
)tcl";

template <typename T, std::size_t N>
static const T& pick(Generator& g, const T (&choices)[N]) {
    return choices[g.below(static_cast<int>(N))];
}

static std::string shortcut(Generator& g) {
    static constexpr int kCodes[] = {0, 0, 0x4041, 0x4042, 0x2041, 0x8073, 0x6053, 0xE041, 0x4090, 0x40C1, 0x4053};
    return g.odd(25) ? g.oddWord() : std::to_string(pick(g, kCodes));
}

static std::string caption(Generator& g) {
    // Appended: "C" + to_string trips mingw g++ 12's -Wrestrict.
    return g.odd(25) ? g.oddWord() : std::string("C").append(std::to_string(g.below(100)));
}

static std::string translationMode(Generator& g) {
    static constexpr const char* kModes[] = {"identity", "identity", "identity", "fail", "failsome",
                                             "empty",    "build",    "item",     "destroy", "unset"};
    return g.odd(10) ? "word" : pick(g, kModes);
}

// Mostly ordinary bounds; now and then sizes a window cannot take.
static std::string bounds(Generator& g) {
    if (g.odd(15)) return g.odd(50) ? g.oddWord() : g.oddWord() + " " + g.oddWord() + " " + g.oddWord() + " " + g.oddWord();
    static constexpr const char* kOdd[] = {
        "0 0 0 0", "-50 -50 -10 -10", "0 0 50000 50000", "-30000 -30000 100 100", "30000 30000 300 200", "0 0 1 1",
        "2147483647 2147483647 2147483647 2147483647", "-2147483648 0 1 -2147483648"};
    if (g.chance(8)) return pick(g, kOdd);
    return std::to_string(g.below(200)) + " " + std::to_string(g.below(200)) + " " + std::to_string(100 + g.below(700)) +
           " " + std::to_string(100 + g.below(500));
}

// Window commands on handles that name no window or are no integers,
// and bounds lists of the wrong shape.
static std::string oddWindowCommand(Generator& g) {
    if (g.odd(50)) {
        // Any host command with any words.
        static constexpr const char* kAny[] = {
            "::menu::createmenu", "::menu::submenu", "::menu::separator", "::menu::menu", "::screen::getclientrect",
            "::screen::destroywnd", "::screen::getbounds", "::screen::setbounds", "::screen::setwindowtext",
            "::vesk::querytimer", "::vesk::filedlg", "error"};
        std::string command = pick(g, kAny);
        for (int n = g.below(5); n > 0; --n)
            command += ' ' + (g.chance(50) ? std::string("$parentwindow") : g.oddWord());
        return command;
    }
    static constexpr const char* kCommands[] = {
        "catch {::screen::getclientrect 0}", "catch {::screen::getbounds -1}",
        "catch {::screen::setbounds 424242 {0 0 100 100}}", "catch {::screen::destroywnd 7}",
        "catch {::screen::setwindowtext 99999 {vesk torture}}", "catch {::screen::getclientrect [expr {$parentwindow + 1}]}",
        "catch {::screen::getbounds 0x7fffffff}", "catch {::screen::getclientrect 4294967295}",
        "catch {::screen::setbounds nowindow {0 0 1 1}}", "catch {::screen::setbounds $parentwindow {1 2 3}}",
        "catch {::screen::setbounds $parentwindow {a b c d}}", "catch {::screen::setbounds $parentwindow \"\\{1 2\"}",
        "catch {::screen::setbounds $parentwindow [::screen::getbounds $parentwindow]}",
        "catch {::screen::getclientrect $parentwindow} ::t::area", "::screen::setwindowtext $parentwindow {vesk torture}",
        "catch {::screen::destroywnd}", "::vesk::querytimer",
    };
    return pick(g, kCommands);
}

static std::string fileDialog(Generator& g, std::string_view filter) {
    if (!g.fileDialogs) return oddWindowCommand(g);
    static constexpr const char* kOptions[] = {"", "-save", "-open -save", "-title T", "-noplaces -addtorecent", "--"};
    return "catch {::vesk::filedlg " + std::string(pick(g, kOptions)) + " {" + std::string(filter) + "}}";
}

static std::string statement(Generator& g, int depth);

static std::string body(Generator& g, int depth) {
    std::string out;
    for (int count = g.below(6); count > 0; --count) out += statement(g, depth) + "\n";
    return out;
}

static std::string action(Generator& g, int depth) {
    if (depth > 2) return "lappend ::ran leaf";
    switch (g.below(15)) {
    case 0: return "error actionfail";
    case 1: return "::menu::createmenu {" + body(g, depth + 1) + "}";
    case 2: return "catch {::menu::createmenu {" + body(g, depth + 1) + "}}";
    case 3: return "unset ::menu::actions";
    case 4: return "unset ::menu::actions(" + std::to_string(40000 + g.below(8)) + ")";
    case 5: return g.chance(40) ? "::screen::destroywnd $parentwindow" : "lappend ::ran d";
    case 6: return fileDialog(g, "Text|*.txt|All|*.*");
    case 7: return "set ::menu::actions(" + std::to_string(40000 + g.below(8)) + ") {" + action(g, depth + 1) + "}";
    case 8: return "::screen::setbounds $parentwindow {" + bounds(g) + "}";
    case 9: return "set ::t::mode " + translationMode(g);
    case 10: return "::menu::menu -ishortcut " + shortcut(g) + " " + caption(g) + " {" + action(g, depth + 1) + "}";
    case 11: return oddWindowCommand(g);
    default: return "lappend ::ran " + std::to_string(g.below(1000));
    }
}

static std::string statement(Generator& g, int depth) {
    switch (g.below(depth > 3 ? 4 : 21)) {
    case 0: case 1: case 2: case 3: return "::menu::menu -ishortcut " + shortcut(g) + " " + caption(g) + " {" + action(g, depth) + "}";
    case 4: return "::menu::menu " + caption(g) + " {" + action(g, depth) + "}";
    case 5: return "::menu::separator";
    case 6: case 7: return "::menu::submenu " + caption(g) + " {" + body(g, depth + 1) + "}";
    case 8: return "catch {::menu::submenu " + caption(g) + " {" + body(g, depth + 1) + " error subfail}}";
    case 9: return "catch {::menu::createmenu {" + body(g, depth + 1) + "}}";
    case 10: return g.chance(20) ? "::menu::createmenu {}" : "catch {error x}";
    case 11: return g.chance(30) ? "error bodyfail" : "catch {error y}";
    case 12: return "catch {unset ::menu::actions}";
    case 13: return "::screen::setbounds $parentwindow {" + bounds(g) + "}";
    case 14: return "set ::t::mode " + translationMode(g);
    case 15: return fileDialog(g, "All|*.*");
    case 16: return g.chance(15) ? "::screen::destroywnd $parentwindow" : "::menu::separator a b";
    case 17: return "set ::t::resizeAction {" + action(g, depth + 1) + "}";
    case 18: return oddWindowCommand(g);
    default: return "::menu::menu -- -" + caption(g) + " {lappend ::ran dash}";
    }
}

// Steers the translation procedure for the next bars.
static std::string modeSettings(Generator& g) {
    return "set ::t::mode " + translationMode(g) + "; set ::t::countdown " + std::to_string(1 + g.below(4)) +
           "; set ::t::itemCode " + shortcut(g) + "; set ::t::buildBody {" + body(g, 1) + "}" +
           (g.oddWord ? "; set ::t::word " + g.oddWord() : "");
}

unsigned Generator::commandId() {
    static constexpr unsigned kEdges[] = {39999, 49999, 50000, 0};
    return chance(10) ? pick(*this, kEdges) : 40000 + static_cast<unsigned>(below(6));
}

std::uint32_t Generator::virtualKey() {
    static constexpr std::uint32_t kKeys[] = {0x41, 0x42, 0x53, 0x73, 0x90, 0xC1};
    return odd(30) ? static_cast<std::uint32_t>(below(256)) : pick(*this, kKeys);
}

// The members of a braced list are drawn in order.
Step Generator::step() {
    using enum Step::Kind;
    switch (below(12)) {
    case 0: case 1: case 2: return {.script = "::menu::createmenu {" + body(*this, 0) + "}"};
    case 3: return {.script = body(*this, 1)};  // item commands outside createmenu
    case 4: case 5: return {.kind = Command, .commandId = commandId(), .highWord = static_cast<unsigned>(below(2))};
    case 6: case 7:
        return {.kind = Key, .virtualKey = virtualKey(), .shift = chance(30), .ctrl = chance(60), .alt = chance(30)};
    case 8: return {.kind = Resize, .width = 300 + below(400), .height = 200 + below(300)};
    case 9: return {.script = modeSettings(*this)};
    case 10: return {.kind = DialogAnswers};
    default:
        return {.script = "set ::menu::actions(" + std::to_string(40000 + below(12)) + ") {" + action(*this, 0) +
                          "}"};
    }
}

// A key press for a real program: an xdotool key name with modifiers, such
// as "ctrl+shift+s"; empty when the key has no X name.
static std::string xdotoolKey(const Step& key) {
    static const std::map<std::uint32_t, std::string_view> kNames{{0x41, "a"}, {0x42, "b"}, {0x53, "s"}, {0x73, "F4"}, {0x90, "Num_Lock"}};
    const auto name = kNames.find(key.virtualKey);
    if (name == kNames.end()) return "";
    return std::string(key.shift ? "shift+" : "") + (key.ctrl ? "ctrl+" : "") + (key.alt ? "alt+" : "") + std::string(name->second);
}

// Procedures of the program script around the sequences: each step runs at
// global level under catch, as the in-process torture evaluates it, so that a
// failing step does not end the script; a command runs its action the way
// the window procedure does; the checks write a broken invariant to the
// status file.
static constexpr std::string_view kProgramProcedures = R"tcl(
namespace eval ::config {}
namespace eval ::t {
    variable failBudget 4 statusFile [file join [file dirname [info script]] status.txt]
}
proc ::t::status {line} {
    set channel [open $::t::statusFile a]
    puts $channel $line
    close $channel
}
proc ::config::save {} { ::t::status saved }
proc ::t::step {script} { catch {uplevel #0 $script} }
proc ::t::command {id} {
    if {$id < 40000 || $id > 49999 || ![info exists ::menu::actions($id)]} return
    catch {uplevel #0 [set ::menu::actions($id)]}
}
proc ::t::check {sequence} {
    if {[set ::t::probe ok] ne "ok"} { ::t::status "broken: sequence $sequence: interpreter" }
    if {$sequence % 5 != 4} return
    # No body is left counted as running: a top-level bar can be built, and
    # no menu is under construction after it.
    set ::t::mode identity
    set ::t::resizeAction {}
    if {[catch {::menu::createmenu {::menu::menu -ishortcut 16449 Probe {}}} message]} {
        ::t::status "broken: sequence $sequence: probe bar: $message"
    }
    if {![catch {::menu::menu Outside {}} message] || $message ne "not valid here - must be called from within createmenu"} {
        ::t::status "broken: sequence $sequence: a menu is still under construction: $message"
    }
}
::screen::setwindowtext $parentwindow {vesk torture}
)tcl";

std::string programScript(std::uint32_t seed, int sequences, bool dialogs) {
    using enum Step::Kind;
    Generator generator(seed, false);
    std::ostringstream steps;
    std::vector<std::string> keys;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        for (int count = 3 + generator.below(8); count > 0; --count) {
            const Step step = generator.step();
            switch (step.kind) {
            case Script: steps << "::t::step {" << step.script << "}\n"; break;
            case Command: steps << "::t::command " << step.commandId << "\n"; break;
            case Resize:
                steps << "::t::step {::screen::setbounds $parentwindow {40 40 " << step.width << " " << step.height
                      << "}}\n";
                break;
            case Key:
                // Keys need the message loop: they are pressed once the script has run.
                if (const std::string key = xdotoolKey(step); !key.empty() && keys.size() < 6) keys.push_back(key);
                break;
            case DialogAnswers:
                if (dialogs) steps << "::t::step {::vesk::filedlg -title {torture dialog} -" << (generator.chance(50) ? "save" : "open") << " {Text|*.txt|All|*.*}}\n";
                break;
            }
        }
        steps << "::t::check " << sequence << "\n";
    }
    std::ostringstream out;
    out << "# keys:";
    for (const std::string& key : keys) out << " " << key;
    out << "\n# vesk2b torture: seed " << seed << ", " << sequences << " sequences\n"
        << kProcedures << kProgramProcedures << steps.str()
        << "if {[catch {::screen::getbounds $parentwindow}]} { ::t::status gone }\n::t::status end\n";
    return out.str();
}

}  // namespace torture
