// ::screen::setwindowtext, ::screen::destroywnd, ::screen::getclientrect,
// ::screen::getbounds, ::screen::setbounds and ::vesk::querytimer, and the
// resize script they feed.
#include <cstring>
#include <string>
#include <vector>

#include "tests/host_fixture.h"

namespace {

using host_test::Evaluation;

constexpr const char* kShapeMessage = "bounds rect must containt exactly 4 integer values";

// The elements of a Tcl list, or nullopt when the text is no list.
std::optional<std::vector<std::string>> listOf(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    Tcl_Obj* list = Tcl_NewStringObj(text->c_str(), -1);
    Tcl_IncrRefCount(list);
    int count = 0;
    Tcl_Obj** elements = nullptr;
    std::optional<std::vector<std::string>> out;
    if (Tcl_ListObjGetElements(nullptr, list, &count, &elements) == TCL_OK) {
        out.emplace();
        for (int i = 0; i < count; ++i) out->emplace_back(Tcl_GetString(elements[i]));
    }
    Tcl_DecrRefCount(list);
    return out;
}

class WindowCommands : public host_test::HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        startHostOrFail();
        h_ = std::to_string(host::mainWindow());
        headless::clearCalls();
    }
    // script with every "$h" replaced by the main window handle.
    static std::string with(std::string script, const std::string& h) {
        for (std::size_t at = script.find("$h"); at != std::string::npos; at = script.find("$h", at + h.size())) {
            script.replace(at, 2, h);
        }
        return script;
    }
    Evaluation run(const std::string& script) { return eval(with(script, h_)); }
    platform::Rect frame() const { return headless::window(host::mainWindow())->frame; }

    std::string h_;
};

TEST_F(WindowCommands, ReadAndMoveTheMainWindow) {
    EXPECT_EQ(run("::screen::getclientrect $h").result, "0 0 640 480");
    EXPECT_EQ(run("::screen::getbounds $h").result, "26 26 656 519");
    // Any integer notation Tcl accepts names the window.
    EXPECT_EQ(run("::screen::getclientrect [format 0x%x $h]").result, "0 0 640 480");

    // Passing the bounds back leaves a top-level window where it is.
    const Evaluation same = run("::screen::setbounds $h [::screen::getbounds $h]");
    EXPECT_EQ(same.code, TCL_OK);
    EXPECT_EQ(same.result, "");
    EXPECT_EQ(callsNamed("SetWindowPos"), std::vector<std::string>{"SetWindowPos(" + h_ + ", 0, 26, 26, 656, 519, 0x2114)"});
    EXPECT_EQ(frame().left, headless::kDefaultFrame.left);
    EXPECT_EQ(frame().bottom, headless::kDefaultFrame.bottom);

    // Width and height are right - left and bottom - top, both ways.
    EXPECT_EQ(run("::screen::setbounds $h {100 50 640 480}").code, TCL_OK);
    EXPECT_EQ(frame().left, 100);
    EXPECT_EQ(frame().top, 50);
    EXPECT_EQ(frame().right, 740);
    EXPECT_EQ(frame().bottom, 530);
    EXPECT_EQ(run("::screen::getbounds $h").result, "100 50 640 480");
    EXPECT_EQ(run("::screen::getclientrect $h").result, "0 0 624 441");
    EXPECT_EQ(run("::screen::setbounds $h {-300 -20 200 100}; ::screen::getbounds $h").result, "-300 -20 200 100");
}

TEST_F(WindowCommands, SetWindowTextPassesTheBytesUnchanged) {
    const std::string title = "Gr\xC3\xB6\xC3\x9F" "e {x} [y] $z";
    const Evaluation e = run("::screen::setwindowtext $h {" + std::string("Gr\xC3\xB6\xC3\x9F") + "e {x} [y] $z}");
    EXPECT_EQ(e.code, TCL_OK);
    EXPECT_EQ(e.result, "");
    EXPECT_EQ(headless::window(host::mainWindow())->title, title);
    // A handle that names no window: nothing happens, and no error.
    const Evaluation unknown = run("::screen::setwindowtext 99999 lost");
    EXPECT_EQ(unknown.code, TCL_OK);
    EXPECT_EQ(unknown.result, "");
    EXPECT_EQ(headless::window(host::mainWindow())->title, title);
}

