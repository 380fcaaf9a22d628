// The bridge to ::locale::translate as the menu commands use it: call order,
// the message boxes of failed translations, and translation procedures that
// themselves call back into the menu and window commands.
#include "commands/menus.h"
#include "commands/translation.h"
#include "tests/host_test.h"

namespace {

using namespace host_test;
using Translation = StartedInTest;

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
    ASSERT_EQ(built.code, TCL_OK);
    // The first box comes before New stores its action, the second after.
    EXPECT_EQ(globalList("::ran"), (Strings{"old", "new"}));
    // The actions left the interrupted item's result alone: the failed translation's message.
    EXPECT_EQ(built.result, "invalid command name \"::locale::translate\"");
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
    const auto joined = items(second);
    ASSERT_EQ(joined.size(), 2u);
    EXPECT_EQ(joined[0].id, 40000u);
    EXPECT_EQ(std::to_string(joined[1].id) + " " + joined[1].text, "40001 Stray");
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
