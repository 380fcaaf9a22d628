// Process-level services: executable path, command line, console, errors,
// clock and notices.
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "platform/gtk/gtk_internal.h"

namespace platform {
namespace {

std::string commandLineText;          // set once by main
std::uint32_t lastErrorCode = 0;      // the last failure of this platform

struct ErrorText {
    std::uint32_t code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully.\n"},
    {gtk::kErrorInvalidHandle, "The handle is invalid.\n"},
    {gtk::kErrorInvalidParameter, "The parameter is incorrect.\n"},
    {gtk::kErrorInvalidWindowHandle, "Invalid window handle.\n"},
    {gtk::kErrorInvalidMenuHandle, "Invalid menu handle.\n"},
    {gtk::kErrorInvalidAcceleratorHandle, "Invalid accelerator table handle.\n"},
};

}  // namespace

namespace gtk {

void setLastError(std::uint32_t code) { lastErrorCode = code; }

void setCommandLine(std::string text) { commandLineText = std::move(text); }

std::string validUtf8(const char* bytes) {
    if (bytes == nullptr) return {};
    if (g_utf8_validate(bytes, -1, nullptr)) return bytes;
    gchar* fixed = g_utf8_make_valid(bytes, -1);
    std::string result(fixed);
    g_free(fixed);
    return result;
}

}  // namespace gtk

std::size_t moduleFileName(char* buffer, std::size_t limit) {
    if (limit == 0) return 0;
    ssize_t length = readlink("/proc/self/exe", buffer, limit);
    if (length <= 0) return 0;
    // Like GetModuleFileName: a path that does not fit is cut at the limit.
    std::size_t kept = static_cast<std::size_t>(length) < limit ? static_cast<std::size_t>(length) : limit - 1;
    buffer[kept] = '\0';
    return kept;
}

char pathSeparator() { return '/'; }

const char* commandLine() { return commandLineText.c_str(); }

// Standard output and standard error already exist on Linux; diagnostics go
// to standard error so that standard output stays the script's own.
ConsoleHandle openConsole() { return STDERR_FILENO; }

void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count) {
    while (count > 0) {
        ssize_t written = write(static_cast<int>(console), bytes, count);
        if (written <= 0) return;  // a failed write is not retried
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
}

std::uint32_t lastError() { return lastErrorCode; }

bool errorText(std::uint32_t code, char* text, std::size_t size) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code != code) continue;
        if (size == 0) return false;
        std::string_view message(entry.text);
        std::size_t kept = message.size() < size ? message.size() : size - 1;
        std::memcpy(text, message.data(), kept);
        text[kept] = '\0';
        return true;
    }
    return false;
}

std::uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void messageBox(const char* text, const char* caption, std::uint32_t style) {
    // A copy on standard error, so that a notice shown on a display nobody
    // looks at (a test, a remote session) still leaves a trace.
    std::string trace = std::string(caption ? caption : "") + ": " + (text ? text : "") + "\n";
    writeConsole(STDERR_FILENO, trace.data(), trace.size());
    GtkMessageType type = (style & 0xF0) == kMbIconError ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER;
    std::string body = gtk::validUtf8(text);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "%s", body.c_str());
    std::string title = gtk::validUtf8(caption);
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    // Without an owner: in the middle of the screen, as Windows shows it.
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

}  // namespace platform
