// Shared by the host tests: a fixture that starts every test from the state of
// a new process, with an application script in a temporary folder, and
// helpers to run the host, evaluate Tcl in its interpreter and read globals.
#pragma once

#include <gtest/gtest.h>
#include <tcl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "support/main_window.h"

namespace host_test {

// An application script that satisfies the host and records what reached it:
//   ::test::resizes   one element per ::screen::doresize call, its argument
//   ::test::files     one element per ::vesk::filedialog call, {mode files}
//   ::test::saves     how often ::config::save ran
inline constexpr std::string_view kDefaultScript = R"tcl(
namespace eval ::test { variable resizes {} files {} saves 0 }
namespace eval ::screen {}
namespace eval ::locale {}
namespace eval ::vesk {}
namespace eval ::config {}
proc ::locale::translate {text} { return $text }
proc ::screen::doresize {clientArea} { lappend ::test::resizes $clientArea }
proc ::vesk::filedialog {mode files} { lappend ::test::files [list $mode $files] }
proc ::config::save {} { incr ::test::saves }
)tcl";

// What an evaluation left behind.
struct Evaluation {
    int code = TCL_OK;
    std::string result;
    std::optional<std::string> errorInfo;  // the global, if it exists
    std::optional<std::string> errorCode;  // the global, if it exists
};

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        host::resetProcessState();
        // Tcl 8.6 must set up its subsystems before tests call it directly.
        Tcl_FindExecutable(nullptr);
        std::string pattern = (std::filesystem::temp_directory_path() / "vesk_test_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        std::filesystem::create_directories(folder_ / "default");
        writeScript(kDefaultScript);
        headless::setModuleFileName((folder_ / "vesk2b").string());
    }

    void TearDown() override {
        host::resetProcessState();
        headless::reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Replaces default/vesk.tcl. Call before startHost.
    void writeScript(std::string_view text) {
        std::ofstream file(folder_ / "default" / "vesk.tcl", std::ios::binary | std::ios::trunc);
        file << text;
    }

    // The application script: the recording script above, then extra.
    void writeScriptWith(std::string_view extra) {
        writeScript(std::string(kDefaultScript) + "\n" + std::string(extra) + "\n");
    }

    const std::filesystem::path& folder() const { return folder_; }

    // Runs start-up; returns what host::startUp returned. exitCode() holds
    // the code start-up chose when it ended early.
    bool startHost(int showCommand = platform::kSwShowDefault) {
        return host::startUp(showCommand, startExitCode_);
    }
    int exitCode() const { return startExitCode_; }

    // Start-up that must succeed, for tests about what comes after it.
    void startHostOrFail(int showCommand = platform::kSwShowDefault) {
        ASSERT_TRUE(startHost(showCommand));
        ASSERT_NE(host::interpreter(), nullptr);
        ASSERT_NE(support::mainWindow(), 0);
    }

public:
    // Evaluates script in the host interpreter at global level, with
    // errorInfo and errorCode unset first, so that what is read afterwards
    // was left by this evaluation.
    static Evaluation eval(std::string_view script) {
        Tcl_Interp* interp = host::interpreter();
        Tcl_UnsetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
        Tcl_UnsetVar(interp, "errorCode", TCL_GLOBAL_ONLY);
        Tcl_ResetResult(interp);
        Evaluation e;
        e.code = Tcl_EvalEx(interp, script.data(), static_cast<int>(script.size()), TCL_EVAL_GLOBAL);
        e.result = Tcl_GetStringResult(interp);
        e.errorInfo = global("errorInfo");
        e.errorCode = global("errorCode");
        return e;
    }

    // The value of a global variable (name may be qualified), if it exists.
    static std::optional<std::string> global(const char* name) {
        const char* value = Tcl_GetVar(host::interpreter(), name, TCL_GLOBAL_ONLY);
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    }

    // The elements of a Tcl list held in a global variable.
    static std::vector<std::string> globalList(const char* name) {
        std::vector<std::string> out;
        Tcl_Obj* value = Tcl_GetVar2Ex(host::interpreter(), name, nullptr, TCL_GLOBAL_ONLY);
        if (value == nullptr) return out;
        int count = 0;
        Tcl_Obj** elements = nullptr;
        if (Tcl_ListObjGetElements(nullptr, value, &count, &elements) != TCL_OK) return out;
        for (int i = 0; i < count; ++i) out.emplace_back(Tcl_GetString(elements[i]));
        return out;
    }

    // Index of the first recorded platform call starting with prefix, at or
    // after from; -1 when there is none.
    static int findCall(std::string_view prefix, int from = 0) {
        const auto& calls = headless::calls();
        for (int i = from; i < static_cast<int>(calls.size()); ++i) {
            if (std::string_view(calls[static_cast<std::size_t>(i)]).substr(0, prefix.size()) == prefix) return i;
        }
        return -1;
    }

    // All recorded calls starting with prefix, in order.
    static std::vector<std::string> callsNamed(std::string_view prefix) {
        std::vector<std::string> out;
        for (const std::string& call : headless::calls()) {
            if (std::string_view(call).substr(0, prefix.size()) == prefix) out.push_back(call);
        }
        return out;
    }

private:
    std::filesystem::path folder_;
    int startExitCode_ = -1;
};

}  // namespace host_test
