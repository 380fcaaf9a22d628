// What filelist needs of a platform's list widget: one view of file rows in a
// window's client area. view_gtk.cpp and view_win32.cpp implement it; exactly
// one is built into the extension.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace filelist {

// One file as the list shows it. The texts are UTF-8; size and modified are
// what the columns sort by, -1 when the file could not be read.
struct Row {
    std::string path;       // as the script gave it; what selection returns
    std::string name;       // the last part of the path
    std::string sizeText;   // "12,345" or empty when unreadable
    std::string modifiedText;  // "2026-12-08 13:45", or why the file cannot be read
    std::int64_t size = -1;
    std::int64_t modified = -1;  // seconds since 1970
};

// Left, top, width, height in client coordinates.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Bounds&) const = default;
};

struct View;
struct ViewDeleter {
    void operator()(View* view) const;
};
using ViewPtr = std::unique_ptr<View, ViewDeleter>;

// A new, empty view in clientArea (what vesk2b_native_client_area gave), not
// yet placed: it shows once placed.
ViewPtr createView(void* clientArea);
// False once the platform has destroyed the widget (its window went).
bool viewAlive(const View& view);
void placeView(View& view, const Bounds& bounds);
// Where the widget is, read back from it.
Bounds viewBounds(const View& view);
// Replaces the rows, keeping the current sort column, and paints the view at
// once when it is on the screen.
void showRows(View& view, const std::vector<Row>& rows);
// The paths of all rows, or of the selected ones, in the order shown.
std::vector<std::string> viewPaths(const View& view, bool selectedOnly);
// The three column texts of every row, in the order shown, as the widget holds them.
std::vector<std::vector<std::string>> viewTexts(const View& view);
void focusView(View& view);

}  // namespace filelist
