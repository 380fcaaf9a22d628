// vesk2b_bench: what a menu bar, a menu command and a resize cost in the
// host, on the headless platform with call recording off. Prints figures;
// CTest does not run it.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <tcl.h>

#include "host/host.h"
#include "platform/headless/headless.h"
#include "support/main_window.h"

namespace {

constexpr int kItems = 10000;
constexpr int kCommands = 100000;
constexpr int kResizes = 100000;
constexpr int kRounds = 5;

constexpr const char* kScript = R"tcl(
namespace eval ::screen {}
namespace eval ::locale {}
namespace eval ::config {}
proc ::locale::translate {text} { return $text }
proc ::screen::doresize {clientArea} { set ::area $clientArea }
proc ::config::save {} {}
set ::n 0
)tcl";

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

void evalOrDie(const std::string& script) {
    if (Tcl_EvalEx(host::interpreter(), script.data(), static_cast<int>(script.size()), TCL_EVAL_GLOBAL) != TCL_OK) {
        std::fprintf(stderr, "script failed: %s\n", Tcl_GetStringResult(host::interpreter()));
        std::exit(1);
    }
}

struct Figures {
    double best = 1e300;
    double sum = 0;
    void add(double perOperation) {
        best = std::min(best, perOperation);
        sum += perOperation;
    }
};

void print(const char* what, int count, const Figures& f, double target) {
    std::printf("%-44s %7d  best %6.3f us  mean %6.3f us  (target <= %.0f us)\n", what, count, f.best, f.sum / kRounds,
                target);
}

}  // namespace

int main() {
    std::string folder = (std::filesystem::temp_directory_path() / "vesk2b_bench_XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) return 1;
    std::filesystem::create_directories(std::filesystem::path(folder) / "default");
    std::ofstream(std::filesystem::path(folder) / "default" / "vesk.tcl") << kScript;

    headless::reset();
    headless::setModuleFileName((std::filesystem::path(folder) / "vesk2b").string());
    headless::setRecording(false);
    int exitCode = 0;
    if (!host::startUp(platform::kSwShowDefault, exitCode)) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    const platform::WindowHandle window = support::mainWindow();

    // A bar of kItems command items, each with a Ctrl shortcut, written out
    // item by item as an application script would.
    std::string body;
    for (int i = 0; i < kItems; ++i) {
        body += "::menu::menu -ishortcut " + std::to_string(0x4000 | (0x41 + i % 26)) + " Item" + std::to_string(i) +
                " {incr ::n}\n";
    }
    const std::string build = "::menu::createmenu {" + body + "}";
    Figures items;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        evalOrDie(build);
        items.add(microseconds(Clock::now() - start) / kItems);
    }

    // Commands spread over the bar's IDs, as a menu sends them.
    Figures commands;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        for (int i = 0; i < kCommands; ++i) {
            headless::sendMessage({window, platform::kWmCommand, static_cast<platform::WParam>(40000 + i % kItems), 0});
        }
        commands.add(microseconds(Clock::now() - start) / kCommands);
    }
    Tcl_Obj* n = Tcl_GetVar2Ex(host::interpreter(), "::n", nullptr, TCL_GLOBAL_ONLY);
    long ran = 0;
    if (n == nullptr || Tcl_GetLongFromObj(nullptr, n, &ran) != TCL_OK || ran != static_cast<long>(kCommands) * kRounds) {
        std::fprintf(stderr, "commands ran %ld times, expected %ld\n", ran, static_cast<long>(kCommands) * kRounds);
        return 1;
    }

    Figures resizes;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        for (int i = 0; i < kResizes; ++i) headless::sendMessage({window, platform::kWmSize, 0, 0});
        resizes.add(microseconds(Clock::now() - start) / kResizes);
    }
    if (Tcl_GetVar(host::interpreter(), "::area", TCL_GLOBAL_ONLY) == nullptr) {
        std::fprintf(stderr, "the resize script did not run\n");
        return 1;
    }

    std::printf("vesk2b_bench: headless platform, recording off, %d rounds\n", kRounds);
    print("us per command item (Ctrl shortcut, translated)", kItems, items, 5);
    print("us per command dispatch (WM_COMMAND)", kCommands, commands, 2);
    print("us per resize (WM_SIZE)", kResizes, resizes, 2);

    host::shutDown(0);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
