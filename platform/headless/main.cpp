// vesk2b on the headless platform: runs the application script with no
// display. Console output and notices go to standard error, and the window is
// closed as soon as nothing is left to do.
#include <cstdio>

#include "host/command_line.h"
#include "host/host.h"
#include "platform/headless/headless.h"

int main(int argc, char** argv) {
    headless::reset();
    headless::setCommandLine(host::joinCommandLine(argc, argv));
    headless::echoConsoleTo(2);
    headless::closeWhenIdle(true);
    headless::onMessageBox([](const headless::MessageBoxRecord& box) {
        std::fprintf(stderr, "[%s] %s\n", box.caption.c_str(), box.text.c_str());
    });
    return host::runApplication(platform::kSwShowDefault);
}
