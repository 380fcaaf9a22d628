// The two console reports, byte for byte.
#include <string>

#include "support/console.h"
#include "tests/host_test.h"

namespace {

using namespace host_test;
using ConsoleReport = Host;

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
    headless::clearConsoleOutput();
    headless::setLastError(1400);
    support::reportSystemError("::menu::menu");
    EXPECT_EQ(headless::consoleOutput(), "Invalid window handle.\r\n in ::menu::menu\n\n");
    EXPECT_EQ(callsNamed("FormatMessageW"), std::vector<std::string>{"FormatMessageW(0x1300, 1400, 0x400)"});

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
    headless::clearConsoleOutput();
    // Exactly 1023 bytes fit whole.
    const std::string context = "::menu::menu";
    const std::string fitting(1023 - context.size() - 6, 'm');
    headless::setErrorText(5, fitting);
    headless::setLastError(5);
    support::reportSystemError(context.c_str());
    EXPECT_EQ(headless::consoleOutput(), fitting + " in " + context + "\n\n");

    // One more byte of text and the last line feed is lost.
    headless::clearConsoleOutput();
    const std::string longer = fitting + "m";
    headless::setErrorText(5, longer);
    support::reportSystemError(context.c_str());
    EXPECT_EQ(headless::consoleOutput(), longer + " in " + context + "\n");

    // A long context is cut too, to the first 1023 bytes of the whole line.
    headless::clearConsoleOutput();
    const std::string text = "Access is denied.\r\n";
    const std::string longContext(3000, 'c');
    headless::setErrorText(5, text);
    support::reportSystemError(longContext.c_str());
    const std::string whole = text + " in " + longContext + "\n\n";
    EXPECT_EQ(headless::consoleOutput(), whole.substr(0, 1023));

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
