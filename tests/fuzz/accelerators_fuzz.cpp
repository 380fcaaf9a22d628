// Shortcut codes of any value: a bar built from a long list of them gives
// each item its label (caption, tab, modifier words, one key name per key)
// and the accelerator list one entry per shortcut, in order, which the built
// table holds exactly; entries added later replace the table.
#include <cstdio>
#include <map>

#include "commands/accelerators.h"
#include "tests/fresh_host.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

void checkList(const std::vector<platform::Accelerator>& expected) {
    FUZZ_CHECK(commands::acceleratorCount() == static_cast<int>(expected.size()));
    const int capacity = commands::acceleratorCapacity();
    FUZZ_CHECK(capacity >= commands::acceleratorCount() && capacity >= 64 && (capacity & (capacity - 1)) == 0);
    const platform::AcceleratorTableHandle table = commands::acceleratorTable();
    FUZZ_CHECK((table == 0) == expected.empty());
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), commands::acceleratorEntries()));
    // The built table holds exactly the list.
    FUZZ_CHECK(table == 0 || headless::acceleratorTable(table) == expected);
    FUZZ_CHECK(headless::liveAcceleratorTableCount() <= 1 && headless::invalidAcceleratorTableUses() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int runs = 0;
    if (runs++ % 256 == 0) FUZZ_CHECK(fresh_host::start({}, false));
    fuzz::Input input(data, size);

    // A list of codes, repeated up to eight times to pass the growth steps.
    std::vector<std::int32_t> pattern;
    for (int n = input.below(48); n > 0; --n) pattern.push_back(static_cast<std::int32_t>(input.integer()));
    std::vector<std::int32_t> codes;
    for (int repeat = 1 + input.below(8); repeat > 0; --repeat) codes.insert(codes.end(), pattern.begin(), pattern.end());
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (std::int32_t code : codes) Tcl_ListObjAppendElement(nullptr, list, Tcl_NewIntObj(code));
    Tcl_SetVar2Ex(host::interpreter(), "::fuzzcodes", nullptr, list, TCL_GLOBAL_ONLY);
    FUZZ_CHECK(fresh_host::evalWords({"::menu::createmenu",
                                "set i 0; foreach c $::fuzzcodes {::menu::menu -ishortcut $c C[incr i] {}}"}) == TCL_OK);

    const auto items = headless::menuItems(headless::window(support::mainWindow())->menu);
    FUZZ_CHECK(items.size() == codes.size());
    std::vector<platform::Accelerator> expected;
    std::map<int, std::string> keyNames;  // one name per key (its low seven bits)
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::int32_t code = codes[i];
        const std::int32_t id = 40000 + static_cast<std::int32_t>(i);
        FUZZ_CHECK(items[i].id == static_cast<std::uint32_t>(id));
        const std::string label = "C" + std::to_string(i + 1) + (code != 0 ? fuzz::modifierWords(code) : "");
        if (code == 0) {
            FUZZ_CHECK(items[i].text == label);
            continue;
        }
        expected.push_back(fuzz::acceleratorFor(code, id));
        FUZZ_CHECK(items[i].text.compare(0, label.size(), label) == 0 && items[i].text.size() > label.size());
        const std::string name = items[i].text.substr(label.size());
        FUZZ_CHECK(name.find('\t') == std::string::npos);
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(code & 0xFF));
        if (name.starts_with("0x"))
            FUZZ_CHECK(name == hex);  // no name for the key: its code
        else
            FUZZ_CHECK(keyNames.emplace(code & 0x7F, name).first->second == name);
    }
    checkList(expected);

    // Entries added after the table was built, with IDs of any value.
    for (int n = input.below(4); n > 0; --n) {
        const auto code = static_cast<std::int32_t>(input.integer()), id = static_cast<std::int32_t>(input.integer());
        commands::addAccelerator(code, id);
        expected.push_back(fuzz::acceleratorFor(code, id));
        checkList(expected);
    }
    return 0;
}
