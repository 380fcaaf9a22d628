// ::menu::createmenu, ::menu::submenu, ::menu::separator and ::menu::menu.
#include "commands/menus.h"

#include <cstdio>
#include <optional>
#include <string>

#include "commands/accelerators.h"
#include "commands/commands.h"
#include "commands/translation.h"
#include "support/command_table.h"
#include "support/console.h"
#include "support/event_script.h"
#include "support/main_window.h"
#include "support/tcl_ref.h"

namespace commands {

namespace {

using support::TclRef;

// The IDs of menu commands; the window procedure hands on any other ID.
constexpr int kFirstCommandId = 40000;
constexpr int kLastCommandId = 49999;
// The action of each command, indexed by its ID.
constexpr const char* kActions = "::menu::actions";
constexpr const char* kNotInCreateMenu = "not valid here - must be called from within createmenu";

platform::MenuHandle buildingMenu = 0;
int insertPosition = 0;
int nextId = 0;
// createmenu and submenu bodies now being evaluated. A createmenu inside one
// would destroy a menu that the running body still fills.
int bodiesRunning = 0;
// Counts the createmenu calls that restarted the command IDs: an item whose
// translation ran one holds an ID that now names an item of the new menu.
unsigned idGeneration = 0;

struct BodyRunning {
    BodyRunning() { ++bodiesRunning; }
    ~BodyRunning() { --bodiesRunning; }
    BodyRunning(const BodyRunning&) = delete;
    BodyRunning& operator=(const BodyRunning&) = delete;
};

// Inserts at the insert position of whatever menu is under construction now
// (a translation may have changed it) and advances the position whatever
// the outcome.
bool insertItem(const platform::MenuItem& item) {
    const bool inserted =
        platform::insertMenuItem(buildingMenu, static_cast<std::uint32_t>(insertPosition), true, item);
    ++insertPosition;
    return inserted;
}

std::string keyName(std::int32_t shortcutCode) {
    const std::uint32_t scanCode = platform::mapVirtualKey(static_cast<std::uint32_t>(shortcutCode) & 0x7F, 0);
    char name[256] = "";
    if (platform::getKeyNameText(static_cast<std::int32_t>(scanCode << 16), name, 255) <= 0 || name[0] == '\0') {
        // No name from the system: show the virtual-key code itself.
        std::snprintf(name, sizeof name, "0x%02X", static_cast<unsigned>(shortcutCode & 0xFF));
    }
    return name;
}

const char* textOf(const std::optional<TclRef>& word) { return word ? Tcl_GetString(word->get()) : ""; }

// A label cut at its buffer's end must not end in part of a UTF-8 character:
// the platforms would show it as a replacement character or refuse it.
void endOnWholeCharacter(char* text, std::size_t length) {
    std::size_t lead = length;
    while (lead > 0 && length - lead < 4 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead == 0) return;
    const auto first = static_cast<unsigned char>(text[--lead]);
    const std::size_t size = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (length - lead < size) text[lead] = '\0';
}

}  // namespace

platform::MenuHandle menuUnderConstruction() { return buildingMenu; }
int nextCommandId() { return nextId; }

void resetMenuState() {
    buildingMenu = 0;
    insertPosition = 0;
    nextId = 0;
    bodiesRunning = 0;
}

namespace {

int createMenuCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "code");
        return TCL_ERROR;
    }
    if (bodiesRunning > 0) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj("not valid here - a menu is being built", -1));
        return TCL_ERROR;
    }
    // The unfinished menu of an earlier failed body.
    if (buildingMenu != 0) platform::destroyMenu(buildingMenu);
    const platform::MenuHandle menu = platform::createMenu();
    buildingMenu = menu;
    insertPosition = 0;
    startAcceleratorList();
    nextId = kFirstCommandId;
    ++idGeneration;

    int code;
    {
        const BodyRunning running;
        code = Tcl_EvalObjEx(interp, objv[1], TCL_EVAL_DIRECT);
    }
    if (code != TCL_OK) {
        Tcl_AddErrorInfo(interp, "\n    (while creating menu)");
        return TCL_ERROR;
    }

    // Finished: no longer the menu under construction. Installing it can
    // change the client area and so run the resize script, which may build
    // the next bar; that one must not take this one for a leftover.
    buildingMenu = 0;
    const platform::WindowHandle window = support::mainWindow();
    const platform::MenuHandle oldBar = platform::getMenu(window);
    if (platform::setMenu(window, menu)) {
        if (oldBar != 0) platform::destroyMenu(oldBar);
    } else {
        // No window to take it (the body destroyed it): nothing owns the menu.
        platform::destroyMenu(menu);
    }
    return TCL_OK;
}

int subMenuCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    const platform::MenuHandle parent = buildingMenu;
    const int parentPosition = insertPosition;
    if (objc != 3) {
        Tcl_WrongNumArgs(interp, 1, objv, "caption code");
        return TCL_ERROR;
    }
    const platform::MenuHandle submenu = platform::createMenu();
    buildingMenu = submenu;
    insertPosition = 0;
    int code;
    {
        const BodyRunning running;
        code = Tcl_EvalObjEx(interp, objv[2], 0);
    }
    buildingMenu = parent;
    insertPosition = parentPosition;
    if (code != TCL_OK) {
        Tcl_AddErrorInfo(interp, "\n    (within submenu)");
        platform::destroyMenu(submenu);  // never inserted, so nothing else owns it
        return TCL_ERROR;
    }

    const TclRef caption = translatedText(interp, Tcl_GetString(objv[1]));
    platform::MenuItem item;
    item.mask = platform::kMiimSubmenu | platform::kMiimType;
    item.type = platform::kMftString;
    item.subMenu = submenu;
    item.text = Tcl_GetString(caption.get());
    if (!insertItem(item)) {
        support::reportSystemError("::menu::submenu");
        platform::destroyMenu(submenu);
    }
    return TCL_OK;
}

int separatorCommand(ClientData, Tcl_Interp* interp, int, Tcl_Obj* const[]) {
    if (buildingMenu == 0) {
        Tcl_SetErrorCode(interp, kNotInCreateMenu, nullptr);
        return TCL_ERROR;
    }
    platform::MenuItem item;
    item.mask = platform::kMiimType;
    item.type = platform::kMftSeparator;
    if (!insertItem(item)) support::reportSystemError("::menu::separator");
    return TCL_OK;
}

int menuItemCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    static const char* const kOptions[] = {"-ishortcut", "--", nullptr};
    enum { kShortcut, kEndOfOptions };

    int shortcutCode = 0;
    int i = 1;
    while (i < objc && Tcl_GetString(objv[i])[0] == '-') {
        int option;
        if (Tcl_GetIndexFromObj(interp, objv[i], kOptions, "options", 0, &option) != TCL_OK) return TCL_ERROR;
        ++i;
        if (option == kEndOfOptions) break;
        if (i >= objc) break;
        if (Tcl_GetIntFromObj(interp, objv[i], &shortcutCode) != TCL_OK) return TCL_ERROR;
        ++i;
    }
    if (objc - i != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "?options? caption action");
        return TCL_ERROR;
    }
    if (buildingMenu == 0) {
        Tcl_AppendResult(interp, kNotInCreateMenu, nullptr);
        return TCL_ERROR;
    }

    int commandId = nextId++;
    const unsigned generation = idGeneration;

    // Held until the insertion: the label may be the caption's own text.
    const TclRef caption = translatedText(interp, objv[i]);
    std::optional<TclRef> shift, ctrl, alt;
    if (shortcutCode & 0x2000) shift.emplace(translatedText(interp, "Shift+"));
    if (shortcutCode & 0x4000) ctrl.emplace(translatedText(interp, "Ctrl+"));
    if (shortcutCode & 0x8000) alt.emplace(translatedText(interp, "Alt+"));

    if (generation != idGeneration) {
        // A translation built a new menu (only possible outside a body, for a
        // leftover menu). Storing under the old ID would take over the action
        // and shortcut of the new menu's item with that ID.
        if (buildingMenu == 0) {
            Tcl_SetObjResult(interp, Tcl_NewStringObj(kNotInCreateMenu, -1));
            return TCL_ERROR;
        }
        commandId = nextId++;
    }
    char idText[16];
    std::snprintf(idText, sizeof idText, "%d", commandId);

    char label[256];
    const char* text = Tcl_GetString(caption.get());
    if (shortcutCode != 0) {
        const int full = std::snprintf(label, sizeof label, "%s\t%s%s%s%s", text, textOf(shift), textOf(ctrl),
                                       textOf(alt), keyName(shortcutCode).c_str());
        if (full >= static_cast<int>(sizeof label)) endOnWholeCharacter(label, sizeof label - 1);
        text = label;
        addAccelerator(shortcutCode, commandId);
    }
    Tcl_SetVar2Ex(interp, kActions, idText, objv[i + 1], TCL_GLOBAL_ONLY);

    platform::MenuItem item;
    item.mask = platform::kMiimId | platform::kMiimType;
    item.type = platform::kMftString;
    item.id = static_cast<std::uint32_t>(commandId);
    item.text = text;
    if (!insertItem(item)) support::reportSystemError("::menu::menu");
    return TCL_OK;
}

}  // namespace

bool runMenuCommand(Tcl_Interp* interp, int commandId) {
    if (commandId < kFirstCommandId || commandId > kLastCommandId) return false;
    char name[16];
    std::snprintf(name, sizeof name, "%d", commandId);
    Tcl_Obj* action = Tcl_GetVar2Ex(interp, kActions, name, TCL_GLOBAL_ONLY);
    if (action == nullptr) return true;  // removed by the script: nothing to run
    // The action may rebuild the menus and so overwrite its own element.
    const TclRef hold(action);
    // At global level, as from the message loop, even when the command
    // arrives inside a script's call (a key translated during a modal loop).
    support::evaluateEventScript(interp, action);
    return true;
}

void registerMenuCommands(Tcl_Interp* interp) {
    support::createCommands(interp, {{"::menu::createmenu", createMenuCommand},
                                     {"::menu::submenu", subMenuCommand},
                                     {"::menu::separator", separatorCommand},
                                     {"::menu::menu", menuItemCommand}});
}

}  // namespace commands