TEST_F(WindowCommands, QueryTimerHandsOverTheTickCountAsASignedInt) {
    const std::vector<std::pair<std::uint32_t, std::string>> ticks = {
        {0, "0"},
        {123456, "123456"},
        {0x7FFFFFFFu, "2147483647"},
        {0x80000000u, "-2147483648"},  // 2^31 ms of uptime
        {0xFFFFFFFFu, "-1"},
    };
    for (const auto& [tick, text] : ticks) {
        headless::setTickCount(tick);
        EXPECT_EQ(run("::vesk::querytimer").result, text) << tick;
    }
    headless::setTickCount(1000);
    const std::string first = run("::vesk::querytimer").result;
    headless::setTickCount(2000);
    EXPECT_EQ(run("expr {[::vesk::querytimer] - " + first + "}").result, "1000");
}

TEST_F(WindowCommands, DestroyingTheMainWindowAsksTheLoopToQuit) {
    const Evaluation e = run("set x leftover; ::screen::destroywnd $h");
    EXPECT_EQ(e.code, TCL_OK);
    EXPECT_EQ(e.result, "");
    EXPECT_FALSE(headless::window(host::mainWindow()).has_value());
    EXPECT_EQ(callsNamed("PostQuitMessage"), std::vector<std::string>{"PostQuitMessage(0)"});

    // The same handle again names no window.
    const Evaluation again = run("::screen::destroywnd $h");
    EXPECT_EQ(again.code, TCL_ERROR);
    EXPECT_EQ(again.result, "failed to destroy window");
}

struct FailureRow {
    const char* script;
    const char* result;
    const char* trailLine;  // the context line the command adds, or null
    const char* codeText;   // the one-element errorCode the command sets, or null
};

