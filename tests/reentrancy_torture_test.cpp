// Re-entrancy torture: seeded random sequences of menu, window and dialog
// commands, delivered through scripts, command and key messages, resizes,
// message boxes and dialogs, where actions, translations and resize scripts
// call back into the same commands. After every sequence the platform must
// have seen no stale menu or table handle, the window must hold a live bar
// or none, and no menu may exist that neither the bar nor the menu under
// construction owns. Each shard is its own CTest test; the shards together
// run kShards * kSequencesPerShard sequences.
#include <random>
#include <sstream>

#include "commands/accelerators.h"
#include "tests/menu_support.h"

namespace {

using menu_test::MenuFixture;
using menu_test::strayMenus;

constexpr int kShards = 10;
constexpr int kSequencesPerShard = 2500;

// The procedures the host calls, steered by variables the sequences set.
constexpr std::string_view kTortureScript = R"tcl(
namespace eval ::t {
    variable mode identity depth 0 buildBody {} itemCode 0 countdown 0
    variable resizeAction {} inResize 0
}
proc ::locale::translate {text} {
    switch -- $::t::mode {
        fail { error "no translation for $text" }
        failsome { if {[string match *+ $text]} { error "no word $text" } }
        empty { return "" }
        build {
            if {$::t::depth == 0} {
                incr ::t::depth
                catch {::menu::createmenu $::t::buildBody}
                incr ::t::depth -1
            }
        }
        item {
            if {$::t::depth == 0} {
                incr ::t::depth
                catch {::menu::menu -ishortcut $::t::itemCode T:$text {lappend ::ran t}}
                incr ::t::depth -1
            }
        }
        destroy {
            if {[incr ::t::countdown -1] == 0} { ::screen::destroywnd $::parentwindow }
        }
        unset { catch {unset ::menu::actions} }
    }
    return $text
}
proc ::screen::doresize {area} {
    if {$::t::inResize} return
    set ::t::inResize 1
    set code [catch $::t::resizeAction]
    set ::t::inResize 0
    if {$code == 1} { error "resize failed" }
}
proc ::config::save {} {}
)tcl";

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }

    int shortcut() {
        static constexpr int kCodes[] = {0, 0, 0x4041, 0x4042, 0x2041, 0x8073, 0x6053, 0xE041, 0x4090, 0x40C1, 0x4053};
        return kCodes[below(static_cast<int>(std::size(kCodes)))];
    }

    std::string caption() { return "C" + std::to_string(below(100)); }

    std::string body(int depth) {
        std::ostringstream out;
        const int count = below(6);
        for (int i = 0; i < count; ++i) out << statement(depth) << "\n";
        return out.str();
    }

    std::string action(int depth) {
        if (depth > 2) return "lappend ::ran leaf";
        switch (below(14)) {
        case 0: return "error actionfail";
        case 1: return "::menu::createmenu {" + body(depth + 1) + "}";
        case 2: return "catch {::menu::createmenu {" + body(depth + 1) + "}}";
        case 3: return "unset ::menu::actions";
        case 4: return "unset ::menu::actions(" + std::to_string(40000 + below(8)) + ")";
        case 5: return chance(40) ? "::screen::destroywnd $parentwindow" : "lappend ::ran d";
        case 6: return "catch {::vesk::filedlg " + dialogOptions() + " {Text|*.txt|All|*.*}}";
        case 7: return "set ::menu::actions(" + std::to_string(40000 + below(8)) + ") {" + action(depth + 1) + "}";
        case 8: return "::screen::setbounds $parentwindow {" + bounds() + "}";
        case 9: return "set ::t::mode " + translationMode();
        case 10: return "::menu::menu -ishortcut " + std::to_string(shortcut()) + " " + caption() + " {" + action(depth + 1) + "}";
        default: return "lappend ::ran " + std::to_string(below(1000));
        }
    }

    std::string statement(int depth) {
        switch (below(depth > 3 ? 4 : 20)) {
        case 0:
        case 1:
        case 2:
        case 3: return "::menu::menu -ishortcut " + std::to_string(shortcut()) + " " + caption() + " {" + action(depth) + "}";
        case 4: return "::menu::menu " + caption() + " {" + action(depth) + "}";
        case 5: return "::menu::separator";
        case 6:
        case 7: return "::menu::submenu " + caption() + " {" + body(depth + 1) + "}";
        case 8: return "catch {::menu::submenu " + caption() + " {" + body(depth + 1) + " error subfail}}";
        case 9: return "catch {::menu::createmenu {" + body(depth + 1) + "}}";
        case 10: return chance(20) ? "::menu::createmenu {}" : "catch {error x}";
        case 11: return chance(30) ? "error bodyfail" : "catch {error y}";
        case 12: return "catch {unset ::menu::actions}";
        case 13: return "::screen::setbounds $parentwindow {" + bounds() + "}";
        case 14: return "set ::t::mode " + translationMode();
        case 15: return "catch {::vesk::filedlg " + dialogOptions() + " {All|*.*}}";
        case 16: return chance(15) ? "::screen::destroywnd $parentwindow" : "::menu::separator a b";
        case 17: return "set ::t::resizeAction {" + action(depth + 1) + "}";
        default: return "::menu::menu -- -" + caption() + " {lappend ::ran dash}";
        }
    }

    std::string translationMode() {
        static constexpr const char* kModes[] = {"identity", "identity", "identity", "fail", "failsome",
                                                 "empty",    "build",    "item",     "destroy", "unset"};
        return kModes[below(static_cast<int>(std::size(kModes)))];
    }

    std::string dialogOptions() {
        static constexpr const char* kOptions[] = {"", "-save", "-open -save", "-title T", "-noplaces -addtorecent", "--"};
        return kOptions[below(static_cast<int>(std::size(kOptions)))];
    }

    std::string bounds() {
        return std::to_string(below(200)) + " " + std::to_string(below(200)) + " " + std::to_string(100 + below(700)) +
               " " + std::to_string(100 + below(500));
    }

    unsigned commandId() {
        if (chance(10)) {
            static constexpr unsigned kEdges[] = {39999, 49999, 50000, 0};
            return kEdges[below(4)];
        }
        return 40000 + static_cast<unsigned>(below(6));
    }

    std::uint32_t virtualKey() {
        static constexpr std::uint32_t kKeys[] = {0x41, 0x42, 0x53, 0x73, 0x90, 0xC1};
        return kKeys[below(static_cast<int>(std::size(kKeys)))];
    }

