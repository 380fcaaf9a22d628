// The open and save dialogs: GTK's file chooser behind the Windows
// contract of a filter block, a selection block and an extended error code.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gtk/gtk_internal.h"

namespace platform {
namespace {

std::uint32_t extendedError = 0;  // of the last dialog call

struct GFreeString {
    gchar* text;
    ~GFreeString() { g_free(text); }
};

// "Text files\0*.txt;*.log\0All\0*.*\0\0" → GTK filters, in order.
std::vector<GtkFileFilter*> parseFilters(const char* block) {
    std::vector<GtkFileFilter*> filters;
    if (block == nullptr) return filters;
    while (*block != '\0') {
        std::string_view description(block);
        const char* patterns = block + description.size() + 1;
        std::string_view patternList(patterns);
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, gtk::validUtf8(std::string(description).c_str()).c_str());
        std::size_t start = 0;
        while (start <= patternList.size()) {
            std::size_t end = patternList.find(';', start);
            if (end == std::string_view::npos) end = patternList.size();
            std::string_view pattern = patternList.substr(start, end - start);
            while (!pattern.empty() && pattern.front() == ' ') pattern.remove_prefix(1);
            while (!pattern.empty() && pattern.back() == ' ') pattern.remove_suffix(1);
            if (!pattern.empty()) gtk_file_filter_add_pattern(filter, std::string(pattern).c_str());
            start = end + 1;
        }
        filters.push_back(filter);
        if (*patterns == '\0' && patternList.empty()) {
            block = patterns + 1;
        } else {
            block = patterns + patternList.size() + 1;
        }
    }
    return filters;
}

// Writes the selection block; false when it does not fit maxFile bytes.
bool writeSelection(GSList* files, char* buffer, std::uint32_t maxFile) {
    std::string block;
    if (files != nullptr && files->next == nullptr) {
        block.append(static_cast<const char*>(files->data));
        block.push_back('\0');
    } else if (files != nullptr) {
        GFreeString folder{g_path_get_dirname(static_cast<const char*>(files->data))};
        block.append(folder.text);
        block.push_back('\0');
        for (GSList* file = files; file != nullptr; file = file->next) {
            GFreeString name{g_path_get_basename(static_cast<const char*>(file->data))};
            block.append(name.text);
            block.push_back('\0');
        }
    }
    block.push_back('\0');
    if (buffer == nullptr || block.size() > maxFile) return false;
    std::memcpy(buffer, block.data(), block.size());
    return true;
}

struct HookCall {
    DialogHook hook;
    WindowHandle child;
};

gboolean onMapped(GtkWidget* widget, GdkEvent*, gpointer data) {
    auto* call = static_cast<HookCall*>(data);
    g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(onMapped), data);
    call->hook(call->child, kWmInitDialog, 0, 0);
    return FALSE;
}

// Three faults of GTK's own file chooser (GTK 3.24), seen as criticals
// while a user types a path; a plain GtkFileChooserDialog shows them too:
// - it moves the focus to its location entry before the entry is realized,
//   and gives a key that comes in between to the unrealized entry;
// - after it failed to read a folder that was typed (one that does not
//   exist), it leaves inline completion on without a completion model, and
//   each further character makes the completion read the missing model;
// - each change of the location entry starts a timer of 150 ms that it
//   stops only when the chooser is finalized: a chooser destroyed sooner,
//   and kept alive a little longer by a folder read, is dismantled when the
//   timer fires.
// Keys pass here before they reach the entry: the focus is realized, inline
// completion is off while there is nothing to complete from (the chooser
// turns it on again when it has read the next folder), and the time of the
// last change is kept, so that the chooser outlives its timer.
gint64 lastLocationChange = 0;  // monotonic microseconds

void onLocationChanged(GtkEditable*, gpointer) { lastLocationChange = g_get_monotonic_time(); }

