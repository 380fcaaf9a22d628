// Start-up, the message loop, shut-down, and the console reports.
#include "support/console.h"
#include "tests/host_test.h"
#include "tests/split_checked.h"

namespace {

using namespace host_test;
using StartUp = StartedInTest;
using FileArguments = StartedInTest;
using MessageLoop = StartedInTest;
using ConsoleReport = Host;

// The message boxes shown, each as "caption|style|text".
Strings boxes() {
    Strings out;
    for (const auto& box : headless::messageBoxes()) out.push_back(box.caption + "|" + std::to_string(box.style) + "|" + box.text);
    return out;
}

// The ::vesk::filedialog calls the stub script saw, as {mode, file} pairs;
// each call's file word must be a one-element list.
using FileCalls = std::vector<std::pair<std::string, std::string>>;
FileCalls fileCalls() {
    FileCalls out;
    for (const std::string& call : globalList("::test::files")) {
        const auto words = listElements(call).value_or(Strings{});
        EXPECT_EQ(words.size(), 2u) << call;
        const auto files = words.size() == 2 ? listElements(words[1]).value_or(Strings{}) : Strings{};
        EXPECT_EQ(files.size(), 1u) << "not a one-element list: " << call;
        if (files.size() == 1) out.emplace_back(words[0], files[0]);
    }
    return out;
}

// ::config::save leaves a trace that outlives the interpreter.
constexpr std::string_view kSaveTrace =
    "proc ::config::save {} { ::screen::setwindowtext 0 \"saved $::parentwindow\" }";

TEST_F(StartUp, ShowsTheWindowBeforeTheScriptRunsAndLinksItReadOnly) {
    startHostOrFail("set ::test::boundsAtStart [::screen::getbounds $parentwindow]", 3);
    const std::string h = std::to_string(support::mainWindow());

    const Strings expected = {
        "GetModuleFileNameW(259)",
        // The console, standard output and standard error on it.
        "AllocConsole()", "CreateFileW(CONOUT$, 0xC0000000, 0, 0, 4, 0x80, 0)",
        "SetStdHandle(-11, 7)", "SetStdHandle(-12, 7)",
        // The window, shown before the script runs and measured by it.
        "RegisterClassExW(0x3, 32512, 5, VESK2APP)",
        "CreateWindowExW(0, VESK2APP, no title, 0x2CF0000, 0x80000000, 0, 0x80000000, 0)",
        "ShowWindow(" + h + ", 3)", "UpdateWindow(" + h + ")", "GetWindowRect(" + h + ")",
        "GetCommandLineW()",
    };
    EXPECT_EQ(headless::calls(), expected);

    // What the script measured was the shown window's default frame.
    EXPECT_EQ(global("::test::boundsAtStart"), "26 26 656 519");
    const auto window = headless::window(support::mainWindow());
    ASSERT_TRUE(window.has_value());
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(window->className + "|" + window->title, "VESK2APP|no title");
    // The size message of the window's creation is not passed to the script.
    EXPECT_EQ(globalList("::test::resizes"), Strings{});
    EXPECT_EQ(headless::consoleOutput(), "");
    EXPECT_TRUE(headless::messageBoxes().empty());

    // The eleven host commands are there; the interpreter has nothing else of ours.
    EXPECT_EQ(eval("lsort [concat [info commands ::menu::*] [info commands ::screen::*] [info commands ::vesk::*]]").result,
              "::menu::createmenu ::menu::menu ::menu::separator ::menu::submenu ::screen::destroywnd "
              "::screen::doresize ::screen::getbounds ::screen::getclientrect ::screen::setbounds "
              "::screen::setwindowtext ::vesk::filedialog ::vesk::filedlg ::vesk::querytimer");
    EXPECT_EQ(global("parentwindow"), h);

    EXPECT_EQ(eval("set parentwindow 5").outcome(), "error: can't set \"parentwindow\": linked variable is read-only");
    EXPECT_EQ(global("parentwindow"), h);
    EXPECT_EQ(eval("::screen::getclientrect $parentwindow").result, "0 0 640 480");
}

TEST_F(StartUp, ScriptErrorIsReportedAndStartUpGoesOn) {
    // The script is read as UTF-8 even where the system's encoding is
    // another (the C locale's is ISO 8859-1 to Tcl): a literal equals its
    // escapes, and the error report carries the text as written.
    headless::setCommandLine("vesk2b one.txt");
    ::setenv("LC_ALL", "C", 1);
    startHostOrFail(
        "set ::test::before [string equal \"Grüße Ж 日本\" \"Gr\\u00fc\\u00dfe \\u0416 \\u65e5\\u672c\"]\n"
        "error \"broken script ü\"\nset ::test::after 1");
    ::unsetenv("LC_ALL");

    const std::string path = (folder() / "default" / "vesk.tcl").string();
    const int line = 13;  // the error line: the stub script's lines, then the ones above
    EXPECT_EQ(headless::consoleOutput(), "broken script ü\n"
                                         "broken script ü\n"
                                         "    while executing\n"
                                         "\"error \"broken script ü\"\"\n"
                                         "    (file \"" + path + "\" line " + std::to_string(line) + ")\n");
    EXPECT_EQ(global("::test::before"), "1");
    EXPECT_EQ(global("::test::after"), std::nullopt);
    // The files are still handed over and the window is up.
    EXPECT_EQ(fileCalls(), (FileCalls{{"open", "one.txt"}}));
    EXPECT_TRUE(headless::window(support::mainWindow())->visible);
}

TEST_F(StartUp, MissingScriptIsReportedAndTheLoopStillRuns) {
    std::filesystem::remove(folder() / "default" / "vesk.tcl");
    int exitCode = -1;
    ASSERT_TRUE(host::startUp(platform::kSwShowDefault, exitCode));
    const std::string path = (folder() / "default" / "vesk.tcl").string();
    const std::string message = "couldn't read file \"" + path + "\": no such file or directory";
    EXPECT_EQ(headless::consoleOutput().substr(0, message.size() + 1), message + "\n");

    // No ::config::save either: its failure is a notice, and the exit is normal.
    headless::closeWhenIdle(true);
    EXPECT_EQ(host::shutDown(host::runMessageLoop()), 0);
    EXPECT_EQ(boxes(), Strings{"error on exit in ::config::save|16|invalid command name \"::config::save\"\n"
                               "    while executing\n\"::config::save\""});
}

TEST_F(StartUp, EndsEarlyWithoutAUsableModulePathOrAWindow) {
    // The module path and the notice it ends with.
    const std::pair<std::string, const char*> cases[] = {
        {"", "couldn't retrieve module path"},
        {"vesk2b", "errornous module path"},
        // Cut at the 259-byte limit, its folder would be wrong.
        {"/" + std::string(300, 'd') + "/vesk2b", "couldn't retrieve module path"},
    };
    for (const auto& [path, notice] : cases) {
        SCOPED_TRACE(path);
        reset();
        headless::setModuleFileName(path);
        EXPECT_FALSE(startHost());
        EXPECT_EQ(exitCode(), 0);
        EXPECT_EQ(boxes(), Strings{"error|16|" + std::string(notice)});
        // Nothing after the path: no console, no window, no script.
        EXPECT_EQ(headless::countCalls("AllocConsole"), 0);
        EXPECT_EQ(headless::countCalls("CreateWindowExW"), 0);
        EXPECT_EQ(host::interpreter(), nullptr);
    }

    // 258 bytes still fit with their terminator: start-up goes on and looks
    // for the script in that folder.
    reset();
    const std::string longFolder = "/" + std::string(250, 'd');
    headless::setModuleFileName(longFolder + "/vesk2b");
    ASSERT_EQ(longFolder.size() + 7, 258u);
    EXPECT_TRUE(startHost());
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(headless::consoleOutput().rfind("couldn't read file \"" + longFolder + "/default/vesk.tcl\"", 0), 0u)
        << headless::consoleOutput();

    // The whole program returns the same code.
    reset();
    headless::setModuleFileName("vesk2b");
    EXPECT_EQ(host::runApplication(platform::kSwShowDefault), 0);
    EXPECT_EQ(headless::messageBoxes().size(), 1u);
    reset();
    headless::failWindowCreation(true);
    EXPECT_FALSE(startHost("set ::test::ran 1"));
    EXPECT_EQ(exitCode(), 0);
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(headless::consoleOutput(), "");
    EXPECT_EQ(headless::countCalls("ShowWindow"), 0);
    EXPECT_EQ(support::mainWindow(), 0);
    // The script never ran.
    ASSERT_NE(host::interpreter(), nullptr);
    EXPECT_EQ(global("::test::ran"), std::nullopt);

    host::resetProcessState();
    headless::clearCalls();
    EXPECT_EQ(host::runApplication(platform::kSwShowDefault), 0);
    EXPECT_EQ(headless::countCalls("GetMessageW"), 0);
    EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(StartUp, FindsTheFolderByThePlatformSeparator) {
    // With a backslash separator, forward slashes are part of the folder name.
    headless::setPathSeparator('\\');
    headless::setModuleFileName(folder().string() + "\\vesk2b.exe");
    startHostOrFail("set ::test::ran 1");
    EXPECT_EQ(global("::test::ran"), "1");
    EXPECT_EQ(headless::consoleOutput(), "");
}

TEST_F(FileArguments, EachFileIsOpenedThenMergedInOrder) {
    using split_test::joined;
    const std::string name = "/home/user/my file {1} [x] $y \"q\".txt";
    // The command line, the script after the stub, and the file calls.
    const std::tuple<std::string, std::string_view, FileCalls> cases[] = {
        {joined({"vesk2b"}), {}, {}},
        {joined({"vesk2b", name}), {}, {{"open", name}}},
        {joined({"vesk2b", "a b.txt", "$env(HOME)[exit]", "{unbalanced \\"}), {},
         {{"open", "a b.txt"}, {"merge", "$env(HOME)[exit]"}, {"merge", "{unbalanced \\"}}},
        // Windows-style text is split by its rules.
        {"\"C:\\Program Files\\vesk2b.exe\" \"C:\\some dir\\a.txt\"  b\\\"q\\\".txt \"\"", {},
         {{"open", "C:\\some dir\\a.txt"}, {"merge", "b\"q\".txt"}, {"merge", ""}}},
        // Failing file calls are ignored.
        {joined({"vesk2b", "a", "b"}),
         "proc ::vesk::filedialog {mode files} { lappend ::test::files [list $mode $files]; error nope }",
         {{"open", "a"}, {"merge", "b"}}},
    };
    for (const auto& [line, extra, expected] : cases) {
        SCOPED_TRACE(line);
        reset();
        headless::setCommandLine(line);
        startHostOrFail(extra);
        EXPECT_EQ(fileCalls(), expected);
        EXPECT_EQ(eval("llength $::test::files").result, std::to_string(expected.size()));
        EXPECT_EQ(headless::consoleOutput(), "");
        EXPECT_TRUE(headless::messageBoxes().empty());
    }
}

TEST_F(MessageLoop, ClosingTheWindowSavesAndExitsWithZero) {
    startHostOrFail(kSaveTrace);
    const std::string h = std::to_string(support::mainWindow());
    headless::postCallback([] { eval("::screen::destroywnd $parentwindow"); });
    EXPECT_EQ(host::shutDown(host::runMessageLoop()), 0);
    // ::config::save ran once, with parentwindow still holding the old handle.
    EXPECT_EQ(callsNamed("SetWindowTextW"), Strings{"SetWindowTextW(0, saved " + h + ")"});
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(host::interpreter(), nullptr);
    EXPECT_FALSE(headless::window(std::stoi(h)).has_value());
}

TEST_F(MessageLoop, QuitCodeIsTheExitCode) {
    startHostOrFail();
    headless::postMessage({0, platform::kWmCommand, 1, 0});
    headless::postCallback([] { platform::postQuitMessage(3); });
    EXPECT_EQ(host::runMessageLoop(), 3);
}

TEST_F(MessageLoop, AsyncHandlersRunOnlyAfterADispatchedMessage) {
    startHostOrFail();
    // The handler's runs, their count as each callback saw it, and the platform call before each run.
    static int runs = 0;
    static std::vector<int> seenByCallbacks;
    static Strings callBeforeRun;
    Tcl_AsyncHandler handler = Tcl_AsyncCreate([](ClientData, Tcl_Interp*, int code) {
        ++runs;
        callBeforeRun.push_back(headless::calls().empty() ? "" : headless::calls().back());
        return code;
    }, nullptr);
    // Marked while the loop has not yet dispatched anything.
    Tcl_AsyncMark(handler);
    headless::postCallback([] { seenByCallbacks.push_back(runs); });
    headless::postCallback([handler] {
        seenByCallbacks.push_back(runs);
        Tcl_AsyncMark(handler);  // marked while waiting for a message
    });
    headless::postCallback([] { seenByCallbacks.push_back(runs); });
    headless::postMessage({support::mainWindow(), platform::kWmCommand, 2, 0});
    headless::closeWhenIdle(true);
    EXPECT_EQ(host::runMessageLoop(), 0);
    Tcl_AsyncDelete(handler);

    EXPECT_EQ(seenByCallbacks, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(runs, 2);
    for (const std::string& call : callBeforeRun) EXPECT_EQ(call.rfind("DispatchMessageW(", 0), 0u) << call;
}

TEST_F(MessageLoop, FailedGetMessageShowsANoticeThenSaves) {
    startHostOrFail(kSaveTrace);
    headless::postMessage({support::mainWindow(), platform::kWmCommand, 2, 0});
    // The queue runs dry without closeWhenIdle: the next retrieval fails.
    const int code = host::runMessageLoop();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(boxes(), Strings{"d'oh|16|some weird error in GetMessage"});
    EXPECT_EQ(headless::countCalls("DispatchMessageW"), 1);

    EXPECT_EQ(host::shutDown(code), 1);
    EXPECT_EQ(headless::countCalls("SetWindowTextW"), 1);
    EXPECT_EQ(host::interpreter(), nullptr);
}

TEST_F(MessageLoop, FailedFirstGetMessageExitsWithOne) {
    startHostOrFail();
    headless::failGetMessage(1);
    headless::closeWhenIdle(true);
    EXPECT_EQ(host::runMessageLoop(), 1);
    EXPECT_EQ(headless::countCalls("GetMessageW"), 1);
    EXPECT_EQ(headless::countCalls("DispatchMessageW"), 0);
}

TEST_F(MessageLoop, FailingSaveShowsItsTrailAndStillDeletesTheInterpreter) {
    startHostOrFail("proc ::config::save {} {error \"disk full\"}");
    headless::closeWhenIdle(true);
    EXPECT_EQ(host::shutDown(host::runMessageLoop()), 0);
    EXPECT_EQ(boxes(), Strings{R"(error on exit in ::config::save|16|disk full
    while executing
"error "disk full""
    (procedure "::config::save" line 1)
    invoked from within
"::config::save")"});
    EXPECT_EQ(host::interpreter(), nullptr);
    EXPECT_EQ(headless::consoleOutput(), "");
}

TEST_F(MessageLoop, BadScriptsAndHandlesNeverStopTheLoop) {
    startHostOrFail(std::string(kSaveTrace) + R"tcl(
proc ::screen::doresize {clientArea} {
    lappend ::test::resizes $clientArea
    if {[llength $::test::resizes] == 1} { error "resize failed" }
    ::screen::getbounds 424242
}
set ::menu::actions(40000) {no such command}
set ::menu::actions(40001) {::screen::destroywnd 424242}
set ::menu::actions(40002) {::screen::setbounds 424242 {1 2 3 4}; ::screen::setwindowtext 424242 x}
set ::menu::actions(40003) {::screen::setbounds $parentwindow {1 2 3}}
set ::menu::actions(40004) {::screen::setwindowtext 0 reached}
)tcl");
    const platform::WindowHandle h = support::mainWindow();
    headless::postCallback([h] { headless::resizeWindow(h, 700, 500); });
    headless::postCallback([h] { headless::resizeWindow(h, 800, 600); });
    for (platform::WParam id = 40000; id <= 40004; ++id) headless::postMessage({h, platform::kWmCommand, id, 0});
    // Messages for no window, and a command outside the menu range.
    headless::postMessage({777, platform::kWmSize, 0, 0});
    headless::postMessage({h, platform::kWmCommand, 39999, 0});
    headless::postMessage({h, platform::kWmCommand, 50000, 0});
    headless::closeWhenIdle(true);
    EXPECT_EQ(host::shutDown(host::runMessageLoop()), 0);

    const std::string& console = headless::consoleOutput();
    EXPECT_EQ(console.find("resize failed\nresize failed\n"), 0u) << console;
    EXPECT_NE(console.find("\n\n\n"), std::string::npos) << "empty result of the failed getbounds: " << console;
    EXPECT_NE(console.find("invalid command name \"no\"\n"), std::string::npos) << console;
    EXPECT_NE(console.find("failed to destroy window\n"), std::string::npos) << console;
    // Every action ran, the last one too, and ::config::save after them.
    EXPECT_EQ(callsNamed("SetWindowTextW"), (Strings{"SetWindowTextW(424242, x)", "SetWindowTextW(0, reached)",
                                                      "SetWindowTextW(0, saved " + std::to_string(h) + ")"}));
    EXPECT_TRUE(headless::messageBoxes().empty());
}

// The two console reports, byte for byte.
// What a system error report for code in context writes to a cleared console.
std::string reported(std::uint32_t code, const std::string& context) {
    headless::clearConsoleOutput();
    headless::setLastError(code);
    support::reportSystemError(context.c_str());
    return headless::consoleOutput();
}

TEST_F(ConsoleReport, InterpreterAndSystemErrorsAndWritesWithoutAConsole) {
    ASSERT_EQ(eval("proc failing {} {error x}\nfailing").code, TCL_ERROR);
    support::reportInterpreterError(host::interpreter());
    EXPECT_EQ(headless::consoleOutput(),
              "x\n"
              "x\n"
              "    while executing\n"
              "\"error x\"\n"
              "    (procedure \"failing\" line 1)\n"
              "    invoked from within\n"
              "\"failing\"\n");

    // Empty result and no errorInfo: a lone line feed.
    headless::clearConsoleOutput();
    Tcl_ResetResult(host::interpreter());
    Tcl_UnsetVar(host::interpreter(), "errorInfo", TCL_GLOBAL_ONLY);
    support::reportInterpreterError(host::interpreter());
    EXPECT_EQ(headless::consoleOutput(), "\n");
    // The report reads the interpreter and changes nothing in it.
    EXPECT_EQ(global("errorInfo"), std::nullopt);
    EXPECT_EQ(reported(1400, "::menu::menu"), "Invalid window handle.\r\n in ::menu::menu\n\n");
    EXPECT_EQ(callsNamed("FormatMessageW"), Strings{"FormatMessageW(0x1300, 1400, 0x400)"});

    // Two in a row follow each other with nothing between them; a code with no
    // system text gets a text of its own.
    headless::clearConsoleOutput();
    headless::setLastError(4242);
    headless::setErrorText(4242, std::nullopt);
    support::reportSystemError("::menu::separator");
    headless::setLastError(87);
    support::reportSystemError("::menu::submenu");
    EXPECT_EQ(headless::consoleOutput(),
              "unknown system error 4242\n in ::menu::separator\n\n"
              "The parameter is incorrect.\r\n in ::menu::submenu\n\n");
    // Exactly 1023 bytes fit whole.
    const std::string context = "::menu::menu";
    const std::string fitting(1023 - context.size() - 6, 'm');
    headless::setErrorText(5, fitting);
    EXPECT_EQ(reported(5, context), fitting + " in " + context + "\n\n");

    // One more byte of text and the last line feed is lost.
    const std::string longer = fitting + "m";
    headless::setErrorText(5, longer);
    EXPECT_EQ(reported(5, context), longer + " in " + context + "\n");

    // A long context is cut too, to the first 1023 bytes of the whole line.
    const std::string text = "Access is denied.\r\n";
    const std::string longContext(3000, 'c');
    headless::setErrorText(5, text);
    EXPECT_EQ(reported(5, longContext), (text + " in " + longContext + "\n\n").substr(0, 1023));

    // With no console, as in a new process, the reports are lost without harm.
    reset();
    Tcl_Interp* interp = Tcl_CreateInterp();
    Tcl_Eval(interp, "error lost");
    support::reportInterpreterError(interp);
    headless::setLastError(1400);
    support::reportSystemError("::menu::menu");
    EXPECT_EQ(headless::consoleOutput(), "");
    Tcl_DeleteInterp(interp);
}

}  // namespace
