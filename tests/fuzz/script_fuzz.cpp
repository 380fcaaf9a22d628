// The script interface: the torture's random sequences (tests/torture) with
// choices taken from the input and odd words mixed in (invalid UTF-8, huge
// integers, empty and malformed lists): menus built in bars, outside them and
// from translations and resize scripts, menu commands and keys, resizes and
// dialog answers, also while a message box or dialog is up. After every step
// fresh_host::brokenInvariant() finds nothing; a destroyed window's loop ends with 0.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/tcl_ref.h"
#include "tests/fresh_host.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/torture/generator.h"

namespace {

// Starting Tcl is most of a run's time, so a long run may keep one host for
// up to VESK_FUZZ_INPUTS_PER_HOST inputs (default 1: a new host for each).
// Each input is then also appended to script-host-PID.inputs, emptied when a
// host starts, so that a finding can be replayed after the inputs that ran
// before it on its host (the replay main takes that file as a sequence).
const int inputsPerHost = [] {
    const char* value = std::getenv("VESK_FUZZ_INPUTS_PER_HOST");
    return value != nullptr ? std::max(1, std::atoi(value)) : 1;
}();

void keepOnHostHistory(const std::uint8_t* data, std::size_t size, bool newHost) {
    static const int file = ::open(("script-host-" + std::to_string(::getpid()) + ".inputs").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
    FUZZ_CHECK(file >= 0);
    if (newHost) FUZZ_CHECK(::ftruncate(file, 0) == 0 && ::lseek(file, 0, SEEK_SET) == 0);
    const auto length = static_cast<std::uint32_t>(size);
    FUZZ_CHECK(::write(file, &length, sizeof length) == sizeof length);
    FUZZ_CHECK(::write(file, data, size) == static_cast<ssize_t>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int ranOnHost = 0;
    const bool newHost = ranOnHost >= inputsPerHost || !headless::window(support::mainWindow());
    if (newHost) FUZZ_CHECK(torture::startHost());
    ranOnHost = newHost ? 1 : ranOnHost + 1;
    if (inputsPerHost > 1) keepOnHostHistory(data, size, newHost);
    fuzz::Input input(data, size);
    torture::Generator generator([&input](int n) { return n <= 256 ? input.byte() % n : input.below(n); },
                                 [&input] { return std::string(Tcl_GetString(support::TclRef(fresh_host::listOf({input.word()})).get())); });
    // Each message box may bring an event, and an action may show a box per
    // item; without a bound three levels of that made hundreds of thousands
    // of boxes from one short input.
    torture::drive(&generator, 64);
    std::ostringstream log;
    for (int steps = 0; steps < 32 && !input.empty(); ++steps) {
        torture::runStep(log);
        const std::string broken = fresh_host::brokenInvariant();
        if (!broken.empty()) fuzz::fail(__FILE__, __LINE__, broken.c_str());
        if (!headless::window(support::mainWindow())) {
            // The window is gone: its loop ends with 0, and the process with it.
            FUZZ_CHECK(host::runMessageLoop() == 0);
            break;
        }
    }
    torture::drive(nullptr);
    return 0;
}
