// The accelerator list behind the shortcuts: entry encoding, growth, the
// lazily built table, and when a table is thrown away.
#include <cstdio>

#include "commands/accelerators.h"
#include "tests/host_test.h"

namespace {

using namespace host_test;
using Accelerators = Host;

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
    const auto built = builtEntries();
    ASSERT_EQ(built.size(), 2u);
    EXPECT_EQ(built[1], "0x0B 0x53 40001");
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
    eval("unset -nocomplain ::ran");
    // The action behind Ctrl+O builds a new bar with other shortcuts while the
    // platform is still inside TranslateAcceleratorW with the old table.
    ASSERT_EQ(eval("proc ::rebuild {} {"
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

}  // namespace
