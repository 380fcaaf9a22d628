// Process-level services: executable path, command line, console, errors,
// clock and notices.
#include <unistd.h>

#include <optional>
#include <string_view>

#include "platform/gtk/gtk_internal.h"

namespace platform {
namespace {

std::string commandLineText;  // set once by main

}  // namespace

namespace gtk {

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
    const std::optional<std::string> path = common::executablePath();
    return path ? common::copyModuleFileName(*path, buffer, limit) : 0;
}

char pathSeparator() { return '/'; }

const char* commandLine() { return commandLineText.c_str(); }

// Standard output and standard error already exist on Linux; diagnostics go
// to standard error so that standard output stays the script's own.
ConsoleHandle openConsole() { return STDERR_FILENO; }

void writeConsole(ConsoleHandle console, const char* bytes, std::size_t count) {
    common::writeAll(static_cast<int>(console), bytes, count);
}

// The system's text with a Linux line end.
bool errorText(std::uint32_t code, char* text, std::size_t size) {
    const std::string_view system = common::systemErrorText(code);
    return !system.empty() && common::copyText(std::string(system) + "\n", text, size);
}

std::uint32_t tickCount() { return common::monotonicTickCount(); }

void messageBox(const char* text, const char* caption, std::uint32_t style) {
    // A copy on standard error, so that a notice shown on a display nobody
    // looks at (a test, a remote session) still leaves a trace.
    std::string trace = std::string(caption ? caption : "") + ": " + (text ? text : "") + "\n";
    writeConsole(STDERR_FILENO, trace.data(), trace.size());
    GtkMessageType type = (style & kMbIconMask) == kMbIconError ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER;
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
