// The menu bar: ::menu::createmenu, ::menu::submenu, ::menu::separator and
// ::menu::menu (the items the platform receives, command IDs, labels, the
// states of the menu under construction and the rules for nested building),
// the accelerators behind their shortcuts, and the translation of captions.
#include <cstdio>

#include "commands/accelerators.h"
#include "commands/menus.h"
#include "commands/translation.h"
#include "tests/host_test.h"

namespace {

using namespace host_test;
using Menus = Host;
using Accelerators = Host;
using Translation = StartedInTest;

constexpr const char* kNotInCreateMenu = "not valid here - must be called from within createmenu";

// An item as "mask type id text", mask and type in hexadecimal.
Strings records(platform::MenuHandle menu) {
    Strings out;
    char fields[64];
    for (const auto& item : items(menu)) {
        std::snprintf(fields, sizeof fields, "0x%X 0x%X %u ", item.mask, item.type, item.id);
        out.push_back(fields + item.text);
    }
    return out;
}

TEST_F(Menus, ItemRecordsLabelsAndOptionsOfABar) {
    const auto built = eval("::menu::createmenu {::menu::menu Open a; ::menu::submenu Recent {::menu::menu First b};"
                            " ::menu::separator; ::menu::menu Quit q}");
    ASSERT_EQ(built.code, TCL_OK) << built.result;
    const platform::MenuHandle first = bar();
    ASSERT_NE(first, 0);
    EXPECT_EQ(commands::menuUnderConstruction(), 0);

    EXPECT_EQ(records(first),
              (Strings{"0x12 0x0 40000 Open", "0x14 0x0 0 Recent", "0x10 0x800 0 ", "0x12 0x0 40002 Quit"}));
    const auto top = items(first);
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(records(top[1].subMenu), Strings{"0x12 0x0 40001 First"});

    // Every insertion is by position into the menu being filled, with a 48-byte record.
    const std::string inBar = "InsertMenuItemW(" + std::to_string(first), sub = std::to_string(top[1].subMenu);
    EXPECT_EQ(callsNamed("InsertMenuItemW("),
              (Strings{inBar + ", 0, 1, 48, 0x12, 0x0, 40000, 0, Open)",
                       "InsertMenuItemW(" + sub + ", 0, 1, 48, 0x12, 0x0, 40001, 0, First)",
                       inBar + ", 1, 1, 48, 0x14, 0x0, 0, " + sub + ", Recent)",
                       inBar + ", 2, 1, 48, 0x10, 0x800, 0, 0, (null))",
                       inBar + ", 3, 1, 48, 0x12, 0x0, 40002, 0, Quit)"}));
    EXPECT_EQ(eval("list $::menu::actions(40000) $::menu::actions(40001) $::menu::actions(40002)").outcome(), "ok: a b q");

    // A second bar starts again at 40000 and replaces the first, submenus and all.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Again z}").code, TCL_OK);
    EXPECT_NE(bar(), first);
    EXPECT_FALSE(headless::menuExists(first));
    EXPECT_FALSE(headless::menuExists(top[1].subMenu));
    EXPECT_EQ(records(bar()), Strings{"0x12 0x0 40000 Again"});
    // The array is not cleared: elements the new bar does not reuse stay.
    EXPECT_EQ(eval("list $::menu::actions(40000) $::menu::actions(40002)").outcome(), "ok: z q");
    EXPECT_EQ(brokenInvariant(), "");
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu A a}").code, TCL_OK);
    const platform::MenuHandle old = bar();
    ASSERT_EQ(eval("::menu::createmenu {}").code, TCL_OK);
    EXPECT_NE(bar(), 0);
    EXPECT_TRUE(items(bar()).empty());
    EXPECT_FALSE(headless::menuExists(old));
    EXPECT_EQ(eval("::menu::createmenu {set x 42}").result, "42");
    EXPECT_EQ(headless::liveMenuCount(), 1);
    ASSERT_EQ(eval("::menu::createmenu {"
                   " ::menu::menu -ishortcut 16463 Open a;"
                   " ::menu::menu -ishortcut [expr {0x8073}] Exit b;"
                   " ::menu::menu -ishortcut [expr {0xE04B}] All c;"
                   " ::menu::menu -ishortcut 0 Plain d;"
                   " ::menu::menu -ishortcut [expr {0x40C1}] High e;"
                   " ::menu::menu -ishortcut [expr {0x2000 | 0x70}] Help f;"
                   "}").code, TCL_OK);
    // High's name comes from the low seven bits (0x41), its accelerator from all eight.
    EXPECT_EQ(labels(bar()), (Strings{"Open\tCtrl+O", "Exit\tAlt+F4", "All\tShift+Ctrl+Alt+K", "Plain", "High\tCtrl+A",
                                      "Help\tShift+F1"}));
    // Code 0 is no shortcut: no accelerator entry for Plain (40003).
    ASSERT_EQ(commands::acceleratorCount(), 5);
    for (int i = 0; i < commands::acceleratorCount(); ++i) EXPECT_NE(commands::acceleratorEntries()[i].cmd, 40003);
    EXPECT_EQ(commands::acceleratorEntries()[3].key, 0xC1);
    const std::string caption(300, 'x');
    // Two-byte characters: the 255th byte is the first half of the 128th.
    std::string wide;
    for (int i = 0; i < 150; ++i) wide += "\xC3\xA9";
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16463 " + caption + " a; ::menu::menu " + caption +
                   " b; ::menu::menu -ishortcut 16463 " + wide + " c}").code, TCL_OK);
    // Cut to 255 bytes with a shortcut; without one the caption goes to the
    // platform whole; a cut never splits a character.
    EXPECT_EQ(labels(bar()), (Strings{std::string(255, 'x'), caption, wide.substr(0, 254)}));
    ASSERT_EQ(eval("::menu::createmenu {"
                   " ::menu::menu -- -x a;"
                   " ::menu::menu -i 16463 Abbrev b;"
                   " ::menu::menu -ishortcut 16463 -ishortcut 0 Later c;"
                   " ::menu::menu -ishortcut 16463 -- -dash d;"
                   "}").code, TCL_OK);
    EXPECT_EQ(labels(bar()), (Strings{"-x", "Abbrev\tCtrl+O", "Later", "-dash\tCtrl+O"}));

    // Failures inside a body use up no command ID.
    ASSERT_EQ(eval("::menu::createmenu {"
                   " lappend ::errors [catch {::menu::menu -ishortcut} m] $m;"
                   " lappend ::errors [catch {::menu::menu -x a} m] $m;"
                   " lappend ::errors [catch {::menu::menu -ishortcut nine A a} m] $m;"
                   " lappend ::errors [catch {::menu::menu A} m] $m;"
                   " lappend ::errors [catch {::menu::menu A a b} m] $m;"
                   " ::menu::menu Next n"
                   "}").code, TCL_OK);
    const std::string usage = "wrong # args: should be \"::menu::menu ?options? caption action\"";
    EXPECT_EQ(globalList("::errors"), (Strings{"1", usage, "1", "bad options \"-x\": must be -ishortcut or --", "1",
                                               "expected integer but got \"nine\"", "1", usage, "1", usage}));
    EXPECT_EQ(records(bar()), Strings{"0x12 0x0 40000 Next"});
    EXPECT_EQ(commands::acceleratorCount(), 0);
}

