// Process, console, errors, clock and notices of the headless platform: the
// values tests set, else those of the real process.
#include <cstring>

#include "platform/common/process.h"
#include "platform/headless/headless_internal.h"

namespace headless {

ProcessState& processState() {
    static ProcessState instance;
    return instance;
}

namespace {

// The values the Windows program passes, as the trace shows them.
constexpr std::uint32_t kGenericReadWrite = 0xC0000000;
constexpr std::uint32_t kOpenAlways = 4;
constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::int32_t kStdOutputHandle = -11;
constexpr std::int32_t kStdErrorHandle = -12;
constexpr std::uint32_t kFormatMessageFlags = 0x1300;  // allocate buffer, ignore inserts, from system
constexpr std::uint32_t kLanguageNeutral = 0x400;

}  // namespace
}  // namespace headless

namespace platform {

using headless::processState;
using headless::record;

std::size_t moduleFileName(char* buffer, std::size_t limit) {
    record("GetModuleFileNameW", limit);
    auto& s = processState();
    if (!s.moduleFileName) {
        s.moduleFileName = common::executablePath();
        if (!s.moduleFileName) return 0;
    }
    if (s.moduleFileName->empty()) return 0;
    return common::copyModuleFileName(*s.moduleFileName, buffer, limit);
}

char pathSeparator() { return processState().pathSeparator; }

const char* commandLine() {
    record("GetCommandLineW");
    return processState().commandLine.c_str();
}

ConsoleHandle openConsole() {
    record("AllocConsole");
    record("CreateFileW", "CONOUT$", headless::hex(headless::kGenericReadWrite), 0, 0, headless::kOpenAlways,
           headless::hex(headless::kFileAttributeNormal), 0);
    record("SetStdHandle", headless::kStdOutputHandle, headless::kConsole);
    record("SetStdHandle", headless::kStdErrorHandle, headless::kConsole);
    processState().consoleOpen = true;
    return headless::kConsole;
}

void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count) {
    auto& s = processState();
    if (!s.consoleOpen || console != headless::kConsole) return;
    s.console.append(bytes, count);
    if (s.echoFd >= 0) common::writeAll(s.echoFd, bytes, count);
}

bool errorText(std::uint32_t code, char* text, std::size_t size) {
    record("FormatMessageW", headless::hex(headless::kFormatMessageFlags), code, headless::hex(headless::kLanguageNeutral));
    const auto& texts = processState().errorTexts;
    if (const auto set = texts.find(code); set != texts.end()) {
        return set->second.has_value() && common::copyText(*set->second, text, size);
    }
    // As Windows words it, line end included.
    const std::string_view system = common::systemErrorText(code);
    return !system.empty() && common::copyText(std::string(system) + "\r\n", text, size);
}

std::uint32_t tickCount() {
    const auto& set = processState().tickCount;
    return set ? *set : common::monotonicTickCount();
}

void messageBox(const char* text, const char* caption, std::uint32_t style) {
    record("MessageBoxW", 0, text, caption, headless::hex(style));
    const headless::MessageBoxRecord shown{text, caption, style};
    processState().messageBoxes.push_back(shown);
    // Copied: the action may replace itself.
    if (auto action = processState().onMessageBox) action(shown);
}

}  // namespace platform
