#include "tests/torture/generator.h"

#include "tests/fresh_host.h"

namespace torture {
namespace {

Generator* generator = nullptr;
int eventsLeft = 0;

// What a modal loop (message box, dialog) may deliver while it is up.
void nestedEvent() {
    static int nesting = 0;
    if (generator == nullptr || nesting > 2 || eventsLeft <= 0 || !generator->chance(30)) return;
    --eventsLeft;
    ++nesting;
    switch (generator->below(4)) {
    case 0: fresh_host::command(generator->commandId()); break;
    case 1: fresh_host::key(generator->virtualKey(), generator->chance(30), generator->chance(60), generator->chance(30)); break;
    case 2: headless::resizeWindow(support::mainWindow(), 300 + generator->below(400), 200 + generator->below(300)); break;
    default: if (generator->chance(20)) platform::destroyWindow(support::mainWindow());
    }
    --nesting;
}

void queueDialogAnswers() {
    for (int i = generator->below(3); i > 0; --i) {
        headless::DialogAnswer answer;
        switch (generator->below(4)) {
        case 0: answer = headless::chooseFiles({"C:\\x.txt"}); break;
        case 1: answer = headless::chooseFiles({"C:\\dir", "a", "b", "c"}); break;
        case 2: answer.errorCode = 12291; break;
        default: break;
        }
        if (generator->chance(40)) answer.whileOpen = [] { nestedEvent(); };
        headless::queueDialogAnswer(std::move(answer));
    }
}

}  // namespace

bool startHost() {
    if (!fresh_host::start(kProcedures, false)) return false;
    headless::onMessageBox([](const headless::MessageBoxRecord&) { nestedEvent(); });
    return true;
}

void drive(Generator* next, int events) { generator = next, eventsLeft = events; }

int runStep(std::ostream& log) {
    const Step next = generator->step();
    switch (next.kind) {
    case Step::Kind::Script: log << "eval: " << next.script << "\n"; return fresh_host::eval(next.script).code;
    case Step::Kind::Command:
        log << "command " << next.commandId << "\n";
        fresh_host::command(next.commandId, next.highWord);
        break;
    case Step::Kind::Key:
        log << "key " << next.virtualKey << " " << next.shift << next.ctrl << next.alt << "\n";
        fresh_host::key(next.virtualKey, next.shift, next.ctrl, next.alt);
        break;
    case Step::Kind::Resize:
        log << "resize\n";
        headless::resizeWindow(support::mainWindow(), next.width, next.height);
        break;
    case Step::Kind::DialogAnswers: queueDialogAnswers(); break;
    }
    return -1;
}

}  // namespace torture