TEST_F(Menus, FailuresLeaveTheBarAndNothingLeaksAndIdsKeepAdvancing) {
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16463 Keep k}").code, TCL_OK);
    const platform::MenuHandle kept = bar();

    const auto failed = eval("::menu::createmenu {::menu::menu New n; ::menu::submenu Sub {::menu::menu S s}; error boom}");
    EXPECT_EQ(failed.outcome(), "error: boom");
    ASSERT_TRUE(failed.errorInfo.has_value());
    EXPECT_NE(failed.errorInfo->find("\n    (while creating menu)"), std::string::npos);
    EXPECT_EQ(bar(), kept);
    EXPECT_EQ(labels(kept), Strings{"Keep\tCtrl+O"});
    const platform::MenuHandle leftover = commands::menuUnderConstruction();
    ASSERT_NE(leftover, 0);
    EXPECT_EQ(labels(leftover), (Strings{"New", "Sub"}));

    // Items outside createmenu go on into the leftover menu, position and IDs running on.
    ASSERT_EQ(eval("::menu::menu Later l").code, TCL_OK);
    ASSERT_EQ(eval("::menu::separator").code, TCL_OK);
    EXPECT_EQ(labels(leftover), (Strings{"New", "Sub", "Later", "-"}));
    EXPECT_EQ(items(leftover)[2].id, 40002u);
    EXPECT_EQ(global("::menu::actions(40002)"), "l");
    EXPECT_EQ(strayMenus(bar()), 0);

    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Fresh f}").code, TCL_OK);
    EXPECT_FALSE(headless::menuExists(leftover));
    EXPECT_FALSE(headless::menuExists(kept));
    EXPECT_EQ(labels(bar()), Strings{"Fresh"});
    EXPECT_EQ(commands::menuUnderConstruction(), 0);
    EXPECT_EQ(strayMenus(bar()), 0);
    EXPECT_EQ(headless::liveMenuCount(), 1);
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Old o}").code, TCL_OK);
    const platform::MenuHandle old = bar();
    const int menusBefore = headless::liveMenuCount();

    const auto outer = eval(
        "::menu::createmenu {"
        " ::menu::menu -ishortcut 16463 Before b;"
        " lappend ::inner [catch {::menu::createmenu {::menu::menu Inner i}} m] $m;"
        " ::menu::submenu Sub {"
        "   lappend ::inner [catch {::menu::createmenu {::menu::menu Inner2 i}} m] $m;"
        "   ::menu::menu InSub s"
        " };"
        " ::menu::menu After a"
        "}");
    ASSERT_EQ(outer.code, TCL_OK) << outer.result;
    const std::string building = "not valid here - a menu is being built";
    EXPECT_EQ(globalList("::inner"), (Strings{"1", building, "1", building}));
    EXPECT_EQ(labels(bar()), (Strings{"Before\tCtrl+O", "Sub", "After"}));
    EXPECT_EQ(labels(items(bar())[1].subMenu), Strings{"InSub"});
    EXPECT_EQ(items(bar())[2].id, 40002u);
    EXPECT_FALSE(headless::menuExists(old));
    // The refused calls made no menu and did not reset the shortcut list.
    EXPECT_EQ(headless::liveMenuCount(), menusBefore + 1);
    EXPECT_EQ(commands::acceleratorCount(), 1);

    // Uncaught, the refusal fails the outer body like any error.
    EXPECT_EQ(eval("::menu::createmenu {::menu::menu X x; ::menu::createmenu {}}").outcome(),
              "error: not valid here - a menu is being built");
    EXPECT_NE(commands::menuUnderConstruction(), 0);
    EXPECT_EQ(strayMenus(bar()), 0);
    // And once no body runs, createmenu works again.
    EXPECT_EQ(eval("::menu::createmenu {}").code, TCL_OK);
    EXPECT_EQ(strayMenus(bar()), 0);
    const auto built = eval(
        "::menu::createmenu {"
        " ::menu::menu A a;"
        " lappend ::r [catch {::menu::submenu Bad {::menu::menu In i; ::menu::submenu Deeper {::menu::separator}; error no}} m];"
        " ::menu::menu B b"
        "}");
    ASSERT_EQ(built.code, TCL_OK);
    EXPECT_EQ(globalList("::r"), Strings{"1"});
    EXPECT_EQ(labels(bar()), (Strings{"A", "B"}));
    // In (40001) used its ID although its menu is gone.
    EXPECT_EQ(items(bar())[1].id, 40002u);
    EXPECT_EQ(headless::liveMenuCount(), 1);

    const auto failedSubmenu = eval("::menu::createmenu {::menu::submenu Bad {error no}}");
    ASSERT_TRUE(failedSubmenu.errorInfo.has_value());
    EXPECT_NE(failedSubmenu.errorInfo->find("\n    (within submenu)\n"), std::string::npos);
    EXPECT_NE(failedSubmenu.errorInfo->find("\n    (while creating menu)"), std::string::npos);
    headless::clearCalls();
    headless::clearConsoleOutput();
    headless::failMenuInsertions(1, 87);
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16463 Lost l; ::menu::menu Kept k}").code, TCL_OK);
    EXPECT_EQ(headless::consoleOutput(), "The parameter is incorrect.\r\n in ::menu::menu\n\n");
    EXPECT_EQ(labels(bar()), Strings{"Kept"});
    EXPECT_EQ(items(bar())[0].id, 40001u);
    EXPECT_EQ(global("::menu::actions(40000)"), "l");
    ASSERT_EQ(commands::acceleratorCount(), 1);
    EXPECT_EQ(commands::acceleratorEntries()[0].cmd, 40000);
    const auto inserts = callsNamed("InsertMenuItemW(");
    ASSERT_EQ(inserts.size(), 2u);
    EXPECT_NE(inserts[1].find(", 1, 1, 48, "), std::string::npos) << inserts[1];

    headless::clearConsoleOutput();
    headless::setErrorText(1234, std::nullopt);
    headless::failMenuInsertions(1, 1234);
    ASSERT_EQ(eval("::menu::createmenu {::menu::separator; ::menu::menu After a}").code, TCL_OK);
    EXPECT_EQ(headless::consoleOutput(), "unknown system error 1234\n in ::menu::separator\n\n");
    EXPECT_EQ(labels(bar()), Strings{"After"});

    // A submenu whose own insertion fails is destroyed.
    headless::clearConsoleOutput();
    headless::failMenuInsertions(1, 87);
    ASSERT_EQ(eval("::menu::createmenu {::menu::submenu Sub {}; ::menu::menu Last z}").code, TCL_OK);
    EXPECT_EQ(headless::consoleOutput(), "The parameter is incorrect.\r\n in ::menu::submenu\n\n");
    EXPECT_EQ(labels(bar()), Strings{"Last"});
    EXPECT_EQ(headless::liveMenuCount(), 1);
    EXPECT_EQ(strayMenus(bar()), 0);
    ASSERT_EQ(eval("::menu::createmenu {for {set i 0} {$i < 10001} {incr i} {::menu::menu Item$i [list set ::ran $i]}}").code, TCL_OK);
    const auto all = items(bar());
    ASSERT_EQ(all.size(), 10001u);
    EXPECT_EQ(all.back().id, 50000u);
    EXPECT_EQ(global("::menu::actions(50000)"), "set ::ran 10000");
    command(49999);
    EXPECT_EQ(global("::ran"), "9999");
    command(50000);
    EXPECT_EQ(global("::ran"), "9999");
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu A a}").code, TCL_OK);
    EXPECT_EQ(eval("::menu::createmenu {::menu::menu B b; ::screen::destroywnd $parentwindow; ::menu::menu C c}").code, TCL_OK);
    EXPECT_FALSE(headless::window(support::mainWindow()).has_value());
    EXPECT_EQ(headless::liveMenuCount(), 0);
    EXPECT_EQ(commands::menuUnderConstruction(), 0);
    EXPECT_EQ(headless::invalidMenuHandleUses(), 0);
    // Later bars have no window either.
    EXPECT_EQ(eval("::menu::createmenu {::menu::menu D d}").code, TCL_OK);
    EXPECT_EQ(headless::liveMenuCount(), 0);
}

