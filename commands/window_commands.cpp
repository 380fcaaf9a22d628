// ::screen::setwindowtext, ::screen::destroywnd, ::screen::getclientrect,
// ::screen::getbounds, ::screen::setbounds and ::vesk::querytimer.
#include "commands/commands.h"
#include "platform/platform.h"
#include "support/command_table.h"

namespace commands {

namespace {

constexpr const char* kBoundsShape = "bounds rect must containt exactly 4 integer values";

bool readWindowHandle(Tcl_Interp* interp, Tcl_Obj* word, platform::WindowHandle& window) {
    int handle = 0;
    if (Tcl_GetIntFromObj(interp, word, &handle) != TCL_OK) {
        Tcl_AddErrorInfo(interp, "\n    (while retrieving window handle)");
        return false;
    }
    window = handle;
    return true;
}

// Checks the word count (usage names the words after the command) and reads
// the window handle from the first.
bool readWindowArguments(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], int words, const char* usage,
                         platform::WindowHandle& window) {
    if (objc != words) {
        Tcl_WrongNumArgs(interp, 1, objv, usage);
        return false;
    }
    return readWindowHandle(interp, objv[1], window);
}

Tcl_Obj* boundsList(const platform::Rect& rect) {
    // Differences in 64 bits so that extreme rectangles wrap instead of overflowing.
    const auto extent = [](std::int32_t from, std::int32_t to) {
        return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::int64_t>(to) - from));
    };
    Tcl_Obj* values[] = {Tcl_NewIntObj(rect.left), Tcl_NewIntObj(rect.top), Tcl_NewIntObj(extent(rect.left, rect.right)),
                         Tcl_NewIntObj(extent(rect.top, rect.bottom))};
    return Tcl_NewListObj(4, values);
}

using RectQuery = bool (*)(platform::WindowHandle, platform::Rect&);

int queryRect(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], RectQuery query, const char* failure) {
    platform::WindowHandle window;
    if (!readWindowArguments(interp, objc, objv, 2, "hWnd", window)) return TCL_ERROR;
    platform::Rect rect;
    if (!query(window, rect)) {
        Tcl_SetErrorCode(interp, failure, nullptr);
        return TCL_ERROR;
    }
    Tcl_SetObjResult(interp, boundsList(rect));
    return TCL_OK;
}

int setWindowTextCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    platform::WindowHandle window;
    if (!readWindowArguments(interp, objc, objv, 3, "hWnd text", window)) return TCL_ERROR;
    platform::setWindowText(window, Tcl_GetString(objv[2]));
    return TCL_OK;
}

int destroyWindowCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "hWnd");
        return TCL_ERROR;
    }
    Tcl_ResetResult(interp);
    platform::WindowHandle window;
    if (!readWindowHandle(interp, objv[1], window)) return TCL_ERROR;
    if (platform::destroyWindow(window)) return TCL_OK;
    Tcl_AppendResult(interp, "failed to destroy window", nullptr);
    return TCL_ERROR;
}

int getClientRectCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return queryRect(interp, objc, objv, platform::getClientRect, "GetClientRect failed");
}

int getBoundsCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return queryRect(interp, objc, objv, platform::getWindowRect, "GetWindowRect failed");
}

int setBoundsCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    platform::WindowHandle window;
    if (!readWindowArguments(interp, objc, objv, 3, "hWnd boundsRect", window)) return TCL_ERROR;
    int count = 0;
    Tcl_Obj** elements = nullptr;
    if (Tcl_ListObjGetElements(interp, objv[2], &count, &elements) != TCL_OK) {
        Tcl_AddErrorInfo(interp, "\n    (while retrieving bounds rect)");
        return TCL_ERROR;
    }
    if (count != 4) {
        Tcl_SetErrorCode(interp, kBoundsShape, nullptr);
        return TCL_ERROR;
    }
    int bounds[4];
    for (int i = 0; i < 4; ++i) {
        if (Tcl_GetIntFromObj(interp, elements[i], &bounds[i]) != TCL_OK) {
            Tcl_SetErrorCode(interp, kBoundsShape, nullptr);
            return TCL_ERROR;
        }
    }
    // Moving the main window runs the resize script in here; its result is dropped below.
    platform::setWindowPos(window, 0, bounds[0], bounds[1], bounds[2], bounds[3],
                           platform::kSwpNoZOrder | platform::kSwpNoActivate | platform::kSwpNoCopyBits |
                               platform::kSwpDeferErase);
    Tcl_ResetResult(interp);
    return TCL_OK;
}

int queryTimerCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, nullptr);
        return TCL_ERROR;
    }
    // The 32-bit count with the same bits as a signed int: negative after 2^31 ms.
    Tcl_SetObjResult(interp, Tcl_NewIntObj(static_cast<int>(platform::tickCount())));
    return TCL_OK;
}

}  // namespace

void registerWindowCommands(Tcl_Interp* interp) {
    support::createCommands(interp, {{"::screen::getclientrect", getClientRectCommand},
                                     {"::screen::destroywnd", destroyWindowCommand},
                                     {"::screen::getbounds", getBoundsCommand},
                                     {"::screen::setbounds", setBoundsCommand},
                                     {"::screen::setwindowtext", setWindowTextCommand},
                                     {"::vesk::querytimer", queryTimerCommand}});
}

}  // namespace commands