TEST_F(WindowCommands, EachFailureReachesTheScriptOnItsOwnChannel) {
    const std::vector<FailureRow> rows = {
        // Wrong word counts: Tcl's message with the usage text.
        {"::screen::setwindowtext $h", "wrong # args: should be \"::screen::setwindowtext hWnd text\"", nullptr, nullptr},
        {"::screen::setwindowtext $h a b", "wrong # args: should be \"::screen::setwindowtext hWnd text\"", nullptr,
         nullptr},
        {"::screen::destroywnd", "wrong # args: should be \"::screen::destroywnd hWnd\"", nullptr, nullptr},
        {"::screen::getclientrect $h $h", "wrong # args: should be \"::screen::getclientrect hWnd\"", nullptr,
         nullptr},
        {"::screen::getbounds", "wrong # args: should be \"::screen::getbounds hWnd\"", nullptr, nullptr},
        {"::screen::getbounds $h $h", "wrong # args: should be \"::screen::getbounds hWnd\"", nullptr, nullptr},
        {"::screen::setbounds $h", "wrong # args: should be \"::screen::setbounds hWnd boundsRect\"", nullptr,
         nullptr},
        {"::vesk::querytimer now", "wrong # args: should be \"::vesk::querytimer\"", nullptr, nullptr},
        // The command word as invoked.
        {"namespace eval ::screen { getbounds }", "wrong # args: should be \"getbounds hWnd\"", nullptr, nullptr},
        // Handle words that are no integer.
        {"::screen::setwindowtext main x", "expected integer but got \"main\"", "(while retrieving window handle)",
         nullptr},
        {"::screen::destroywnd 1.5", "expected integer but got \"1.5\"", "(while retrieving window handle)", nullptr},
        {"::screen::getclientrect {}", "expected integer but got \"\"", "(while retrieving window handle)", nullptr},
        {"::screen::getbounds abc", "expected integer but got \"abc\"", "(while retrieving window handle)", nullptr},
        {"::screen::setbounds x {1 2 3 4}", "expected integer but got \"x\"", "(while retrieving window handle)",
         nullptr},
        // Bounds lists.
        {"::screen::setbounds $h \"1 {2 3 4\"", "unmatched open brace in list", "(while retrieving bounds rect)",
         nullptr},
        {"::screen::setbounds $h {1 2 3}", "", nullptr, kShapeMessage},
        {"::screen::setbounds $h {1 2 3 4 5}", "", nullptr, kShapeMessage},
        {"::screen::setbounds $h {}", "", nullptr, kShapeMessage},
        {"::screen::setbounds $h {a 2 3 4}", "expected integer but got \"a\"", nullptr, kShapeMessage},
        // The first bad element stops the conversion: the fourth is not looked at.
        {"::screen::setbounds $h {1 2 x y}", "expected integer but got \"x\"", nullptr, kShapeMessage},
        // Handles that name no window.
        {"::screen::getclientrect 99999", "", nullptr, "GetClientRect failed"},
        {"set x leftover; ::screen::getclientrect 99999", "", nullptr, "GetClientRect failed"},
        {"::screen::getbounds 99999", "", nullptr, "GetWindowRect failed"},
        {"::screen::destroywnd 99999", "failed to destroy window", nullptr, nullptr},
    };
    for (const FailureRow& row : rows) {
        const std::string script = with(row.script, h_);
        const Evaluation e = eval(script);
        EXPECT_EQ(e.code, TCL_ERROR) << script;
        EXPECT_EQ(e.result, row.result) << script;

        // errorInfo: the message, then the command's context line if any, then Tcl's trail.
        ASSERT_TRUE(e.errorInfo.has_value()) << script;
        const std::string contextLine = row.trailLine != nullptr ? std::string("\n    ") + row.trailLine : "";
        const std::string head = std::string(row.result) + contextLine + "\n    ";
        EXPECT_TRUE(e.errorInfo->rfind(head + "while executing\n", 0) == 0 ||
                    e.errorInfo->rfind(head + "invoked from within\n", 0) == 0)
            << script << "\nerrorInfo: " << *e.errorInfo;
        EXPECT_EQ(e.errorInfo->find("(while retrieving", std::strlen(row.result) + contextLine.size()), std::string::npos)
            << "a second context line: " << *e.errorInfo;

        // errorCode: the command's message as a one-element list, or whatever Tcl put there.
        const auto code = listOf(e.errorCode);
        if (row.codeText != nullptr) {
            EXPECT_EQ(code, std::vector<std::string>{row.codeText}) << script;
        } else {
            ASSERT_TRUE(code.has_value()) << script;
            EXPECT_FALSE(code->size() == 1 && ((*code)[0] == kShapeMessage || (*code)[0].ends_with(" failed")))
                << script << ": errorCode " << *e.errorCode;
        }
    }
    // None of the failed setbounds moved the window.
    EXPECT_EQ(headless::countCalls("SetWindowPos"), 0);
    EXPECT_EQ(frame().left, headless::kDefaultFrame.left);
    EXPECT_TRUE(headless::window(host::mainWindow()).has_value());
}

TEST_F(WindowCommands, SetBoundsOnAnUnknownWindowSucceedsQuietly) {
    const Evaluation e = run("::screen::setbounds 99999 {1 2 3 4}");
    EXPECT_EQ(e.code, TCL_OK);
    EXPECT_EQ(e.result, "");
    EXPECT_EQ(callsNamed("SetWindowPos"), std::vector<std::string>{"SetWindowPos(99999, 0, 1, 2, 3, 4, 0x2114)"});
    EXPECT_EQ(headless::consoleOutput(), "");
}

class ResizeScript : public host_test::HostFixture {};