TEST_F(Menus, WrongWordCountsAndItemsOutsideABarAreRefused) {
    headless::clearConsoleOutput();
    EXPECT_EQ(eval("::menu::submenu Lone {::menu::menu Inside i; ::menu::separator}").code, TCL_OK);
    EXPECT_EQ(global("::menu::actions(0)"), "i");  // no bar yet: the IDs have not started at 40000
    EXPECT_EQ(headless::liveMenuCount(), 0);
    EXPECT_EQ(headless::consoleOutput(), "Invalid menu handle.\r\n in ::menu::submenu\n\n");
    EXPECT_EQ(headless::invalidMenuHandleUses(), 0);
    const int before = commands::nextCommandId();
    EXPECT_EQ(eval("::menu::menu Open a").outcome(), "error: " + std::string(kNotInCreateMenu));
    const auto separator = eval("::menu::separator");
    EXPECT_EQ(separator.outcome(), "error: ");
    EXPECT_EQ(separator.errorCode, "{" + std::string(kNotInCreateMenu) + "}");
    EXPECT_EQ(commands::nextCommandId(), before);
    EXPECT_FALSE(global("::menu::actions(40000)").has_value());

    // After a bar is built the state is Idle again.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu A a}").code, TCL_OK);
    EXPECT_EQ(eval("::menu::menu B b").result, kNotInCreateMenu);
    EXPECT_EQ(items(bar()).size(), 1u);
    headless::clearCalls();
    EXPECT_EQ(eval("::menu::createmenu").result, "wrong # args: should be \"::menu::createmenu code\"");
    EXPECT_EQ(eval("::menu::createmenu a b").result, "wrong # args: should be \"::menu::createmenu code\"");
    EXPECT_EQ(eval("::menu::submenu a").result, "wrong # args: should be \"::menu::submenu caption code\"");
    EXPECT_EQ(headless::countCalls("CreateMenu"), 0);
    // Extra words of a separator are ignored.
    ASSERT_EQ(eval("::menu::createmenu {::menu::separator a b c}").code, TCL_OK);
    EXPECT_EQ(labels(bar()), Strings{"-"});
}

