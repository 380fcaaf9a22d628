// Option words and integers of ::vesk::filedlg and ::menu::menu: every word
// list gives the documented result (the dialog with the chosen kind, title
// and filter index; the item with its label, ID, action and shortcut) or the
// documented error, and nothing else.
#include <cstring>
#include <optional>

#include "commands/accelerators.h"
#include "support/tcl_ref.h"
#include "tests/fresh_host.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using namespace fresh_host;

constexpr const char* kDialogOptions[] = {"-noplaces", "-addtorecent", "-title", "-save", "-open", "--"};
constexpr const char* kMenuOptions[] = {"-ishortcut", "--"};

// Tcl's lookup with flags 0: an exact entry, else a unique prefix; -1 for
// no match, -2 for an ambiguous one. Words compare as C strings, as Tcl does.
template <std::size_t N>
int lookUp(const std::string& word, const char* const (&table)[N]) {
    const char* key = word.c_str();
    int found = -1, prefixes = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (std::strcmp(key, table[i]) == 0) return static_cast<int>(i);
        if (std::strncmp(key, table[i], std::strlen(key)) == 0) ++prefixes, found = static_cast<int>(i);
    }
    return prefixes == 1 ? found : prefixes > 1 ? -2 : -1;
}

std::string optionWord(fuzz::Input& input) {
    static constexpr const char* kWords[] = {"-noplaces", "-addtorecent", "-title", "-save", "-open", "--", "-ishortcut",
                                             "-i",        "-t",           "-s",     "-o",    "-",  "-x", "-n", "-a"};
    return input.flag() ? kWords[input.below(static_cast<int>(std::size(kWords)))] : input.word();
}

void checkOptionError(int code, int option, const std::string& word) {
    FUZZ_CHECK(code == TCL_ERROR);
    FUZZ_CHECK(result().starts_with((option == -2 ? "ambiguous options \"" : "bad options \"") + std::string(word.c_str()) + "\""));
}

void fileDialog(std::vector<std::string> words, fuzz::Input& input) {
    bool save = false;
    std::optional<std::string> title;
    std::size_t i = 1;
    for (; i < words.size() && words[i].c_str()[0] == '-'; ++i) {
        const int option = lookUp(words[i], kDialogOptions);
        if (option < 0) return checkOptionError(evalWords(words), option, words[i]);
        if (option == 5) { ++i; break; }
        if (option == 2 && ++i < words.size()) title = words[i].c_str();
        if (option == 3 || option == 4) save = option == 3;
    }
    const std::size_t dialogsBefore = headless::dialogs().size();
    if (words.size() - i != 1) {
        FUZZ_CHECK(evalWords(words) == TCL_ERROR && result() == "wrong # args: should be \"" + words[0] + " filter\"");
        FUZZ_CHECK(headless::dialogs().size() == dialogsBefore);
        return;
    }
    // The user's answer: some names chosen, or a cancel or failure code.
    const bool choose = input.flag();
    std::vector<std::string> names;
    for (int n = choose ? 1 + input.below(4) : 0; n > 0; --n) names.push_back("n" + std::to_string(input.u32()));
    headless::DialogAnswer answer = choose ? headless::chooseFiles(names) : headless::cancelDialog();
    if (!choose) answer.errorCode = input.u32() % 100000;
    headless::queueDialogAnswer(answer);
    const int code = evalWords(words);
    FUZZ_CHECK(headless::dialogs().size() == dialogsBefore + 1);
    const headless::DialogRecord& shown = headless::dialogs().back();
    FUZZ_CHECK(shown.save == save && shown.title == title && shown.maxFile == 0x8000);
    FUZZ_CHECK(shown.filterIndex == static_cast<std::uint32_t>(std::count(words[i].begin(), words[i].end(), '|') / 2));
    if (answer.chosen)
        FUZZ_CHECK(code == TCL_OK && listElements(Tcl_GetObjResult(host::interpreter())) == names);
    else
        FUZZ_CHECK(code == TCL_ERROR &&
                   result() == "error on GetOpenFileName/GetSaveFileName: " + std::to_string(answer.errorCode));
}

void menuItem(std::vector<std::string> words) {
    Tcl_Interp* interp = host::interpreter();
    int shortcut = 0;
    std::size_t i = 1;
    while (i < words.size() && words[i].c_str()[0] == '-') {
        const int option = lookUp(words[i], kMenuOptions);
        if (option < 0) return checkOptionError(evalWords(words), option, words[i]);
        ++i;
        if (option == 1 || i >= words.size()) break;
        // The value as Tcl reads integers, message included.
        const support::TclRef value(Tcl_NewStringObj(words[i].data(), static_cast<int>(words[i].size())));
        if (Tcl_GetIntFromObj(interp, value.get(), &shortcut) != TCL_OK) {
            const std::string message = result();
            FUZZ_CHECK(evalWords(words) == TCL_ERROR && result() == message);
            return;
        }
        ++i;
    }
    // Run inside a bar's body, so that a well-formed item is created.
    Tcl_SetVar2Ex(interp, "::fuzzwords", nullptr, listOf(words), TCL_GLOBAL_ONLY);
    const int code = evalWords({"::menu::createmenu", "::menu::menu {*}[lrange $::fuzzwords 1 end]"});
    if (words.size() - i != 2) {
        FUZZ_CHECK(code == TCL_ERROR && result() == "wrong # args: should be \"::menu::menu ?options? caption action\"");
        return;
    }
    FUZZ_CHECK(code == TCL_OK);
    const auto items = headless::menuItems(headless::window(support::mainWindow())->menu);
    FUZZ_CHECK(items.size() == 1 && items[0].id == 40000);
    FUZZ_CHECK(global("::menu::actions(40000)") == std::string(words[i + 1].c_str()));
    const std::string label = words[i].c_str() + (shortcut != 0 ? fuzz::modifierWords(shortcut) : "");
    const std::string& shown = items[0].text;
    FUZZ_CHECK(shown.size() <= 255 && shown.starts_with(label.substr(0, 255)));
    const std::string keyName = shown.substr(std::min(shown.size(), label.size()));
    FUZZ_CHECK(keyName.find('\t') == std::string::npos);
    FUZZ_CHECK(shortcut == 0 ? shown == label : (!keyName.empty() || label.size() >= 255));
    FUZZ_CHECK(commands::acceleratorCount() == (shortcut != 0 ? 1 : 0));
    FUZZ_CHECK(shortcut == 0 || commands::acceleratorEntries()[0] == fuzz::acceleratorFor(shortcut, 40000));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A new host now and then keeps the platform's records from growing.
    static int runs = 0;
    if (runs++ % 512 == 0 || !headless::window(support::mainWindow())) FUZZ_CHECK(start({}, false));
    fuzz::Input input(data, size);
    const bool dialog = input.flag();
    std::vector<std::string> words{dialog ? "::vesk::filedlg" : "::menu::menu"};
    for (int n = input.below(8); n > 0; --n) words.push_back(optionWord(input));
    if (dialog)
        fileDialog(words, input);
    else
        menuItem(words);
    return 0;
}
