// filelist: a Tcl extension that shows files as rows of a native list view in
// a vesk2b window's client area. It registers its commands in ::filelist;
// the application script creates a view, places it from its resize script
// and hands it file names.
//
//   ::filelist::create window      a new view in the window's client area; its name
//   ::filelist::place view bounds  moves it to {left top width height}, client coordinates
//   ::filelist::files view ?paths? shows these files (stat here), or the paths shown
//   ::filelist::rows view          the rows as shown: {name size modified} each
//   ::filelist::selection view     the paths of the selected rows, as shown
//   ::filelist::bounds view        where the view is, read from the widget
//   ::filelist::focus view         gives it the keyboard focus
//   ::filelist::destroy view
//   ::filelist::timings            kestrum's report of the refresh timings, on standard output
#include <tcl.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <vesk2b/native.h>

#include "kestrum.h"
#include "rows.h"
#include "view.h"

namespace filelist {
namespace {

constexpr const char* kRefreshTimer = "filelist refresh";

vesk2b_native program{};
std::map<std::string, ViewPtr, std::less<>> views;
int nextView = 1;

int fail(Tcl_Interp* interp, const std::string& message) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(("filelist: " + message).c_str(), -1));
    Tcl_SetErrorCode(interp, "FILELIST", nullptr);
    return TCL_ERROR;
}

Tcl_Obj* stringList(const std::vector<std::string>& items) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (const std::string& item : items) {
        Tcl_ListObjAppendElement(nullptr, list, Tcl_NewStringObj(item.data(), static_cast<int>(item.size())));
    }
    return list;
}

// The view named by word, or null after an error in the interpreter. A view
// whose window has gone is forgotten here.
View* findView(Tcl_Interp* interp, Tcl_Obj* word) {
    const std::string_view name = Tcl_GetString(word);
    auto found = views.find(name);
    if (found != views.end() && !viewAlive(*found->second)) {
        views.erase(found);
        found = views.end();
    }
    if (found == views.end()) {
        fail(interp, "no view \"" + std::string(name) + "\"");
        return nullptr;
    }
    return found->second.get();
}

// The commands that take a view and nothing else.
View* viewArgument(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "view");
        return nullptr;
    }
    return findView(interp, objv[1]);
}

int createCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "window");
        return TCL_ERROR;
    }
    int window = 0;
    if (Tcl_GetIntFromObj(interp, objv[1], &window) != TCL_OK) return TCL_ERROR;
    void* clientArea = program.client_area != nullptr ? program.client_area(window) : nullptr;
    if (clientArea == nullptr) {
        if (program.version == 0) return fail(interp, "this program offers no native views");
        return fail(interp, "no window " + std::to_string(window) + " with a client area in this program");
    }
    ViewPtr view = createView(clientArea);
    if (!view) return fail(interp, "could not create a list view");
    const std::string name = "filelist" + std::to_string(nextView++);
    views.emplace(name, std::move(view));
    Tcl_SetObjResult(interp, Tcl_NewStringObj(name.c_str(), -1));
    return TCL_OK;
}

int placeCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 3) {
        Tcl_WrongNumArgs(interp, 1, objv, "view bounds");
        return TCL_ERROR;
    }
    View* view = findView(interp, objv[1]);
    if (view == nullptr) return TCL_ERROR;
    Tcl_Obj** parts = nullptr;
    int count = 0;
    int values[4] = {};
    bool good = Tcl_ListObjGetElements(nullptr, objv[2], &count, &parts) == TCL_OK && count == 4;
    for (int i = 0; good && i < 4; ++i) good = Tcl_GetIntFromObj(nullptr, parts[i], &values[i]) == TCL_OK;
    if (!good || values[2] < 0 || values[3] < 0) {
        return fail(interp, "bad bounds \"" + std::string(Tcl_GetString(objv[2])) +
                                "\": want left top width height, integers, width and height not negative");
    }
    placeView(*view, Bounds{values[0], values[1], values[2], values[3]});
    return TCL_OK;
}

int filesCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2 && objc != 3) {
        Tcl_WrongNumArgs(interp, 1, objv, "view ?paths?");
        return TCL_ERROR;
    }
    View* view = findView(interp, objv[1]);
    if (view == nullptr) return TCL_ERROR;
    if (objc == 2) {
        Tcl_SetObjResult(interp, stringList(viewPaths(*view, false)));
        return TCL_OK;
    }
    Tcl_Obj** paths = nullptr;
    int count = 0;
    if (Tcl_ListObjGetElements(interp, objv[2], &count, &paths) != TCL_OK) return TCL_ERROR;
    Profiler_Start(kRefreshTimer);
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        int length = 0;
        const char* path = Tcl_GetStringFromObj(paths[i], &length);
        rows.push_back(readRow(std::string_view(path, static_cast<std::size_t>(length))));
    }
    showRows(*view, rows);
    Profiler_Stop(kRefreshTimer);
    return TCL_OK;
}

int rowsCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    View* view = viewArgument(interp, objc, objv);
    if (view == nullptr) return TCL_ERROR;
    Tcl_Obj* result = Tcl_NewListObj(0, nullptr);
    for (const std::vector<std::string>& texts : viewTexts(*view)) {
        Tcl_ListObjAppendElement(nullptr, result, stringList(texts));
    }
    Tcl_SetObjResult(interp, result);
    return TCL_OK;
}

int selectionCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    View* view = viewArgument(interp, objc, objv);
    if (view == nullptr) return TCL_ERROR;
    Tcl_SetObjResult(interp, stringList(viewPaths(*view, true)));
    return TCL_OK;
}

int boundsCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    View* view = viewArgument(interp, objc, objv);
    if (view == nullptr) return TCL_ERROR;
    const Bounds bounds = viewBounds(*view);
    Tcl_Obj* parts[] = {Tcl_NewIntObj(bounds.left), Tcl_NewIntObj(bounds.top), Tcl_NewIntObj(bounds.width),
                        Tcl_NewIntObj(bounds.height)};
    Tcl_SetObjResult(interp, Tcl_NewListObj(4, parts));
    return TCL_OK;
}

int focusCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    View* view = viewArgument(interp, objc, objv);
    if (view == nullptr) return TCL_ERROR;
    focusView(*view);
    return TCL_OK;
}

int destroyCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (viewArgument(interp, objc, objv) == nullptr) return TCL_ERROR;
    views.erase(views.find(std::string_view(Tcl_GetString(objv[1]))));
    return TCL_OK;
}

int timingsCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1) {
        Tcl_WrongNumArgs(interp, 1, objv, nullptr);
        return TCL_ERROR;
    }
    Profiler_Stats_All();
    std::fflush(stdout);
    return TCL_OK;
}

}  // namespace
}  // namespace filelist

extern "C" {

// The entry point of `load`: Tcl derives its name from the file's, filelist.
#ifdef _WIN32
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
int Filelist_Init(Tcl_Interp* interp) {
    if (Tcl_InitStubs(interp, "8.6", 0) == nullptr) return TCL_ERROR;
    using namespace filelist;
    vesk2b_native_lookup(&program);
    struct Entry {
        const char* name;
        Tcl_ObjCmdProc* procedure;
    };
    static constexpr Entry kCommands[] = {
        {"::filelist::create", createCommand},       {"::filelist::place", placeCommand},
        {"::filelist::files", filesCommand},         {"::filelist::rows", rowsCommand},
        {"::filelist::selection", selectionCommand}, {"::filelist::bounds", boundsCommand},
        {"::filelist::focus", focusCommand},         {"::filelist::destroy", destroyCommand},
        {"::filelist::timings", timingsCommand},
    };
    for (const Entry& entry : kCommands) Tcl_CreateObjCommand(interp, entry.name, entry.procedure, nullptr, nullptr);
    return Tcl_PkgProvide(interp, "filelist", "1.0");
}

}