// The accelerator list behind the shortcuts: entry encoding, growth, the
// lazily built table, and when a table is thrown away.

// An entry as "fVirt key cmd", in hexadecimal but for the command.
std::string text(const platform::Accelerator& entry) {
    char out[32];
    std::snprintf(out, sizeof out, "0x%02X 0x%02X %u", unsigned{entry.fVirt}, unsigned{entry.key}, unsigned{entry.cmd});
    return out;
}

// The entries of the table the window procedure would use now.
Strings builtEntries() {
    const platform::AcceleratorTableHandle table = commands::acceleratorTable();
    Strings out;
    for (const auto& entry : headless::acceleratorTable(table).value_or(std::vector<platform::Accelerator>{}))
        out.push_back(text(entry));
    return out;
}

TEST_F(Accelerators, TableIsBuiltOncePerChangeAndDestroyedOnlyWhenNoLongerInUse) {
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16463 Open {lappend ::ran open}}").code, TCL_OK);
    headless::clearCalls();
    key(0x4F, false, true, false);
    key(0x4F, false, true, false);
    EXPECT_EQ(headless::countCalls("CreateAcceleratorTableW"), 1);
    EXPECT_EQ(globalList("::ran"), (Strings{"open", "open"}));
    const platform::AcceleratorTableHandle first = commands::acceleratorTable();

    // A failed body leaves a list that items outside createmenu go on adding to.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16463 Open {lappend ::ran open2}; error stop}").code,
              TCL_ERROR);
    EXPECT_FALSE(headless::acceleratorTable(first).has_value());
    ASSERT_EQ(eval("::menu::menu -ishortcut [expr {0x4000 | 0x53}] Save {lappend ::ran save}").code, TCL_OK);
    EXPECT_EQ(builtEntries(), (Strings{"0x0B 0x4F 40000", "0x0B 0x53 40001"}));
    key(0x53, false, true, false);
    EXPECT_EQ(globalList("::ran").back(), "save");
    EXPECT_EQ(headless::liveAcceleratorTableCount(), 1);
    eval("unset -nocomplain ::ran");
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16463 Open {lappend ::ran open}}").code, TCL_OK);
    key(0x4F, false, true, false);
    ASSERT_EQ(globalList("::ran"), Strings{"open"});
    // The new bar's 40000 must not be reachable through the old bar's Ctrl+O.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu New {lappend ::ran new}}").code, TCL_OK);
    EXPECT_EQ(headless::liveAcceleratorTableCount(), 0);
    key(0x4F, false, true, false);
    EXPECT_EQ(globalList("::ran"), Strings{"open"});
    // The action behind Ctrl+O builds a new bar with other shortcuts while the
    // platform is still inside TranslateAcceleratorW with the old table.
    ASSERT_EQ(eval("unset -nocomplain ::ran; proc ::rebuild {} {"
                   "  lappend ::ran rebuild;"
                   "  ::menu::createmenu {::menu::menu -ishortcut 16467 Save {lappend ::ran save}; "
                   "                      ::menu::menu -ishortcut 16463 Open2 ::rebuild}"
                   "}; ::menu::createmenu {::menu::menu -ishortcut 16463 Open ::rebuild}").code, TCL_OK);
    key(0x4F, false, true, false);
    const platform::AcceleratorTableHandle old = commands::acceleratorTable();
    headless::clearCalls();
    ASSERT_NE(old, 0);
    ASSERT_EQ(global("::ran"), "rebuild");

    key(0x4F, false, true, false);
    EXPECT_EQ(globalList("::ran"), (Strings{"rebuild", "rebuild"}));
    const int translate = findCall("TranslateAcceleratorW(");
    const int setMenu = findCall("SetMenu(");
    const int destroy = findCall("DestroyAcceleratorTable(" + std::to_string(old) + ")");
    ASSERT_GE(translate, 0);
    ASSERT_GT(setMenu, translate);
    EXPECT_GT(destroy, setMenu);
    EXPECT_EQ(destroy, findCall("DefWindowProcW(") - 1);
    EXPECT_EQ(headless::liveAcceleratorTableCount(), 0);
    key(0x53, false, true, false);
    EXPECT_EQ(globalList("::ran").back(), "save");
    EXPECT_EQ(brokenInvariant(), "");
}

