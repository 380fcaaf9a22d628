// Re-entrancy torture: seeded random sequences of menu, window and dialog
// commands, delivered through scripts, command and key messages, resizes,
// message boxes and dialogs, where actions, translations and resize scripts
// call back into the same commands. After every sequence the platform must
// have seen no stale menu or table handle, the window must hold a live bar
// or none, and no menu may exist that neither the bar nor the menu under
// construction owns. Each shard is its own CTest test; the shards together
// run kShards * kSequencesPerShard sequences.
#include <sstream>

#include "commands/menus.h"
#include "tests/host_test.h"
#include "tests/torture/generator.h"

namespace {

using namespace host_test;
using torture::Generator;

constexpr int kShards = 10;
constexpr int kSequencesPerShard = 2500;

class Torture : public StartedInTest, public testing::WithParamInterface<int> {
protected:
    void SetUp() override { StartedInTest::SetUp(), restart(); }
    // The generator lives in the test body: nothing may call into it after.
    void TearDown() override { torture::drive(nullptr), StartedInTest::TearDown(); }

    // A new process, as far as the host and the platform can tell.
    void restart() {
        if (host::interpreter() != nullptr) {
            boxes_ += headless::messageBoxes().size();
            dialogs_ += headless::dialogs().size();
            ran_ += globalList("::ran").size();
        }
        ASSERT_TRUE(torture::startHost());
        ++starts_;
    }

    std::uint32_t seed_ = 0;
    std::ostringstream log_;
    int starts_ = 0;
    // Coverage figures printed at the end.
    int evals_[2] = {0, 0};
    std::size_t boxes_ = 0, dialogs_ = 0, ran_ = 0;
};

TEST_P(Torture, RandomSequences) {
    seed_ = 0x5EED0000u + static_cast<std::uint32_t>(GetParam());
    Generator generator(seed_);
    torture::drive(&generator);
    int destroyed = 0;
    for (int sequence = 0; sequence < kSequencesPerShard; ++sequence) {
        log_.str("");
        headless::clearConsoleOutput();
        for (int steps = 3 + generator.below(8); steps > 0; --steps) {
            if (const int code = torture::runStep(log_); code >= 0) ++evals_[code == TCL_OK ? 0 : 1];
        }
        // A failed restart of the sequence before ends the shard here.
        if (HasFatalFailure()) return;
        SCOPED_TRACE(testing::Message() << "seed " << seed_ << ", sequence " << sequence << "\n" << log_.str());
        ASSERT_EQ(brokenInvariant(), "");
        if (sequence % 16 == 15) {
            // No body is left counted as running: a top-level bar can be built
            // (with no resize action, which could build another when it is installed).
            ASSERT_EQ(eval("set ::t::mode identity; set ::t::resizeAction {}; "
                           "::menu::createmenu {::menu::menu -ishortcut 16449 Probe {}}").code, TCL_OK);
            if (headless::window(support::mainWindow())) { ASSERT_EQ(labels(bar()).size(), 1u); }
            ASSERT_EQ(commands::menuUnderConstruction(), 0);
        }
        if (!headless::window(support::mainWindow())) {
            // The window is gone: its loop would end with 0 now.
            ASSERT_EQ(host::runMessageLoop(), 0);
            ++destroyed;
            restart();
        }
    }
    RecordProperty("sequences", kSequencesPerShard);
    RecordProperty("windowsDestroyed", destroyed);
    std::printf("seed %#x: %d sequences, %d host starts; scripts %d ok, %d failed; %zu message boxes, %zu dialogs, "
                "%zu actions appended\n",
                seed_, kSequencesPerShard, starts_, evals_[0], evals_[1], boxes_, dialogs_, ran_);
}

INSTANTIATE_TEST_SUITE_P(Shards, Torture, testing::Range(0, kShards));

}  // namespace
