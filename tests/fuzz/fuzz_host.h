// Shared by the fuzz targets that run host commands: the host started
// in-process on the headless platform, as a new process would start it.
#pragma once

#include <tcl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "platform/headless/headless.h"
#include "support/main_window.h"
#include "tests/fuzz/fuzz_input.h"

namespace fuzz {

// What the host requires of an application script, doing nothing else.
inline constexpr std::string_view kQuietScript = R"tcl(
namespace eval ::screen {}
namespace eval ::locale {}
namespace eval ::vesk {}
namespace eval ::config {}
proc ::locale::translate {text} { return $text }
proc ::screen::doresize {area} {}
proc ::vesk::filedialog {mode files} {}
proc ::config::save {} {}
)tcl";

// One temporary folder per process, removed at exit. The exit handler keeps
// its own copy of the name: the path object is destroyed before it runs.
inline const std::filesystem::path& hostFolder() {
    static char made[4096];
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "vesk_fuzz_XXXXXX").string();
        if (pattern.size() >= sizeof made || ::mkdtemp(pattern.data()) == nullptr) std::abort();
        std::filesystem::create_directories(std::filesystem::path(pattern) / "default");
        pattern.copy(made, pattern.size());
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Back to a new process, then start-up with script as default/vesk.tcl.
inline void startHost(std::string_view script) {
    static const bool tclReady = (Tcl_FindExecutable(nullptr), true);
    static_cast<void>(tclReady);
    host::resetProcessState();
    headless::reset();
    static std::string written;  // the file is only rewritten when the script changes
    if (script != written) {
        written = script;
        std::ofstream(hostFolder() / "default" / "vesk.tcl", std::ios::binary | std::ios::trunc) << script;
    }
    headless::setModuleFileName((hostFolder() / "vesk2b").string());
    headless::setRecording(false);
    int exitCode = 0;
    FUZZ_CHECK(host::startUp(platform::kSwShowDefault, exitCode));
    FUZZ_CHECK(support::mainWindow() != 0);
}

// A Tcl list of the words, each a fresh object of exactly those bytes.
inline Tcl_Obj* listOf(const std::vector<std::string>& words) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (const std::string& word : words)
        Tcl_ListObjAppendElement(nullptr, list, Tcl_NewStringObj(word.data(), static_cast<int>(word.size())));
    return list;
}

// Runs the words as one command at global level; returns the completion code.
inline int evalWords(const std::vector<std::string>& words) {
    Tcl_Obj* list = listOf(words);
    Tcl_IncrRefCount(list);
    int count = 0;
    Tcl_Obj** objv = nullptr;
    Tcl_ListObjGetElements(nullptr, list, &count, &objv);
    const int code = Tcl_EvalObjv(host::interpreter(), count, objv, TCL_EVAL_GLOBAL);
    Tcl_DecrRefCount(list);
    return code;
}

inline std::string result() { return Tcl_GetStringResult(host::interpreter()); }

}  // namespace fuzz