TEST_F(Accelerators, EntriesGrowKeepTheirEncodingAndMatchOnlyWithTheirModifiers) {
    ASSERT_EQ(commands::acceleratorCapacity(), 0);
    ASSERT_EQ(eval("::menu::submenu Early {::menu::menu -ishortcut 16463 Open o}").code, TCL_OK);
    EXPECT_EQ(commands::acceleratorCapacity(), 64);
    ASSERT_EQ(commands::acceleratorCount(), 1);
    EXPECT_EQ(commands::acceleratorEntries()[0].key, 0x4F);
    EXPECT_EQ(builtEntries().size(), 1u);
    // The first real bar starts the list afresh in the same storage.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16467 Save s}").code, TCL_OK);
    EXPECT_EQ(commands::acceleratorCapacity(), 64);
    EXPECT_EQ(builtEntries(), Strings{"0x0B 0x53 40000"});
    headless::clearCalls();
    ASSERT_EQ(eval("::menu::createmenu {"
                   " ::menu::menu -ishortcut [expr {0x8073}] Exit a;"
                   " ::menu::menu -ishortcut [expr {0x6053}] SaveAs b;"
                   " ::menu::menu -ishortcut [expr {0xE041}] All c;"
                   " ::menu::menu -ishortcut [expr {0x4090}] High d;"
                   " ::menu::menu -ishortcut 16463 Open e;"
                   " ::menu::menu -ishortcut [expr {0x10000 | 0x1F00 | 0x41}] OnlyKey f;"
                   "}").code, TCL_OK);
    EXPECT_EQ(builtEntries(), (Strings{"0x13 0x73 40000", "0x0F 0x53 40001", "0x1F 0x41 40002",
                                                        "0x0B 0x90 40003", "0x0B 0x4F 40004", "0x03 0x41 40005"}));
    EXPECT_EQ(callsNamed("CreateAcceleratorTableW("), Strings{"CreateAcceleratorTableW(6)"});
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Plain p}").code, TCL_OK);
    headless::clearCalls();
    EXPECT_EQ(commands::acceleratorTable(), 0);
    EXPECT_EQ(commands::acceleratorTable(), 0);
    EXPECT_EQ(headless::countCalls("CreateAcceleratorTableW"), 2);
    // A key without a table still reaches the default handling.
    headless::clearCalls();
    key(0x4F, false, true, false);
    EXPECT_EQ(headless::countCalls("TranslateAcceleratorW"), 1);
    EXPECT_EQ(headless::countCalls("DefWindowProcW"), 1);
    ASSERT_EQ(eval("::menu::createmenu {"
                   " ::menu::menu -ishortcut 16463 Open {lappend ::ran ctrl-o};"
                   " ::menu::menu -ishortcut [expr {0x8073}] Exit {lappend ::ran alt-f4};"
                   " ::menu::menu -ishortcut [expr {0x6053}] SaveAs {lappend ::ran ctrl-shift-s}"
                   "}").code, TCL_OK);
    key(0x4F, false, false, false);
    key(0x4F, true, true, false);
    key(0x73, false, false, false);
    key(0x53, false, true, false);
    EXPECT_TRUE(globalList("::ran").empty());
    key(0x73, false, false, true);
    key(0x53, true, true, false);
    key(0x4F, false, true, false);
    EXPECT_EQ(globalList("::ran"), (Strings{"alt-f4", "ctrl-shift-s", "ctrl-o"}));
    // Entry i: key 0x41 + i % 43 (unique with the modifiers up to 129 entries), modifiers cycling through Shift/Ctrl/Alt.
    const auto buildBar = [](int count) {
        return eval("::menu::createmenu {for {set i 0} {$i < " + std::to_string(count) +
                    "} {incr i} { ::menu::menu -ishortcut [expr {(0x2000 << ($i % 3)) | (0x41 + $i % 43)}] Item$i "
                    "[list set ::ran $i] }}")
            .code;
    };
    // A smaller bar keeps the storage.
    for (const auto& [count, capacity] : {std::pair{64, 64}, {65, 128}, {129, 256}, {3, 256}}) {
        SCOPED_TRACE(count);
        ASSERT_EQ(buildBar(count), TCL_OK);
        EXPECT_EQ(commands::acceleratorCapacity(), capacity);
        Strings expected;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t fVirt = i % 3 == 0 ? 0x07 : i % 3 == 1 ? 0x0B : 0x13;
            expected.push_back(text({fVirt, static_cast<std::uint16_t>(0x41 + i % 43), static_cast<std::uint16_t>(40000 + i)}));
        }
        EXPECT_EQ(builtEntries(), expected);
    }
    // The last entry of the big bar reaches its item through the key.
    ASSERT_EQ(buildBar(129), TCL_OK);
    key(0x41 + 128 % 43, false, false, true);  // 128 % 3 == 2: Alt
    EXPECT_EQ(global("::ran"), "128");
}

