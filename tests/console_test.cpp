// The two console reports, byte for byte.
#include "support/console.h"
#include "tests/host_test.h"

namespace {

using namespace host_test;
using ConsoleReport = Host;

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