gboolean onChooserKey(GtkWidget* chooser, GdkEventKey* event, gpointer) {
    if (event->type == GDK_KEY_PRESS && event->keyval != GDK_KEY_Escape) lastLocationChange = g_get_monotonic_time();
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(chooser));
    if (focus == nullptr) return FALSE;
    if (!gtk_widget_get_realized(focus)) gtk_widget_realize(focus);
    GtkEntryCompletion* completion = GTK_IS_ENTRY(focus) ? gtk_entry_get_completion(GTK_ENTRY(focus)) : nullptr;
    if (completion == nullptr) return FALSE;
    if (gtk_entry_completion_get_model(completion) == nullptr) gtk_entry_completion_set_inline_completion(completion, FALSE);
    if (g_signal_handler_find(focus, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr, reinterpret_cast<gpointer>(onLocationChanged),
                              nullptr) == 0)
        g_signal_connect(focus, "changed", G_CALLBACK(onLocationChanged), nullptr);
    return FALSE;
}

// Hidden at once; destroyed once the location timer is past, the loop
// running meanwhile as it did while the dialog was up.
void destroyChooser(GtkWidget* chooser) {
    gtk_widget_hide(chooser);
    const gint64 timerPast = lastLocationChange + 250000;
    while (g_get_monotonic_time() < timerPast) {
        if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
    }
    gtk_widget_destroy(chooser);
}

bool runDialog(FileDialog& dialog, bool save) {
    extendedError = 0;
    if (dialog.structSize != kOpenFileNameSize || dialog.file == nullptr) {
        extendedError = kCdErrStructSize;
        return false;
    }
    GtkWidget* owner = gtk::toplevel(dialog.owner);
    std::string title = dialog.title != nullptr ? gtk::validUtf8(dialog.title) : std::string(save ? "Save As" : "Open");
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        title.c_str(), owner != nullptr ? GTK_WINDOW(owner) : nullptr,
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
        save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);
    if (save)
        gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), (dialog.flags & kOfnOverwritePrompt) != 0);
    else
        gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), (dialog.flags & kOfnAllowMultiSelect) != 0);
    if (dialog.file[0] != '\0') {
        if (save)
            gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), dialog.file);
        else
            gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), dialog.file);
    }
    std::vector<GtkFileFilter*> filters = parseFilters(dialog.filter);
    for (GtkFileFilter* filter : filters) gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
    if (!filters.empty()) {
        std::size_t index = dialog.filterIndex >= 1 && dialog.filterIndex <= filters.size() ? dialog.filterIndex - 1 : 0;
        gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(chooser), filters[index]);
    }

    // The hook's window is the dialog's content, whose parent is the frame.
    // It sees the dialog once GTK has given it its size and placed it on the
    // screen: the file chooser settles its size only while being mapped.
    WindowHandle frame = gtk::registerDialogFrame(chooser, dialog.owner);
    WindowHandle child = gtk::registerDialogChild(frame);
    HookCall hookCall{(dialog.flags & kOfnEnableHook) ? dialog.hook : nullptr, child};
    if (hookCall.hook != nullptr) g_signal_connect(chooser, "map-event", G_CALLBACK(onMapped), &hookCall);

    g_signal_connect(chooser, "key-press-event", G_CALLBACK(onChooserKey), nullptr);
    g_signal_connect(chooser, "key-release-event", G_CALLBACK(onChooserKey), nullptr);
    gint response = gtk_dialog_run(GTK_DIALOG(chooser));
    bool chosen = false;
    if (response == GTK_RESPONSE_ACCEPT) {
        GSList* files = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
        if (files == nullptr) {
            extendedError = 0;  // nothing local was chosen: as a cancel
        } else if (writeSelection(files, dialog.file, dialog.maxFile)) {
            chosen = true;
        } else {
            extendedError = kFnErrBufferTooSmall;
        }
        g_slist_free_full(files, g_free);
    }
    gtk::forgetWindow(child);
    gtk::forgetWindow(frame);
    destroyChooser(chooser);
    return chosen;
}

}  // namespace

bool getOpenFileName(FileDialog& dialog) { return runDialog(dialog, false); }

bool getSaveFileName(FileDialog& dialog) { return runDialog(dialog, true); }

std::uint32_t commDlgExtendedError() { return extendedError; }

}  // namespace platform