// The bridge to ::locale::translate as the menu commands use it: call order,
// the message boxes of failed translations, and translation procedures that
// themselves call back into the menu and window commands.
Strings captions() {
    Strings out;
    for (const auto& box : headless::messageBoxes()) out.push_back(box.caption);
    return out;
}

TEST_F(Translation, FailuresShowABoxPerTextEvenWhileABoxIsUp) {
    startHostOrFail("rename ::locale::translate {}");
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut 16463 Open a; ::menu::menu Quit q;"
                   " ::menu::submenu Recent {}}").code, TCL_OK);
    EXPECT_EQ(captions(),
              (Strings{"error in translateObj", "error in translate", "error in translateObj", "error in translate"}));
    for (const auto& box : headless::messageBoxes()) {
        EXPECT_EQ(box.style, 0u);
        EXPECT_EQ(box.text.rfind("invalid command name \"::locale::translate\"\n    while executing\n", 0), 0u) << box.text;
    }
    EXPECT_EQ(labels(bar()), (Strings{"Open\tCtrl+O", "Quit", "Recent"}));
    EXPECT_EQ(headless::countCalls("MessageBoxW"), 4);
    // A modal box runs a message loop: commands can arrive before it returns.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Old {lappend ::ran old}}").code, TCL_OK);
    headless::onMessageBox([](const headless::MessageBoxRecord&) { command(40000); });
    const auto built = eval("::menu::createmenu {::menu::menu New {lappend ::ran new}; ::menu::menu Other x}");
    // The first box comes before New stores its action, the second after.
    EXPECT_EQ(globalList("::ran"), (Strings{"old", "new"}));
    // The actions left the interrupted item's result alone: the failed translation's message.
    EXPECT_EQ(built.outcome(), "ok: invalid command name \"::locale::translate\"");
    EXPECT_EQ(labels(bar()), (Strings{"New", "Other"}));
}

