// ::menu::createmenu, ::menu::submenu, ::menu::separator and ::menu::menu:
// the items the platform receives, command IDs, labels, the states of the
// menu under construction and the rules for nested building.
#include <cstdio>

#include "commands/accelerators.h"
#include "commands/menus.h"
#include "tests/host_test.h"

namespace {

using namespace host_test;
using Menus = Host;

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
    const auto empty = eval("::menu::createmenu {}");
    ASSERT_EQ(empty.code, TCL_OK);
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
    const auto all = items(bar());
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].text, std::string(255, 'x'));
    // Without a shortcut the caption goes to the platform whole.
    EXPECT_EQ(all[1].text, caption);
    // A cut never splits a character.
    EXPECT_EQ(all[2].text, wide.substr(0, 254));
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
    ASSERT_EQ(items(bar()).size(), 1u);
    EXPECT_EQ(items(bar())[0].id, 40000u);
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

}  // namespace
