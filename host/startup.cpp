// Process entry of the host: start-up, the message loop and shut-down.
#include <tcl.h>

#include <cstring>

#include "commands/commands.h"
#include "host/command_line.h"
#include "host/host.h"
#include "host/window_procedure.h"
#include "support/console.h"
#include "support/main_window.h"
#include "support/tcl_ref.h"

namespace host {

namespace {

using support::TclRef;

Tcl_Interp* hostInterpreter = nullptr;
Tcl_Obj* resizeScriptObject = nullptr;
char** commandLineArguments = nullptr;

constexpr const char* kResizeScript = "::screen::doresize [::screen::getclientrect $parentwindow]";
constexpr std::size_t kModulePathSize = 260;

// The path of the running executable, or false when it has none that fits.
bool executablePath(char (&path)[kModulePathSize]) {
    const std::size_t limit = kModulePathSize - 1;
    const std::size_t length = platform::moduleFileName(path, limit);
    // A path that fills the whole limit was cut short; its folder would be wrong.
    if (length == 0 || length >= limit) return false;
    path[length] = '\0';
    return true;
}

// Cuts the executable's path to its folder, or returns false after showing why not.
bool executableFolder(bool havePath, char (&path)[kModulePathSize]) {
    if (!havePath) {
        platform::messageBox("couldn't retrieve module path", "error", platform::kMbIconError);
        return false;
    }
    char* separator = std::strrchr(path, platform::pathSeparator());
    if (separator == nullptr) {
        platform::messageBox("errornous module path", "error", platform::kMbIconError);
        return false;
    }
    *separator = '\0';
    return true;
}

bool createMainWindow(int showCommand) {
    platform::WindowClass windowClass;
    windowClass.style = platform::kCsHRedraw | platform::kCsVRedraw;
    windowClass.procedure = windowProcedure;
    windowClass.cursor = platform::kIdcArrow;
    windowClass.background = platform::kColorMenu + 1;
    windowClass.className = "VESK2APP";
    platform::registerWindowClass(windowClass);

    platform::WindowCreation creation;
    creation.className = "VESK2APP";
    creation.caption = "no title";
    creation.style = platform::kWsOverlappedWindowClipChildren;
    creation.x = platform::kCwUseDefault;
    creation.width = platform::kCwUseDefault;
    const platform::WindowHandle window = platform::createWindow(creation);
    support::setMainWindow(window);
    if (window == 0) return false;

    support::linkMainWindow(hostInterpreter, "parentwindow");
    platform::showWindow(window, showCommand);
    platform::updateWindow(window);
    return true;
}

// The script is UTF-8 on every platform, whatever the system's encoding
// (on Windows the ANSI code page, which cannot hold most characters).
void evaluateApplicationScript(const char* scriptPath) {
    const TclRef path(Tcl_NewStringObj(scriptPath, -1));
    if (Tcl_FSEvalFileEx(hostInterpreter, path.get(), "utf-8") != TCL_OK) {
        support::reportInterpreterError(hostInterpreter);
    }
}

// Each name travels as a one-element list of objects, never as script text,
// so blanks, braces, $ and [ ] arrive unchanged.
void handFilesToScript() {
    int count = 0;
    commandLineArguments = splitCommandLine(
        platform::commandLine(), count,
        [](std::size_t size) -> void* { return Tcl_Alloc(static_cast<unsigned>(size)); });
    if (count <= 1) return;

    const TclRef command(Tcl_NewStringObj("::vesk::filedialog", -1));
    const auto callWith = [&](Tcl_Obj* mode, const char* file) {
        Tcl_Obj* name = Tcl_NewStringObj(file, -1);
        const TclRef files(Tcl_NewListObj(1, &name));
        Tcl_Obj* words[] = {command.get(), mode, files.get()};
        Tcl_EvalObjv(hostInterpreter, 3, words, 0);
    };
    {
        const TclRef open(Tcl_NewStringObj("open", -1));
        callWith(open.get(), commandLineArguments[1]);
    }
    const TclRef merge(Tcl_NewStringObj("merge", -1));
    for (int i = 2; i < count; ++i) callWith(merge.get(), commandLineArguments[i]);
}

}  // namespace

Tcl_Interp* interpreter() { return hostInterpreter; }
Tcl_Obj* resizeScript() { return resizeScriptObject; }

bool startUp(int showCommand, int& exitCode) {
    exitCode = 0;
    // Tcl 8.6 must set up its subsystems before its first call (the path join
    // below); this does that and nothing more to the interpreter to come.
    // Given the program's path, it also answers `info nameofexecutable`.
    char folder[kModulePathSize];
    const bool havePath = executablePath(folder);
    Tcl_FindExecutable(havePath ? folder : nullptr);
    Tcl_DString scriptPath;
    Tcl_DStringInit(&scriptPath);
    if (!executableFolder(havePath, folder)) return false;
    const char* parts[] = {folder, "default/vesk.tcl"};
    Tcl_JoinPath(2, parts, &scriptPath);

    support::openConsole();
    hostInterpreter = Tcl_CreateInterp();
    commands::registerMenuCommands(hostInterpreter);
    commands::registerWindowCommands(hostInterpreter);
    commands::registerFileDialogCommand(hostInterpreter);
    resizeScriptObject = Tcl_NewStringObj(kResizeScript, -1);
    Tcl_IncrRefCount(resizeScriptObject);

    if (!createMainWindow(showCommand)) {
        Tcl_DStringFree(&scriptPath);
        return false;
    }
    evaluateApplicationScript(Tcl_DStringValue(&scriptPath));
    Tcl_DStringFree(&scriptPath);
    handFilesToScript();
    return true;
}

int runMessageLoop() {
    platform::Message message;
    for (;;) {
        const int got = platform::getMessage(message);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) {
            platform::messageBox("some weird error in GetMessage", "d'oh", platform::kMbIconError);
            // The loop did not end normally; a zero exit code would report success.
            return 1;
        }
        platform::translateMessage(message);
        platform::dispatchMessage(message);
        if (Tcl_AsyncReady()) Tcl_AsyncInvoke(nullptr, TCL_OK);
    }
}