TEST_F(Translation, TextsAreTranslatedInOrderAndAFailureAffectsOnlyItsWord) {
    startHostOrFail(R"tcl(
        proc ::locale::translate {text} {
            lappend ::asked $text
            switch -- $text {
                Blank { return "" }
                Ctrl+ { return "Strg+" }
                default { return "<$text>" }
            }
        })tcl");
    ASSERT_EQ(eval("::menu::createmenu {"
                   " ::menu::menu -ishortcut [expr {0xE04B}] All a;"
                   " ::menu::menu -ishortcut 16463 Blank b;"
                   " ::menu::submenu Sub {::menu::menu -ishortcut 0 Plain p}"
                   "}").code, TCL_OK);
    EXPECT_EQ(globalList("::asked"), (Strings{"All", "Shift+", "Ctrl+", "Alt+", "Blank", "Ctrl+", "Plain", "Sub"}));
    EXPECT_EQ(labels(bar()), (Strings{"<All>\t<Shift+>Strg+<Alt+>K", "\tStrg+O", "<Sub>"}));
    EXPECT_EQ(labels(items(bar())[2].subMenu), Strings{"<Plain>"});
    EXPECT_TRUE(headless::messageBoxes().empty());
    ASSERT_EQ(eval(R"tcl(
        proc ::locale::translate {text} {
            if {$text eq "Ctrl+"} { error "no word for $text" }
            return "T($text)"
        })tcl").code, TCL_OK);
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu -ishortcut [expr {0x6053}] Save s}").code, TCL_OK);
    EXPECT_EQ(labels(bar()), Strings{"T(Save)\tT(Shift+)Ctrl+S"});
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].caption, "error in translate");
    EXPECT_EQ(headless::messageBoxes()[0].text.rfind("no word for Ctrl+\n", 0), 0u);
}

TEST_F(Translation, BridgeVariantsFallBackAndHandOutReferences) {
    startHostOrFail(R"tcl(proc ::locale::translate {text} { if {$text eq "bad"} { error oops }; return [string toupper $text] })tcl");
    Tcl_Interp* interp = host::interpreter();
    EXPECT_STREQ(Tcl_GetString(commands::translatedText(interp, "good").get()), "GOOD");
    EXPECT_STREQ(Tcl_GetString(commands::translatedText(interp, "bad").get()), "bad");
    const support::TclRef word(Tcl_NewStringObj("bad", -1));
    EXPECT_EQ(commands::translatedText(interp, word.get()).get(), word.get());
    const support::TclRef fresh = commands::translatedText(interp, "bad");
    EXPECT_STREQ(Tcl_GetString(fresh.get()), "bad");
    EXPECT_EQ(fresh.get()->refCount, 1);
    const support::TclRef fine(Tcl_NewStringObj("fine", -1));
    const support::TclRef translated = commands::translatedText(interp, fine.get());
    EXPECT_STREQ(Tcl_GetString(translated.get()), "FINE");
    // Still ours after the interpreter result moves on.
    Tcl_ResetResult(interp);
    EXPECT_EQ(translated.get()->refCount, 1);
    EXPECT_EQ(captions(), (Strings{"error in translate", "error in translateObj", "error in translate"}));
}

