// ::screen::setwindowtext, ::screen::destroywnd, ::screen::getclientrect,
// ::screen::getbounds, ::screen::setbounds and ::vesk::querytimer, and the
// resize script they feed, at the level of the platform calls. What scripts
// see of them (results, failures on their channels) is checked on every
// platform by the conformance suite, tests/conformance.
#include "tests/host_test.h"

namespace {

using namespace host_test;
using WindowCommands = Host;
using ResizeScript = StartedInTest;

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
    answer.whileOpen = [] { headless::sendMessage({support::mainWindow(), platform::kWmCommand, 40000, 0}); };
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

}  // namespace