private:
    std::mt19937 random_;
};

class Torture : public MenuFixture, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        MenuFixture::SetUp();
        writeScriptWith(kTortureScript);
        restart();
    }

    void TearDown() override {
        generator_ = nullptr;
        MenuFixture::TearDown();
    }

    // A new process, as far as the host and the platform can tell.
    void restart() {
        if (host::interpreter() != nullptr) {
            boxes_ += headless::messageBoxes().size();
            dialogs_ += headless::dialogs().size();
            ran_ += globalList("::ran").size();
            host::resetProcessState();
        }
        headless::reset();
        headless::setModuleFileName((folder() / "vesk2b").string());
        headless::setRecording(false);
        headless::onMessageBox([this](const headless::MessageBoxRecord&) { nestedEvent(); });
        startHostOrFail();
        ++starts_;
    }

    // What a modal loop (message box, dialog) may deliver while it is up.
    void nestedEvent() {
        if (generator_ == nullptr || nesting_ > 2 || !generator_->chance(30)) return;
        ++nesting_;
        switch (generator_->below(4)) {
        case 0: command(generator_->commandId()); break;
        case 1: key(generator_->virtualKey(), generator_->chance(30), generator_->chance(60), generator_->chance(30)); break;
        case 2: headless::resizeWindow(host::mainWindow(), 300 + generator_->below(400), 200 + generator_->below(300)); break;
        default:
            if (generator_->chance(20)) platform::destroyWindow(host::mainWindow());
            break;
        }
        --nesting_;
    }

    void queueDialogAnswers() {
        for (int i = generator_->below(3); i > 0; --i) {
            headless::DialogAnswer answer;
            switch (generator_->below(4)) {
            case 0: answer = headless::chooseFiles({"C:\\x.txt"}); break;
            case 1: answer = headless::chooseFiles({"C:\\dir", "a", "b", "c"}); break;
            case 2: answer.errorCode = 12291; break;
            default: break;
            }
            if (generator_->chance(40)) answer.whileOpen = [this] { nestedEvent(); };
            headless::queueDialogAnswer(std::move(answer));
        }
    }

    void evalStep(const std::string& script) {
        log_ << "eval: " << script << "\n";
        const auto e = eval(script);
        ++evals_[e.code == TCL_OK ? 0 : 1];
    }

    void step() {
        Generator& g = *generator_;
        switch (g.below(12)) {
        case 0:
        case 1:
        case 2: evalStep("::menu::createmenu {" + g.body(0) + "}"); break;
        case 3: evalStep(g.body(1)); break;  // item commands outside createmenu
        case 4:
        case 5: {
            const unsigned id = g.commandId();
            log_ << "command " << id << "\n";
            command(id, static_cast<unsigned>(g.below(2)));
            break;
        }
        case 6:
        case 7: {
            const std::uint32_t vk = g.virtualKey();
            const bool shift = g.chance(30), ctrl = g.chance(60), alt = g.chance(30);
            log_ << "key " << vk << " " << shift << ctrl << alt << "\n";
            key(vk, shift, ctrl, alt);
            break;
        }
        case 8:
            log_ << "resize\n";
            headless::resizeWindow(host::mainWindow(), 300 + g.below(400), 200 + g.below(300));
            break;
        case 9:
            evalStep("set ::t::mode " + g.translationMode() + "; set ::t::countdown " + std::to_string(1 + g.below(4)) +
                     "; set ::t::itemCode " + std::to_string(g.shortcut()) + "; set ::t::buildBody {" + g.body(1) + "}");
            break;
        case 10: queueDialogAnswers(); break;
        default: evalStep("set ::menu::actions(" + std::to_string(40000 + g.below(12)) + ") {" + g.action(0) + "}"); break;
        }
    }

    void checkInvariants(int sequence) {
        SCOPED_TRACE(testing::Message() << "seed " << seed_ << ", sequence " << sequence << "\n" << log_.str());
        ASSERT_EQ(headless::invalidMenuHandleUses(), 0);
        ASSERT_EQ(headless::invalidAcceleratorTableUses(), 0);
        ASSERT_LE(headless::liveAcceleratorTableCount(), 1);
        const platform::MenuHandle windowBar = bar();
        if (headless::window(host::mainWindow())) {
            ASSERT_TRUE(windowBar == 0 || headless::menuExists(windowBar));
        }
        ASSERT_EQ(strayMenus(windowBar), 0);
        ASSERT_EQ(eval("set ::t::probe ok").result, "ok");
        if (sequence % 16 == 15) {
            // No body is left counted as running: a top-level bar can be built
            // (with no resize action, which could build another when it is installed).
            ASSERT_EQ(eval("set ::t::mode identity; set ::t::resizeAction {}; "
                           "::menu::createmenu {::menu::menu -ishortcut 16449 Probe {}}").code,
                      TCL_OK);
            if (headless::window(host::mainWindow())) {
                ASSERT_EQ(labels(bar()).size(), 1u);
            }
            ASSERT_EQ(commands::menuUnderConstruction(), 0);
        }
    }

    Generator* generator_ = nullptr;
    std::uint32_t seed_ = 0;
    std::ostringstream log_;
    int nesting_ = 0;
    int starts_ = 0;
    // Coverage figures printed at the end.
    int evals_[2] = {0, 0};
    std::size_t boxes_ = 0, dialogs_ = 0, ran_ = 0;
};

TEST_P(Torture, RandomSequences) {
    seed_ = 0x5EED0000u + static_cast<std::uint32_t>(GetParam());
    Generator generator(seed_);
    generator_ = &generator;
    int destroyed = 0;
    for (int sequence = 0; sequence < kSequencesPerShard; ++sequence) {
        log_.str("");
        headless::clearConsoleOutput();
        for (int steps = 3 + generator.below(8); steps > 0; --steps) step();
        checkInvariants(sequence);
        if (HasFatalFailure()) return;
        if (!headless::window(host::mainWindow())) {
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