TEST_F(Translation, TranslationsThatBuildBarsOrDestroyTheWindow) {
    startHostOrFail(R"tcl(
        proc ::locale::translate {text} {
            if {$text eq "Outer" && ![info exists ::nested]} {
                set ::nested 1
                ::menu::menu Nested n
                lappend ::refused [catch {::menu::createmenu {::menu::menu Inner i}} m] $m
            }
            return $text
        })tcl");
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu First f; ::menu::menu Outer o; ::menu::menu Last l}").code, TCL_OK);
    // The nested item took the next ID and position; the outer one keeps the ID
    // it took before translating and goes in after it.
    Strings idsAndTexts;
    for (const auto& item : items(bar())) idsAndTexts.push_back(std::to_string(item.id) + " " + item.text);
    EXPECT_EQ(idsAndTexts, (Strings{"40000 First", "40002 Nested", "40001 Outer", "40003 Last"}));
    EXPECT_EQ(globalList("::refused"), (Strings{"1", "not valid here - a menu is being built"}));
    EXPECT_EQ(strayMenus(bar()), 0);
    // A submenu outside createmenu translates its caption with no body running:
    // the translation may build and install a bar before the item is inserted.
    ASSERT_EQ(eval(R"tcl(
        proc ::locale::translate {text} {
            if {$text eq "Orphan"} { ::menu::createmenu {::menu::menu FromTranslation {lappend ::ran t}} }
            if {$text eq "Stray"} { catch {::menu::createmenu {::menu::menu Half h; error half}} }
            return $text
        })tcl").code, TCL_OK);
    // Leftover state first, so that there is a menu under construction to lose.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Left l; error stop}").code, TCL_ERROR);
    const platform::MenuHandle leftover = commands::menuUnderConstruction();
    ASSERT_NE(leftover, 0);
    headless::clearConsoleOutput();
    ASSERT_EQ(eval("::menu::submenu Orphan {::menu::menu Child c}").code, TCL_OK);
    EXPECT_FALSE(headless::menuExists(leftover));
    EXPECT_EQ(labels(bar()), Strings{"FromTranslation"});
    // The leftover it would have gone into is gone, so its insertion fails and the submenu is freed.
    EXPECT_EQ(headless::consoleOutput(), "Invalid menu handle.\r\n in ::menu::submenu\n\n");
    EXPECT_EQ(brokenInvariant(), "");

    // A command item for a leftover menu that its translation replaced has no
    // menu left to go into; above all it must not take over the action of the
    // new bar's item with the same command ID.
    ASSERT_EQ(eval("::menu::createmenu {error stop}").code, TCL_ERROR);
    EXPECT_EQ(eval("::menu::menu -ishortcut 16463 Orphan {lappend ::ran orphan}").outcome(),
              "error: not valid here - must be called from within createmenu");
    EXPECT_EQ(labels(bar()), Strings{"FromTranslation"});
    command(40000);
    key(0x4F, false, true, false);
    EXPECT_EQ(globalList("::ran"), Strings{"t"});

    // When the translation leaves a new leftover menu, the item joins it with
    // an ID of that menu's numbering.
    ASSERT_EQ(eval("::menu::createmenu {error stop}").code, TCL_ERROR);
    ASSERT_EQ(eval("::menu::menu Stray s").code, TCL_OK);
    const platform::MenuHandle second = commands::menuUnderConstruction();
    ASSERT_NE(second, 0);
    EXPECT_EQ(records(second), (Strings{"0x12 0x0 40000 Half", "0x12 0x0 40001 Stray"}));
    EXPECT_EQ(eval("list $::menu::actions(40000) $::menu::actions(40001)").outcome(), "ok: h s");
    EXPECT_EQ(brokenInvariant(), "");

    // A translation that destroys the window.
    ASSERT_EQ(eval(R"tcl(
        proc ::locale::translate {text} {
            if {$text eq "Boom"} { ::screen::destroywnd $::parentwindow }
            return $text
        })tcl").code, TCL_OK);
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Keep k}").code, TCL_OK);
    EXPECT_EQ(eval("::menu::createmenu {::menu::menu A a; ::menu::menu -ishortcut 16463 Boom b; ::menu::menu C c}").code,
              TCL_OK);
    EXPECT_FALSE(headless::window(support::mainWindow()).has_value());
    EXPECT_EQ(headless::liveMenuCount(), 0);
    EXPECT_EQ(headless::invalidMenuHandleUses(), 0);
    EXPECT_EQ(host::runMessageLoop(), 0);
}

}  // namespace
