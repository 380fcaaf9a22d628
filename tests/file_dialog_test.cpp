// ::vesk::filedlg: option parsing, the filter block and index, what the
// platform dialog is given, the selection as a list, failures, centring.
#include "commands/file_dialog.h"
#include "support/tcl_ref.h"
#include "tests/host_test.h"

namespace {

using namespace host_test;
using FileDialog = Host;

constexpr const char* kUsage = "error: wrong # args: should be \"::vesk::filedlg filter\"";

const headless::DialogRecord& lastDialog() { return headless::dialogs().back(); }

TEST_F(FileDialog, WrongArgumentsShowNoDialogAndFiltersBecomeBlocks) {
    for (const char* script : {"::vesk::filedlg", "::vesk::filedlg -save", "::vesk::filedlg --", "::vesk::filedlg -title",
                               "::vesk::filedlg -title T", "::vesk::filedlg a b", "::vesk::filedlg -save a b"}) {
        SCOPED_TRACE(script);
        EXPECT_EQ(eval(script).outcome(), kUsage);
    }
    EXPECT_EQ(eval("::vesk::filedlg -x a").result,
              "bad options \"-x\": must be -noplaces, -addtorecent, -title, -save, -open, or --");
    EXPECT_EQ(eval("::vesk::filedlg - a").result,
              "ambiguous options \"-\": must be -noplaces, -addtorecent, -title, -save, -open, or --");
    // Without "--" a filter that begins with '-' is taken for an option.
    EXPECT_EQ(eval("::vesk::filedlg -All|*").code, TCL_ERROR);
    EXPECT_TRUE(headless::dialogs().empty());
    using namespace std::string_literals;
    // The filter text, its block and its index.
    const std::tuple<std::string, std::string, std::uint32_t> cases[] = {
        {"Text|*.txt|All|*.*", "Text\0*.txt\0All\0*.*\0\0"s, 1},
        {"Text|*.txt|All|*.*|", "Text\0*.txt\0All\0*.*\0\0\0"s, 2},
        {"Text|*.txt", "Text\0*.txt\0\0"s, 0},
        {"", "\0\0"s, 0},
        {"A|a|B|b|C|c", "A\0a\0B\0b\0C\0c\0\0"s, 2},
    };
    for (const auto& [text, expectedBlock, index] : cases) {
        SCOPED_TRACE(text);
        const commands::FilterBlock block = commands::convertFilter(text);
        EXPECT_EQ(std::string(block.bytes.get(), block.size), expectedBlock);
        EXPECT_EQ(block.index, index);

        headless::queueDialogAnswer(headless::cancelDialog());
        evalWords({"::vesk::filedlg", "--", text});
        // The dialog reads the pairs up to the first empty string.
        const std::string& seen = lastDialog().filterBlock;
        EXPECT_EQ(seen, expectedBlock.substr(0, seen.size()));
        EXPECT_EQ(lastDialog().filterIndex, index);
    }
    // "--" lets a filter begin with '-'.
    headless::queueDialogAnswer(headless::cancelDialog());
    eval("::vesk::filedlg -- -Dash|*");
    EXPECT_EQ(lastDialog().filterBlock, std::string("-Dash\0*\0\0", 9));
}

TEST_F(FileDialog, FieldsKindSelectionAndResultCodes) {
    // The options, whether they ask for the save dialog, and the title they give.
    const std::tuple<const char*, bool, std::optional<std::string>> cases[] = {
        {"", false, std::nullopt},
        {"-save", true, std::nullopt},
        {"-save -open", false, std::nullopt},
        {"-open -save", true, std::nullopt},
        {"-s -noplaces -t {Pick one} -addtorecent", true, "Pick one"},
        {"-title First -title Second -noplaces", false, "Second"},
        {"-addtorecent -title {} --", false, ""},
    };
    for (const auto& [options, save, title] : cases) {
        SCOPED_TRACE(options);
        headless::queueDialogAnswer(headless::cancelDialog());
        EXPECT_EQ(eval(std::string("::vesk::filedlg ") + options + " {Text|*.txt}").code, TCL_ERROR);
        const auto& d = lastDialog();
        // "save size flags maxFile fileStartsEmpty hasHook"; the save dialog asks before replacing.
        EXPECT_EQ(std::to_string(d.save) + " " + std::to_string(d.structSize) + " " + std::to_string(d.flags) + " " +
                      std::to_string(d.maxFile) + " " + std::to_string(d.fileStartsEmpty) + std::to_string(d.hasHook),
                  std::to_string(save) + " 76 " + std::to_string(save ? 0x881A26u : 0x881A24u) + " 32768 11");
        EXPECT_EQ(d.owner, support::mainWindow());
        EXPECT_EQ(std::to_string(d.owner), global("parentwindow"));
        EXPECT_EQ(d.title, title);
    }
    EXPECT_EQ(headless::countCalls("GetSaveFileNameW"), 3);
    EXPECT_EQ(headless::countCalls("GetOpenFileNameW"), 4);
    headless::queueDialogAnswer(headless::chooseFiles({"C:\\My Files\\a b.txt"}));
    EXPECT_EQ(eval("set r [::vesk::filedlg {All|*.*}]; list [llength $r] [lindex $r 0]").outcome(),
              "ok: 1 {C:\\My Files\\a b.txt}");

    headless::queueDialogAnswer(headless::chooseFiles({"C:\\dir", "a.txt", "b {x}.txt", "\xC3\xA9t\xE9.txt"}));
    EXPECT_EQ(eval("::vesk::filedlg -save {All|*.*}").code, TCL_OK);
    // Bytes pass unchanged, whatever their encoding.
    EXPECT_EQ(listElements(Tcl_GetObjResult(host::interpreter())),
              (Strings{"C:\\dir", "a.txt", "b {x}.txt", "\xC3\xA9t\xE9.txt"}));

    // An empty block (the first byte NUL) is an empty result.
    const char empty[] = {'\0', 'x', '\0', '\0'};
    EXPECT_STREQ(Tcl_GetString(support::TclRef(commands::convertSelection(empty, sizeof empty)).get()), "");
    headless::queueDialogAnswer(headless::cancelDialog());
    EXPECT_EQ(eval("::vesk::filedlg {All|*.*}").outcome(), "error: error on GetOpenFileName/GetSaveFileName: 0");

    headless::DialogAnswer failed;
    failed.errorCode = 0xFFFF;
    headless::queueDialogAnswer(failed);
    EXPECT_EQ(eval("::vesk::filedlg -save {All|*.*}").result, "error on GetOpenFileName/GetSaveFileName: 65535");

    // A selection that does not fit the 32768-byte buffer.
    headless::queueDialogAnswer(headless::chooseFiles({"C:\\dir", std::string(20000, 'a'), std::string(12759, 'b')}));
    EXPECT_EQ(eval("::vesk::filedlg {All|*.*}").outcome(), "error: error on GetOpenFileName/GetSaveFileName: 12291");
    // One byte less fits exactly.
    headless::queueDialogAnswer(headless::chooseFiles({"C:\\dir", std::string(20000, 'a'), std::string(12758, 'b')}));
    EXPECT_EQ(eval("llength [::vesk::filedlg {All|*.*}]").outcome(), "ok: 3");
}

TEST_F(FileDialog, CentredOnTheMainWindowAndCommandsRunWhileItIsUp) {
    // The main window's frame, the dialog's, and where the dialog goes.
    const std::tuple<platform::Rect, platform::Rect, platform::Rect> cases[] = {
        {{100, 100, 900, 700}, {0, 0, 500, 400}, {250, 200, 750, 600}},
        {{100, 100, 901, 700}, {0, 0, 500, 400}, {250, 200, 750, 600}},
        {{100, 100, 900, 700}, {0, 0, 901, 400}, {50, 200, 951, 600}},
        {{100, 100, 900, 700}, {10, 20, 510, 821}, {250, 0, 750, 801}},  // -201 / 2 is -100
        // Centred off the work area (0 0 1600 1160 here): moved back inside it, or to
        // its top-left corner when larger.
        {{-300, -200, 0, 0}, {0, 0, 100, 50}, {0, 0, 100, 50}},
        {{1400, 1000, 1600, 1200}, {0, 0, 500, 400}, {1100, 760, 1600, 1160}},
        {{100, 100, 900, 700}, {0, 0, 2000, 1300}, {0, 0, 2000, 1300}},
    };
    EXPECT_EQ(commands::centredPosition({-300, -200, 0, 0}, {0, 0, 100, 50}).x, -200);
    const platform::WindowHandle window = support::mainWindow();
    for (const auto& [main, dialog, expected] : cases) {
        SCOPED_TRACE(text(main) + " / " + text(dialog));
        ASSERT_TRUE(platform::setWindowPos(window, 0, main.left, main.top, main.right - main.left,
                                           main.bottom - main.top, platform::kSwpNoZOrder));
        headless::setDialogFrame(dialog);
        headless::queueDialogAnswer(headless::cancelDialog());
        eval("::vesk::filedlg {All|*.*}");
        EXPECT_EQ(text(lastDialog().frameAfterHook), text(expected));
    }
    const auto moves = callsNamed("SetWindowPos(");
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back().substr(moves.back().size() - 13), ", 0, 0, 0x15)");
    // The hook ignores every other message.
    headless::clearCalls();
    EXPECT_EQ(commands::centringHook(window, platform::kWmCommand, 0, 0), 0u);
    EXPECT_TRUE(headless::calls().empty());
    // The dialog's own message loop hands commands to the window meanwhile:
    // here one that rebuilds the bar and destroys the window.
    ASSERT_EQ(eval("::menu::createmenu {::menu::menu Close {::menu::createmenu {::menu::menu X x};"
                   " ::screen::destroywnd $parentwindow}}").code, TCL_OK);
    headless::DialogAnswer answer = headless::chooseFiles({"C:\\a.txt"});
    answer.whileOpen = [] { command(40000); };
    headless::queueDialogAnswer(answer);
    EXPECT_EQ(eval("::vesk::filedlg -title Open {All|*.*}").outcome(), "ok: {C:\\a.txt}");
    EXPECT_FALSE(headless::window(support::mainWindow()).has_value());
    EXPECT_EQ(headless::liveMenuCount(), 0);
    EXPECT_EQ(host::runMessageLoop(), 0);
}

}  // namespace