TEST_F(ResizeScript, SetBoundsRunsItInsideTheCallAndLeavesAnEmptyResult) {
    writeScriptWith(R"tcl(
proc ::screen::doresize {clientArea} {
    lappend ::test::resizes $clientArea
    lappend ::test::insideCall [info level]
    return "left by doresize"
})tcl");
    startHostOrFail();
    const Evaluation e = eval("::screen::setbounds $parentwindow {10 20 500 400}");
    EXPECT_EQ(e.code, TCL_OK);
    EXPECT_EQ(e.result, "");
    EXPECT_EQ(globalList("::test::resizes"), std::vector<std::string>{"0 0 484 361"});
    // Evaluated from within the command, one level below it.
    EXPECT_EQ(globalList("::test::insideCall"), std::vector<std::string>{"1"});

    // A failing resize script is reported; setbounds still succeeds.
    eval("proc ::screen::doresize {clientArea} { error {bad resize} }");
    headless::clearConsoleOutput();
    const Evaluation failing = eval("::screen::setbounds $parentwindow {10 20 300 200}");
    EXPECT_EQ(failing.code, TCL_OK);
    EXPECT_EQ(failing.result, "");
    EXPECT_EQ(headless::consoleOutput().rfind("bad resize\nbad resize\n    while executing\n", 0), 0u)
        << headless::consoleOutput();
}

TEST_F(ResizeScript, RunsAtGlobalLevelWhenAProcMovesTheWindow) {
    writeScriptWith(R"tcl(
proc ::screen::doresize {clientArea} {
    lappend ::test::resizes $clientArea
    lappend ::test::levels [info level]
}
proc ::test::grow {handle} { ::screen::setbounds $handle {0 0 400 300} })tcl");
    startHostOrFail();
    headless::clearConsoleOutput();
    // The proc has no parentwindow of its own; the resize script still finds it.
    const Evaluation e = eval("::test::grow $parentwindow");
    EXPECT_EQ(e.code, TCL_OK) << e.result;
    EXPECT_EQ(headless::consoleOutput(), "");
    EXPECT_EQ(globalList("::test::resizes"), std::vector<std::string>{"0 0 384 261"});
    EXPECT_EQ(globalList("::test::levels"), std::vector<std::string>{"1"});
}

TEST_F(ResizeScript, MenuActionsRunAtGlobalLevelWhenTheCommandArrivesInsideACall) {
    writeScriptWith(R"tcl(
::menu::createmenu { ::menu::menu Where { lappend ::test::levels [info level] $parentwindow } }
proc ::test::ask {} { catch { ::vesk::filedlg {All|*.*} } })tcl");
    startHostOrFail();
    headless::DialogAnswer answer = headless::cancelDialog();
    answer.whileOpen = [] { headless::sendMessage({host::mainWindow(), platform::kWmCommand, 40000, 0}); };
    headless::queueDialogAnswer(std::move(answer));
    headless::clearConsoleOutput();
    eval("::test::ask");
    EXPECT_EQ(headless::consoleOutput(), "");
    EXPECT_EQ(globalList("::test::levels"), (std::vector<std::string>{"0", std::to_string(host::mainWindow())}));
}

TEST_F(ResizeScript, TheSameObjectIsEvaluatedAndKeepsItsCompiledForm) {
    startHostOrFail();
    Tcl_Obj* script = host::resizeScript();
    ASSERT_NE(script, nullptr);
    EXPECT_STREQ(Tcl_GetString(script), "::screen::doresize [::screen::getclientrect $parentwindow]");
    // The window's first size message came during creation and was skipped.
    EXPECT_TRUE(globalList("::test::resizes").empty());
    EXPECT_EQ(script->typePtr, nullptr);

    headless::resizeWindow(host::mainWindow(), 800, 600);
    EXPECT_EQ(host::resizeScript(), script);
    ASSERT_NE(script->typePtr, nullptr);
    EXPECT_STREQ(script->typePtr->name, "bytecode");
    void* compiled = script->internalRep.twoPtrValue.ptr1;

    headless::resizeWindow(host::mainWindow(), 900, 700);
    headless::resizeWindow(host::mainWindow(), 300, 200);
    EXPECT_EQ(host::resizeScript(), script);
    EXPECT_STREQ(script->typePtr->name, "bytecode");
    EXPECT_EQ(script->internalRep.twoPtrValue.ptr1, compiled);
    EXPECT_GE(script->refCount, 1);
    EXPECT_EQ(globalList("::test::resizes"), (std::vector<std::string>{"0 0 784 561", "0 0 884 661", "0 0 284 161"}));
}

}  // namespace