int shutDown(int exitCode) {
    if (Tcl_Eval(hostInterpreter, "::config::save") != TCL_OK) {
        const char* trail = Tcl_GetVar(hostInterpreter, "errorInfo", TCL_GLOBAL_ONLY);
        platform::messageBox(trail != nullptr ? trail : "", "error on exit in ::config::save",
                             platform::kMbIconError);
    }
    Tcl_DecrRefCount(resizeScriptObject);
    resizeScriptObject = nullptr;
    Tcl_DeleteInterp(hostInterpreter);
    hostInterpreter = nullptr;
    if (commandLineArguments != nullptr) {
        Tcl_Free(reinterpret_cast<char*>(commandLineArguments));
        commandLineArguments = nullptr;
    }
    return exitCode;
}

int runApplication(int showCommand) {
    int exitCode = 0;
    if (!startUp(showCommand, exitCode)) return exitCode;
    return shutDown(runMessageLoop());
}

}  // namespace host

namespace host {

void resetProcessState() {
    if (resizeScriptObject != nullptr) Tcl_DecrRefCount(resizeScriptObject);
    resizeScriptObject = nullptr;
    if (hostInterpreter != nullptr) Tcl_DeleteInterp(hostInterpreter);
    hostInterpreter = nullptr;
    if (commandLineArguments != nullptr) Tcl_Free(reinterpret_cast<char*>(commandLineArguments));
    commandLineArguments = nullptr;
    support::setMainWindow(0);
    resetWindowProcedure();
    commands::resetMenuState();
    commands::resetAcceleratorState();
}

}  // namespace host
