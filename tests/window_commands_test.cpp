// The main window: ::screen::setwindowtext, ::screen::destroywnd,
// ::screen::getclientrect, ::screen::getbounds, ::screen::setbounds and
// ::vesk::querytimer, the resize script they feed, and the window procedure,
// at the level of the platform calls. What scripts
// see of them (results, failures on their channels) is checked on every
// platform by the conformance suite, tests/conformance.
#include "tests/host_test.h"

namespace {

using namespace host_test;
using WindowCommands = Host;
using ResizeScript = StartedInTest;
using WindowProcedure = Host;

std::string frame() { return text(headless::window(support::mainWindow())->frame); }

TEST_F(WindowCommands, GeometryTitleBytesAndTheTickCount) {
    // The scripts name the window by $h, a global of its own, not by the linked parentwindow.
    const std::string h = std::to_string(support::mainWindow());
    Tcl_SetVar(host::interpreter(), "h", h.c_str(), TCL_GLOBAL_ONLY);
    EXPECT_EQ(eval("::screen::getclientrect $h").result, "0 0 640 480");
    EXPECT_EQ(eval("::screen::getbounds $h").result, "26 26 656 519");
    // Any integer notation Tcl accepts names the window.
    EXPECT_EQ(eval("::screen::getclientrect [format 0x%x $h]").result, "0 0 640 480");

    // Passing the bounds back leaves a top-level window where it is.
    headless::clearCalls();
    EXPECT_EQ(eval("::screen::setbounds $h [::screen::getbounds $h]").outcome(), "ok: ");
    EXPECT_EQ(callsNamed("SetWindowPos"), Strings{"SetWindowPos(" + h + ", 0, 26, 26, 656, 519, 0x2114)"});
    EXPECT_EQ(frame(), text(headless::kDefaultFrame));

    // Width and height are right - left and bottom - top, both ways.
    EXPECT_EQ(eval("::screen::setbounds $h {100 50 640 480}").code, TCL_OK);
    EXPECT_EQ(frame(), "100 50 740 530");
    EXPECT_EQ(eval("::screen::getbounds $h").result, "100 50 640 480");
    EXPECT_EQ(eval("::screen::getclientrect $h").result, "0 0 624 441");
    EXPECT_EQ(eval("::screen::setbounds $h {-300 -20 200 100}; ::screen::getbounds $h").result, "-300 -20 200 100");
    const std::string title = "Gr\xC3\xB6\xC3\x9F" "e {x} [y] $z";
    EXPECT_EQ(eval("::screen::setwindowtext $h {" + title + "}").outcome(), "ok: ");
    EXPECT_EQ(headless::window(support::mainWindow())->title, title);
    // A handle that names no window: nothing happens, and no error.
    EXPECT_EQ(eval("::screen::setwindowtext 99999 lost").outcome(), "ok: ");
    EXPECT_EQ(headless::window(support::mainWindow())->title, title);
    // 0x80000000 is 2^31 ms of uptime.
    const std::pair<std::uint32_t, const char*> ticks[] = {
        {0, "0"}, {123456, "123456"}, {0x7FFFFFFFu, "2147483647"}, {0x80000000u, "-2147483648"}, {0xFFFFFFFFu, "-1"}};
    for (const auto& [tick, text] : ticks) {
        headless::setTickCount(tick);
        EXPECT_EQ(eval("::vesk::querytimer").result, text) << tick;
    }
    headless::setTickCount(1000);
    const std::string first = eval("::vesk::querytimer").result;
    headless::setTickCount(2000);
    EXPECT_EQ(eval("expr {[::vesk::querytimer] - " + first + "}").result, "1000");
}

TEST_F(ResizeScript, RunsInsideTheCallAtGlobalLevelAndLeavesTheResultAlone) {
    startHostOrFail(R"tcl(
proc ::screen::doresize {clientArea} {
    lappend ::test::resizes $clientArea
    lappend ::test::insideCall [info level]
    return "left by doresize"
})tcl");
    EXPECT_EQ(eval("::screen::setbounds $parentwindow {10 20 500 400}").outcome(), "ok: ");
    EXPECT_EQ(globalList("::test::resizes"), Strings{"0 0 484 361"});
    // Evaluated from within the command, one level below it.
    EXPECT_EQ(globalList("::test::insideCall"), Strings{"1"});

    // A failing resize script is reported; setbounds still succeeds.
    eval("proc ::screen::doresize {clientArea} { error {bad resize} }");
    headless::clearConsoleOutput();
    const Evaluation failing = eval("::screen::setbounds $parentwindow {10 20 300 200}");
    EXPECT_EQ(failing.outcome(), "ok: ");
    EXPECT_EQ(failing.errorInfo, std::nullopt);  // reported, then put back as it was
    EXPECT_EQ(headless::consoleOutput().rfind("bad resize\nbad resize\n    while executing\n", 0), 0u)
        << headless::consoleOutput();

    ASSERT_EQ(eval(R"tcl(set ::test::resizes {}
proc ::screen::doresize {clientArea} {
    lappend ::test::resizes $clientArea
    lappend ::test::levels [info level]
}
proc ::test::grow {handle} { ::screen::setbounds $handle {0 0 400 300} })tcl").code, TCL_OK);
    headless::clearConsoleOutput();
    // The proc has no parentwindow of its own; the resize script still finds it.
    EXPECT_EQ(eval("::test::grow $parentwindow").outcome(), "ok: ");
    EXPECT_EQ(headless::consoleOutput(), "");
    EXPECT_EQ(globalList("::test::resizes"), Strings{"0 0 384 261"});
    EXPECT_EQ(globalList("::test::levels"), Strings{"1"});

    ASSERT_EQ(eval(R"tcl(
::menu::createmenu { ::menu::menu Where { lappend ::test::levels [info level] $parentwindow } }
proc ::test::ask {} { catch { ::vesk::filedlg {All|*.*} } }
set ::test::levels {})tcl").code, TCL_OK);
    headless::DialogAnswer answer = headless::cancelDialog();
    answer.whileOpen = [] { command(40000); };
    headless::queueDialogAnswer(std::move(answer));
    headless::clearConsoleOutput();
    eval("::test::ask");
    EXPECT_EQ(headless::consoleOutput(), "");
    EXPECT_EQ(globalList("::test::levels"), (Strings{"0", std::to_string(support::mainWindow())}));
}

TEST_F(ResizeScript, TheSameObjectIsEvaluatedAndKeepsItsCompiledForm) {
    startHostOrFail();
    Tcl_Obj* script = host::resizeScript();
    ASSERT_NE(script, nullptr);
    EXPECT_STREQ(Tcl_GetString(script), "::screen::doresize [::screen::getclientrect $parentwindow]");
    // The window's first size message came during creation and was skipped.
    EXPECT_TRUE(globalList("::test::resizes").empty());
    EXPECT_EQ(script->typePtr, nullptr);

    headless::resizeWindow(support::mainWindow(), 800, 600);
    EXPECT_EQ(host::resizeScript(), script);
    ASSERT_NE(script->typePtr, nullptr);
    EXPECT_STREQ(script->typePtr->name, "bytecode");
    void* compiled = script->internalRep.twoPtrValue.ptr1;

    headless::resizeWindow(support::mainWindow(), 900, 700);
    headless::resizeWindow(support::mainWindow(), 300, 200);
    EXPECT_EQ(host::resizeScript(), script);
    EXPECT_STREQ(script->typePtr->name, "bytecode");
    EXPECT_EQ(script->internalRep.twoPtrValue.ptr1, compiled);
    EXPECT_GE(script->refCount, 1);
    EXPECT_EQ(globalList("::test::resizes"), (Strings{"0 0 784 561", "0 0 884 661", "0 0 284 161"}));
}

// The main window procedure: resizes, the command-ID range, shortcuts and
// menu items reaching the same action, failing and vanishing actions, and
// destruction ending the loop.
TEST_F(WindowProcedure, ResizesCommandRangeAndDestroy) {
    // Start-up's window creation brought the first size message.
    ASSERT_EQ(callsNamed("CreateWindowExW(").size(), 1u);
    EXPECT_TRUE(globalList("::test::resizes").empty());
    const platform::WindowHandle window = support::mainWindow();
    headless::resizeWindow(window, 400, 300);
    // Minimised (wParam 1) counts like any other.
    EXPECT_EQ(headless::sendMessage({window, platform::kWmSize, 1, 0}), 1);
    EXPECT_EQ(globalList("::test::resizes"), (Strings{"0 0 384 261", "0 0 384 261"}));
    EXPECT_EQ(headless::countCalls("DefWindowProcW"), 0);

    // A failing resize script is reported and the message still returns 1.
    ASSERT_EQ(eval("proc ::screen::doresize {area} { error \"bad size $area\" }").code, TCL_OK);
    headless::clearConsoleOutput();
    EXPECT_EQ(headless::sendMessage({window, platform::kWmSize, 0, 0}), 1);
    EXPECT_EQ(headless::consoleOutput().rfind("bad size 0 0 384 261\nbad size 0 0 384 261\n    while executing\n", 0), 0u)
        << headless::consoleOutput();
    ASSERT_EQ(eval("foreach id {39999 40000 49999 50000} { set ::menu::actions($id) [list lappend ::ran $id] }").code,
              TCL_OK);
    headless::clearCalls();
    EXPECT_EQ(command(39999), 0);
    EXPECT_EQ(command(50000), 0);
    const std::string defaultHandling = "DefWindowProcW(" + std::to_string(window) + ", 0x111, ";
    EXPECT_EQ(callsNamed("DefWindowProcW("), (Strings{defaultHandling + "39999, 0)", defaultHandling + "50000, 0)"}));
    EXPECT_FALSE(global("::ran").has_value());
    headless::clearCalls();
    EXPECT_EQ(command(40000), 0);
    EXPECT_EQ(command(49999), 0);
    // Only the low word names the command: 0x19C40 is 40000 with a high word of 1.
    EXPECT_EQ(command(40000, 0xFFFF), 0);
    EXPECT_EQ(headless::sendMessage({support::mainWindow(), platform::kWmCommand, 0x19C40, 12345}), 0);
    EXPECT_EQ(globalList("::ran"), (Strings{"40000", "49999", "40000", "40000"}));
    EXPECT_EQ(headless::countCalls("DefWindowProcW"), 0);
    headless::clearCalls();
    EXPECT_EQ(headless::sendMessage({support::mainWindow(), platform::kWmDestroy, 0, 0}), 0);
    EXPECT_EQ(callsNamed("PostQuitMessage("), Strings{"PostQuitMessage(0)"});
    EXPECT_EQ(host::runMessageLoop(), 0);
}

TEST_F(WindowProcedure, ActionsOfShortcutsAndItemsFailingMissingOrReplaced) {
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Skip s; ::menu::menu -ishortcut 16463 Open {lappend ::ran [incr ::n]}}").code, TCL_OK);
    command(40001);
    key(0x4F, false, true, false);
    EXPECT_EQ(globalList("::ran"), (Strings{"1", "2"}));
    // The script changes the element: both ways run the new value.
    ASSERT_EQ(eval("set ::menu::actions(40001) {lappend ::ran changed}").code, TCL_OK);
    key(0x4F, false, true, false);
    command(40001);
    EXPECT_EQ(globalList("::ran"), (Strings{"1", "2", "changed", "changed"}));
    // The key message goes on to the default handling after its command ran.
    headless::clearCalls();
    key(0x4F, false, true, false);
    const int translate = findCall("TranslateAcceleratorW(");
    ASSERT_GE(translate, 0);
    EXPECT_EQ(findCall("DefWindowProcW(" + std::to_string(support::mainWindow()) + ", 0x100, 79, "), translate + 1);
    eval("unset -nocomplain ::ran");
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Bad {error \"action failed\"}; ::menu::menu Good {lappend ::ran good}}").code, TCL_OK);
    headless::clearConsoleOutput();
    EXPECT_EQ(command(40000), 0);
    EXPECT_EQ(headless::consoleOutput(),
              "action failed\naction failed\n    while executing\n\"error \"action failed\"\"\n");
    command(40001);
    EXPECT_EQ(globalList("::ran"), Strings{"good"});
    eval("unset -nocomplain ::ran");
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu A {lappend ::ran a}; ::menu::menu B {lappend ::ran b}}").code, TCL_OK);
    headless::clearConsoleOutput();
    ASSERT_EQ(eval("unset ::menu::actions(40000)").code, TCL_OK);
    EXPECT_EQ(command(40000), 0);
    EXPECT_EQ(command(40005), 0);
    ASSERT_EQ(eval("unset ::menu::actions").code, TCL_OK);
    EXPECT_EQ(command(40001), 0);
    ASSERT_EQ(eval("set ::menu::actions scalar").code, TCL_OK);
    EXPECT_EQ(command(40001), 0);
    EXPECT_EQ(headless::consoleOutput(), "");
    EXPECT_FALSE(global("::ran").has_value());
    // An array the script builds again works as before.
    ASSERT_EQ(eval("unset ::menu::actions; ::menu::createmenu {::menu::menu C {lappend ::ran c}}").code, TCL_OK);
    command(40000);
    EXPECT_EQ(globalList("::ran"), Strings{"c"});
    ASSERT_EQ(eval(R"tcl(
        unset -nocomplain ::ran
        proc ::rebuild {tag} {
            ::menu::createmenu [list ::menu::menu -ishortcut 16463 Again [list ::rebuild again]]
            lappend ::ran $tag
        }
        ::menu::createmenu {
            ::menu::menu -ishortcut 16463 Rebuild {::rebuild first; lappend ::ran after-first}
            ::menu::menu Vanish {unset ::menu::actions; lappend ::ran vanished [info exists ::menu::actions]}
        })tcl").code, TCL_OK);
    const platform::MenuHandle first = bar();
    key(0x4F, false, true, false);
    EXPECT_EQ(globalList("::ran"), (Strings{"first", "after-first"}));
    EXPECT_FALSE(headless::menuExists(first));
    EXPECT_EQ(global("::menu::actions(40000)"), "::rebuild again");
    command(40000);
    key(0x4F, false, true, false);
    EXPECT_EQ(globalList("::ran"), (Strings{"first", "after-first", "again", "again"}));

    ASSERT_EQ(eval("set ::menu::actions(40001) {unset ::menu::actions; lappend ::ran vanished}").code, TCL_OK);
    command(40001);
    EXPECT_EQ(globalList("::ran").back(), "vanished");
    EXPECT_EQ(brokenInvariant(), "");
    ASSERT_EQ(eval("unset -nocomplain ::ran; ::menu::createmenu {::menu::submenu File {"
                   " ::menu::menu -ishortcut [expr {0x8073}] Exit {lappend ::ran exit; ::screen::destroywnd $parentwindow}"
                   "}}").code, TCL_OK);
    headless::postKey(support::mainWindow(), 0x41, false, true, false);
    headless::postKey(support::mainWindow(), 0x73, false, false, true);
    EXPECT_EQ(host::runMessageLoop(), 0);
    EXPECT_EQ(globalList("::ran"), Strings{"exit"});
    EXPECT_FALSE(headless::window(support::mainWindow()).has_value());
    EXPECT_EQ(headless::liveMenuCount(), 0);
    EXPECT_EQ(headless::liveAcceleratorTableCount(), 1);  // kept for the life of the process
    EXPECT_EQ(headless::invalidAcceleratorTableUses(), 0);
    EXPECT_EQ(host::shutDown(0), 0);
    EXPECT_EQ(headless::messageBoxes().size(), 0u);
}

}  // namespace
