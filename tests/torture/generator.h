// Random sequences of menu, window and dialog commands. One generator serves
// the in-process torture on the headless platform, the scripts that the real
// programs run as their application script (programScript), both seeded, and
// the script fuzz target, which draws its choices from the fuzzer's bytes and
// adds odd words (invalid UTF-8, huge integers, broken lists) where the seeded
// runs use well-formed ones.
#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

namespace torture {

// The procedures the host calls, steered by variables the sequences set:
// translations that fail, rebuild the bar, add items, destroy the window or
// unset the actions, or give ::t::word; a resize script that runs a random action.
extern const std::string_view kProcedures;

// One step of a sequence: a script to evaluate, or an event from outside.
struct Step {
    enum class Kind { Script, Command, Key, Resize, DialogAnswers };
    Kind kind = Kind::Script;
    std::string script{};
    unsigned commandId = 0, highWord = 0;
    std::uint32_t virtualKey = 0;
    bool shift = false, ctrl = false, alt = false;
    int width = 0, height = 0;
};

struct Generator {
    // Real programs show a dialog as a window of their own that nobody
    // answers; their sequences leave file dialogs out.
    explicit Generator(std::uint32_t seed, bool withFileDialogs = true) : random(seed), fileDialogs(withFileDialogs) {}
    // Choices from `draw` (a number below n), and odd words mixed into
    // captions, shortcuts, bounds, keys and commands.
    Generator(std::function<int(int)> drawFrom, std::function<std::string()> oddWordFrom)
        : draw(std::move(drawFrom)), oddWord(std::move(oddWordFrom)) {}

    int below(int n) { return draw ? draw(n) : std::uniform_int_distribution<int>(0, n - 1)(random); }
    // Whether this run mixes odd words in; only then does it draw for them.
    bool odd(int percent) { return oddWord && chance(percent); }
    bool chance(int percent) { return below(100) < percent; }
    Step step();
    unsigned commandId();
    std::uint32_t virtualKey();

    std::mt19937 random;
    bool fileDialogs = true;
    std::function<int(int)> draw;
    // One odd word (a Tcl list element); empty for a run without them.
    std::function<std::string()> oddWord;
};

// An application script of `sequences` random sequences for a real program.
// It writes to status.txt beside itself: "end" when the script has run to
// its end, "saved" from ::config::save, and "broken: ..." for a failed
// invariant. Its first line lists, after "# keys:", the keys to press once
// the message loop runs; with dialogs, file dialogs titled "torture dialog" too.
std::string programScript(std::uint32_t seed, int sequences, bool dialogs = false);

// The driver of the torture test and the script fuzz target (driver.cpp, on
// the headless host only). A new host with the generator's procedures, no call recording, and message
// boxes that deliver what a modal loop may deliver while it is up.
bool startHost();
// The generator that steps and modal-loop events draw from (nullptr: modal
// loops deliver nothing), and how many events the modal loops may deliver.
void drive(Generator* generator, int events = INT_MAX);
// The next step: a script, a command or key message, a resize, or dialog
// answers queued; logged as a line. A script's Tcl code, else -1.
int runStep(std::ostream& log);

}  // namespace torture
