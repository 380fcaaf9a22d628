// The window class, the windows and their geometry.
//
// GTK signal handlers turn what happened to a window into the host's
// messages and call the window procedure directly, or through an idle
// callback when the signal comes from inside GTK's own layout or menu code,
// where the script must not run.
//
// The client area is the area under the menu bar, as on Windows: a GtkLayout,
// so that native code that the script loads can place its views in it at
// client coordinates (native.cpp hands it out).
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <X11/Xatom.h>

#include "platform/common/windows.h"
#include "platform/gtk/gtk_internal.h"

namespace platform {
namespace {

enum class Kind { main, dialogFrame, dialogChild };

struct Window {
    Kind kind = Kind::main;
    GtkWidget* top = nullptr;      // the GtkWindow (main window and dialog frame)
    GtkWidget* box = nullptr;      // holds the menu bar and the client area
    GtkWidget* client = nullptr;
    WindowProcedure procedure = nullptr;
    WindowHandle parent = 0;       // dialog child: its frame; dialog frame: its owner
    // The area inside the window manager's frame (the bar and the client
    // area) and the client area: the sizes the window has or is about to
    // have (after setWindowPos or a new bar); and the client size that the
    // last size message told.
    int innerWidth = 0;
    int innerHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int reportedWidth = -1;
    int reportedHeight = -1;
    bool sizeIdleQueued = false;
    Rect frame{};                  // outer frame, screen coordinates
    bool frameKnown = false;
    // What the window manager's frame (or GTK's own, on Wayland) adds to the
    // inner size, as last read from the server together with the frame.
    int decorationWidth = 0;
    int decorationHeight = 0;
    bool decorationAsked = false;  // see learnDecoration
    bool iconified = false;
    bool destroying = false;
};

struct Class {
    std::string name;
    WindowClass info;
};

std::vector<Class> classes;
std::map<WindowHandle, Window> windows;
WindowHandle nextWindow = 0x10010;

constexpr int kDefaultWidth = 640;   // CW_USEDEFAULT: GTK has no default size of its own
constexpr int kDefaultHeight = 480;
constexpr int kLargestNativeWindow = 32767;  // GDK's limit for a native window

Window* find(WindowHandle handle) {
    auto found = windows.find(handle);
    if (found == windows.end() || found->second.destroying) {
        common::setLastError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    return &found->second;
}

WindowHandle handleOf(gpointer data) { return static_cast<WindowHandle>(GPOINTER_TO_INT(data)); }

// Tells the window procedure about a client size it has not been told yet.
void reportSize(WindowHandle handle, int width, int height) {
    Window* window = find(handle);
    if (window == nullptr || window->procedure == nullptr) return;
    if (width == window->reportedWidth && height == window->reportedHeight) return;
    window->reportedWidth = width;
    window->reportedHeight = height;
    WParam kind = kSizeRestored;
    if (window->top != nullptr && gtk_window_is_maximized(GTK_WINDOW(window->top))) kind = kSizeMaximized;
    window->procedure(handle, kWmSize, kind, common::sizeParam(width, height));
}

// What the menu bar takes of the inner height: nothing without a bar or for
// an empty one, which is not shown (a Windows menu bar without items takes
// no room either).
int barHeight(const Window& window) {
    int height = 0;
    GList* children = gtk_container_get_children(GTK_CONTAINER(window.box));
    for (GList* item = children; item != nullptr; item = item->next) {
        GtkWidget* child = GTK_WIDGET(item->data);
        if (child == window.client || !gtk_widget_get_visible(child)) continue;
        GtkRequisition natural{};
        gtk_widget_get_preferred_size(child, nullptr, &natural);
        height += natural.height;
    }
    g_list_free(children);
    return height;
}

// The client size that follows from the inner size and the bar.
void updateClientSize(Window& window) {
    window.clientWidth = window.innerWidth;
    window.clientHeight = window.innerHeight > barHeight(window) ? window.innerHeight - barHeight(window) : 0;
}

// Windows keeps a top-level window between its smallest size and the screen
// plus its frame, quietly, whatever size it is asked for. Here the inner size
// stays between what the window's contents need and the screen (and within
// what GDK can make a native window of).
void limitInnerSize(const Window& window, int& width, int& height) {
    GtkRequisition minimum{};  // the whole window's, so with a title bar that GTK draws
    gtk_widget_get_preferred_size(window.top, &minimum, nullptr);
    GdkDisplay* display = gtk_widget_get_display(window.top);
    GdkRectangle screen{0, 0, 0, 0};
    for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
        GdkRectangle monitor{};
        gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &monitor);
        gdk_rectangle_union(&screen, &monitor, &screen);
    }
    const auto limit = [](int& value, int smallest, int screenExtent) {
        int largest = screenExtent > 0 && screenExtent < kLargestNativeWindow ? screenExtent : kLargestNativeWindow;
        value = std::clamp(value, std::clamp(smallest, 1, largest), largest);
    };
    limit(width, minimum.width, screen.width);
    limit(height, minimum.height, screen.height);
}

gboolean reportAllocatedSize(gpointer data) {
    WindowHandle handle = handleOf(data);
    if (Window* window = find(handle); window != nullptr) {
        window->sizeIdleQueued = false;
        if (!window->iconified) reportSize(handle, window->clientWidth, window->clientHeight);
    }
    return G_SOURCE_REMOVE;
}

void onClientAllocated(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    Window* window = find(handleOf(data));
    if (window == nullptr) return;
    window->clientWidth = allocation->width;
    window->clientHeight = allocation->height;
    window->innerWidth = allocation->width;
    window->innerHeight = allocation->height + barHeight(*window);
    // The script may resize or destroy the window: not from inside GTK's layout.
    if (!window->sizeIdleQueued && (allocation->width != window->reportedWidth || allocation->height != window->reportedHeight)) {
        window->sizeIdleQueued = true;
        g_idle_add_full(G_PRIORITY_HIGH_IDLE, reportAllocatedSize, data, nullptr);
    }
}

// A Wayland client cannot place its window, nor learn where it is: its
// position is 0 0, as GDK reports it once the window is shown.
bool onWayland(const Window& window) { return GDK_IS_WAYLAND_DISPLAY(gtk_widget_get_display(window.top)); }

// Read when GTK has heard from the server that the window changed: only then
// has a window manager finished framing it (read earlier, its frame can still
// be a 1x1 window of its own).
void readFrame(Window& window) {
    GdkWindow* gdkWindow = gtk_widget_get_window(window.top);
    if (gdkWindow == nullptr) return;
    GdkRectangle extents{};
    gdk_window_get_frame_extents(gdkWindow, &extents);
    if (extents.width < gdk_window_get_width(gdkWindow) || extents.height < gdk_window_get_height(gdkWindow)) return;
    window.frame = {extents.x, extents.y, extents.x + extents.width, extents.y + extents.height};
    window.frameKnown = true;
    // Against the size GTK is asked for: on Wayland GTK draws the title bar
    // and the shadows itself, outside that size but inside its own window.
    int width = 0;
    int height = 0;
    gtk_window_get_size(GTK_WINDOW(window.top), &width, &height);
    window.decorationWidth = extents.width - width;
    window.decorationHeight = extents.height - height;
}

// What the frame adds to the size, known before the window is framed, so
// that a size given during start-up is the size the framed window gets.
// X11: a window manager tells its frame in _NET_FRAME_EXTENTS once it
// manages the window, or earlier when asked with _NET_REQUEST_FRAME_EXTENTS
// (both from the EWMH); without a window manager there is no frame.
// Wayland: GTK draws the title bar and shadow itself, around the size it is
// asked for; the window it made for them tells their size.
void learnDecoration(Window& window) {
    if (window.frameKnown || window.decorationAsked || window.top == nullptr) return;
    GdkWindow* gdkWindow = gtk_widget_get_window(window.top);
    if (gdkWindow == nullptr) return;
    window.decorationAsked = true;
    if (onWayland(window)) {
        int width = 0;
        int height = 0;
        gtk_window_get_size(GTK_WINDOW(window.top), &width, &height);
        window.decorationWidth = std::max(gdk_window_get_width(gdkWindow) - width, 0);
        window.decorationHeight = std::max(gdk_window_get_height(gdkWindow) - height, 0);
        return;
    }
    if (!GDK_IS_X11_WINDOW(gdkWindow)) return;
    GdkScreen* screen = gdk_window_get_screen(gdkWindow);
    if (!gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string("_NET_FRAME_EXTENTS"))) return;
    GdkDisplay* display = gdk_window_get_display(gdkWindow);
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    const ::Window id = GDK_WINDOW_XID(gdkWindow);
    const Atom extentsAtom = gdk_x11_get_xatom_by_name_for_display(display, "_NET_FRAME_EXTENTS");
    const auto readExtents = [&]() {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long left = 0;
        unsigned char* data = nullptr;
        gdk_x11_display_error_trap_push(display);
        int status = XGetWindowProperty(x, id, extentsAtom, 0, 4, False, XA_CARDINAL, &type, &format, &count, &left, &data);
        gdk_x11_display_error_trap_pop_ignored(display);
        bool found = status == Success && type == XA_CARDINAL && format == 32 && count == 4;
        if (found) {
            const auto* extents = reinterpret_cast<const long*>(data);  // left, right, top, bottom
            window.decorationWidth = static_cast<int>(extents[0] + extents[1]);
            window.decorationHeight = static_cast<int>(extents[2] + extents[3]);
        }
        if (data != nullptr) XFree(data);
        return found;
    };
    if (readExtents()) return;
    if (gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string("_NET_REQUEST_FRAME_EXTENTS"))) {
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = id;
        request.xclient.message_type = gdk_x11_get_xatom_by_name_for_display(display, "_NET_REQUEST_FRAME_EXTENTS");
        request.xclient.format = 32;
        XSendEvent(x, GDK_WINDOW_XID(gdk_screen_get_root_window(screen)), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &request);
    }
    // The answer (or the framing of a window already shown) comes within
    // milliseconds; a manager that gives none leaves the frame unknown until
    // it has framed the window, at most half a second later than otherwise.
    for (int attempt = 0; attempt < 100; ++attempt) {
        XSync(x, False);
        if (readExtents()) return;
        g_usleep(5000);
    }
}

gboolean onConfigure(GtkWidget*, GdkEventConfigure*, gpointer data) {
    if (Window* window = find(handleOf(data)); window != nullptr) readFrame(*window);
    return FALSE;
}

gboolean onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    WindowHandle handle = handleOf(data);
    Window* window = find(handle);
    if (window == nullptr || window->procedure == nullptr || !(event->changed_mask & GDK_WINDOW_STATE_ICONIFIED)) return FALSE;
    if (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) {
        window->iconified = true;
        window->reportedWidth = 0;
        window->reportedHeight = 0;
        window->procedure(handle, kWmSize, kSizeMinimized, 0);
    } else {
        window->iconified = false;
        reportSize(handle, window->clientWidth, window->clientHeight);
    }
    return FALSE;
}

// The arrow cursor, set when the pointer first comes in: loading the cursor
// theme is work that a window nobody points at need not do at start-up.
gboolean onEnter(GtkWidget* widget, GdkEventCrossing*, gpointer) {
    GdkCursor* arrow = gdk_cursor_new_from_name(gtk_widget_get_display(widget), "default");
    gdk_window_set_cursor(gtk_widget_get_window(widget), arrow);
    if (arrow != nullptr) g_object_unref(arrow);
    g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(onEnter), nullptr);
    return FALSE;
}

// The client area shows the colour the theme gives menus (GTK's menus use the
// theme's base colour); no style provider, so no restyling of every widget.
gboolean onDrawClient(GtkWidget* widget, cairo_t* cr, gpointer) {
    GdkRGBA colour{};
    if (gtk_style_context_lookup_color(gtk_widget_get_style_context(widget), "theme_base_color", &colour)) {
        gdk_cairo_set_source_rgba(cr, &colour);
        cairo_paint(cr);
    } else {
        gtk_render_background(gtk_widget_get_style_context(widget), cr, 0, 0, gtk_widget_get_allocated_width(widget),
                              gtk_widget_get_allocated_height(widget));
    }
    return FALSE;
}

void onDestroy(GtkWidget*, gpointer data) {
    WindowHandle handle = handleOf(data);
    Window* window = find(handle);
    if (window == nullptr) return;
    window->destroying = true;
    // GTK has hidden the window by now. Off the screen at once, as on
    // Windows, whether a script or the user closed it: the script may go on
    // for a while, or the process end late.
    gdk_display_sync(gdk_display_get_default());
    WindowProcedure procedure = window->procedure;
    if (procedure != nullptr) procedure(handle, kWmDestroy, 0, 0);
    gtk::windowDestroyed(handle);
    windows.erase(handle);
}

}  // namespace

namespace gtk {

// The main window of a handle, leaving the last error alone (unlike find).
static const Window* nativeMain(WindowHandle handle) {
    auto found = windows.find(handle);
    if (found == windows.end() || found->second.destroying || found->second.kind != Kind::main) return nullptr;
    return &found->second;
}

GtkWidget* nativeWindow(WindowHandle handle) {
    const Window* window = nativeMain(handle);
    return window != nullptr ? window->top : nullptr;
}

GtkWidget* nativeClientArea(WindowHandle handle) {
    const Window* window = nativeMain(handle);
    return window != nullptr ? window->client : nullptr;
}

GtkWidget* toplevel(WindowHandle handle) {
    Window* window = find(handle);
    return window == nullptr ? nullptr : window->top;
}

// A window narrower than a new bar needs grows to fit it, through GTK, so
// that GTK never lays out the bar in less than its minimum width.
void fitContents(WindowHandle handle) {
    Window* window = find(handle);
    GdkWindow* gdkWindow = window != nullptr && window->top != nullptr ? gtk_widget_get_window(window->top) : nullptr;
    if (gdkWindow == nullptr) return;
    GtkRequisition minimum{};
    gtk_widget_get_preferred_size(window->top, &minimum, nullptr);
    // GDK learns a size only when the server's answer comes; the frame holds
    // the size asked for last.
    int width = gdk_window_get_width(gdkWindow);
    int height = gdk_window_get_height(gdkWindow);
    if (window->frameKnown) {
        width = std::min(width, window->frame.right - window->frame.left);
        height = std::min(height, window->frame.bottom - window->frame.top);
    }
    if (width >= minimum.width && height >= minimum.height) return;
    // Through the server too, as setWindowPos does: the size it asked the
    // server for last is the one GTK lays out when the server's answer comes.
    gtk_window_resize(GTK_WINDOW(window->top), std::max(width, minimum.width), std::max(height, minimum.height));
    if (gtk_widget_get_mapped(window->top)) {
        gdk_window_resize(gdkWindow, std::max(width, minimum.width), std::max(height, minimum.height));
    }
}

GtkBox* menuSlot(WindowHandle handle) {
    Window* window = find(handle);
    if (window == nullptr || window->box == nullptr) {
        common::setLastError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    return GTK_BOX(window->box);
}

WindowHandle registerDialogFrame(GtkWidget* dialog, WindowHandle owner) {
    WindowHandle handle = nextWindow;
    nextWindow += 4;
    Window& window = windows[handle];
    window.kind = Kind::dialogFrame;
    window.top = dialog;
    window.parent = owner;
    g_signal_connect(dialog, "configure-event", G_CALLBACK(onConfigure), GINT_TO_POINTER(handle));
    return handle;
}

WindowHandle registerDialogChild(WindowHandle frame) {
    WindowHandle handle = nextWindow;
    nextWindow += 4;
    Window& window = windows[handle];
    window.kind = Kind::dialogChild;
    window.parent = frame;
    return handle;
}

void forgetWindow(WindowHandle handle) { windows.erase(handle); }

WindowProcedure procedureOf(WindowHandle handle) {
    Window* window = find(handle);
    return window != nullptr ? window->procedure : nullptr;
}

LResult deliver(WindowHandle handle, std::uint32_t code, WParam wParam, LParam lParam) {
    WindowProcedure procedure = procedureOf(handle);
    return procedure != nullptr ? procedure(handle, code, wParam, lParam) : 0;
}

void menuBarChanged(WindowHandle handle) {
    Window* window = find(handle);
    if (window == nullptr || window->kind != Kind::main) return;
    updateClientSize(*window);
    if (!window->iconified) reportSize(handle, window->clientWidth, window->clientHeight);
}

}  // namespace gtk

void registerWindowClass(const WindowClass& windowClass) {
    if (windowClass.className == nullptr) return;
    for (Class& known : classes) {
        if (known.name == windowClass.className) return;  // like Windows: the first registration stays
    }
    classes.push_back({windowClass.className, windowClass});
}

WindowHandle createWindow(const WindowCreation& creation) {
    const Class* windowClass = nullptr;
    for (const Class& known : classes)
        if (creation.className != nullptr && known.name == creation.className) windowClass = &known;
    if (windowClass == nullptr) {
        common::setLastError(kErrorCannotFindWindowClass);
        return 0;
    }
    WindowHandle handle = nextWindow;
    nextWindow += 4;
    Window& window = windows[handle];
    window.kind = Kind::main;
    window.procedure = windowClass->info.procedure;
    window.top = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window.top), gtk::validUtf8(creation.caption).c_str());
    window.box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    // A layout asks for no size of its own and never for its children's, so
    // views placed in it cannot hold the window at a size.
    window.client = gtk_layout_new(nullptr, nullptr);
    gtk_widget_set_hexpand(window.client, TRUE);
    gtk_widget_set_vexpand(window.client, TRUE);
    gtk_box_pack_end(GTK_BOX(window.box), window.client, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window.top), window.box);
    gtk_widget_show(window.client);
    gtk_widget_show(window.box);
    // CW_USEDEFAULT: the window manager places the window.
    int width = creation.width == kCwUseDefault ? kDefaultWidth : creation.width;
    int height = creation.width == kCwUseDefault ? kDefaultHeight : creation.height;
    window.innerWidth = width > 0 ? width : 1;
    window.innerHeight = height > 0 ? height : 1;
    gtk_window_set_default_size(GTK_WINDOW(window.top), window.innerWidth, window.innerHeight);
    if (creation.x != kCwUseDefault) gtk_window_move(GTK_WINDOW(window.top), creation.x, creation.y);

    gpointer data = GINT_TO_POINTER(handle);
    gtk_widget_add_events(window.top, GDK_ENTER_NOTIFY_MASK);
    g_signal_connect(window.top, "enter-notify-event", G_CALLBACK(onEnter), nullptr);
    g_signal_connect(window.top, "destroy", G_CALLBACK(onDestroy), data);
    g_signal_connect(window.top, "configure-event", G_CALLBACK(onConfigure), data);
    g_signal_connect(window.top, "window-state-event", G_CALLBACK(onWindowState), data);
    gtk::connectKeyEvents(window.top, handle);
    g_signal_connect(window.client, "size-allocate", G_CALLBACK(onClientAllocated), data);
    g_signal_connect(window.client, "draw", G_CALLBACK(onDrawClient), nullptr);
    // As on Windows, the new window hears of its size before creation
    // returns: this is the size message that the host skips, so the first
    // size change made by the script is told like every later one.
    updateClientSize(window);
    reportSize(handle, window.clientWidth, window.clientHeight);
    return handle;
}

void showWindow(WindowHandle handle, int showCommand) {
    Window* window = find(handle);
    if (window == nullptr || window->top == nullptr) return;
    GtkWindow* top = GTK_WINDOW(window->top);
    switch (showCommand) {
    case kSwHide:
        gtk_widget_hide(window->top);
        return;
    case kSwShowMinimized:
    case kSwMinimize:
    case kSwShowMinNoActive:
        gtk_window_iconify(top);
        break;
    case kSwShowMaximized:
        gtk_window_maximize(top);
        break;
    default:
        break;
    }
    gtk_widget_show(window->top);
}

void updateWindow(WindowHandle handle) {
    if (Window* window = find(handle); window != nullptr && window->top != nullptr)
        gdk_display_flush(gtk_widget_get_display(window->top));
}

bool destroyWindow(WindowHandle handle) {
    Window* window = find(handle);
    if (window == nullptr) return false;
    switch (window->kind) {
    case Kind::main:
        gtk_widget_destroy(window->top);  // the destroy message arrives inside this call
        return true;
    case Kind::dialogFrame:
        gtk_dialog_response(GTK_DIALOG(window->top), GTK_RESPONSE_CANCEL);
        return true;
    case Kind::dialogChild:
        common::setLastError(kErrorAccessDenied);  // a dialog's own parts stay
        return false;
    }
    return false;
}

bool getClientRect(WindowHandle handle, Rect& rect) {
    Window* window = find(handle);
    if (window == nullptr) return false;
    if (window->kind != Kind::main) {
        Window* frame = window->kind == Kind::dialogChild ? find(window->parent) : window;
        int width = 0;
        int height = 0;
        if (frame != nullptr && frame->top != nullptr) gtk_window_get_size(GTK_WINDOW(frame->top), &width, &height);
        rect = {0, 0, width, height};
        return true;
    }
    if (window->iconified) {
        rect = {0, 0, 0, 0};
        return true;
    }
    rect = {0, 0, window->clientWidth, window->clientHeight};
    return true;
}

bool getWindowRect(WindowHandle handle, Rect& rect) {
    Window* window = find(handle);
    if (window == nullptr) return false;
    if (window->kind == Kind::dialogChild) {
        window = find(window->parent);
        if (window == nullptr) return false;
    }
    if (window->frameKnown) {
        rect = window->frame;
        return true;
    }
    // Not on the screen yet: where and how big it will be, as far as GTK knows.
    learnDecoration(*window);
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    if (!onWayland(*window)) gtk_window_get_position(GTK_WINDOW(window->top), &x, &y);
    gtk_window_get_size(GTK_WINDOW(window->top), &width, &height);
    rect = {x, y, x + width + window->decorationWidth, y + height + window->decorationHeight};
    return true;
}

bool workArea(WindowHandle handle, Rect& area) {
    Window* window = find(handle);
    GdkDisplay* display = gdk_display_get_default();
    GdkWindow* gdkWindow = window != nullptr && window->top != nullptr ? gtk_widget_get_window(window->top) : nullptr;
    GdkMonitor* monitor = gdkWindow != nullptr ? gdk_display_get_monitor_at_window(display, gdkWindow) : nullptr;
    if (monitor == nullptr) monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
    if (monitor == nullptr) return false;
    GdkRectangle work{};
    gdk_monitor_get_workarea(monitor, &work);
    area = {work.x, work.y, work.x + work.width, work.y + work.height};
    return true;
}

bool setWindowPos(WindowHandle handle, WindowHandle, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, std::uint32_t flags) {
    Window* window = find(handle);
    if (window == nullptr) return false;
    if (window->kind == Kind::dialogChild) return true;  // fills its frame
    GtkWindow* top = GTK_WINDOW(window->top);
    GdkWindow* gdkWindow = gtk_widget_get_window(window->top);
    bool move = !(flags & kSwpNoMove);
    bool size = !(flags & kSwpNoSize);
    Rect before{};
    getWindowRect(handle, before);
    window = find(handle);
    // The frame of the window manager is not ours to size: take it off.
    learnDecoration(*window);
    const int decorationWidth = window->decorationWidth;
    const int decorationHeight = window->decorationHeight;
    x = common::limitCoordinate(x);
    y = common::limitCoordinate(y);
    int innerWidth = common::limitExtent(width) - decorationWidth;
    int innerHeight = common::limitExtent(height) - decorationHeight;
    if (size) {
        limitInnerSize(*window, innerWidth, innerHeight);
        width = innerWidth + decorationWidth;
        height = innerHeight + decorationHeight;
    }
    if (move) gtk_window_move(top, x, y);
    if (size) gtk_window_resize(top, innerWidth, innerHeight);
    // Send the request now, so that the server (and the next query) has it.
    if (gdkWindow != nullptr && gtk_widget_get_mapped(window->top)) {
        if (move && size)
            gdk_window_move_resize(gdkWindow, x, y, innerWidth, innerHeight);
        else if (move)
            gdk_window_move(gdkWindow, x, y);
        else if (size)
            gdk_window_resize(gdkWindow, innerWidth, innerHeight);
        gdk_display_flush(gdk_window_get_display(gdkWindow));
    }
    Rect after = before;
    if (onWayland(*window)) move = false;
    if (move) {
        after.right += x - after.left;
        after.bottom += y - after.top;
        after.left = x;
        after.top = y;
    }
    if (size) {
        after.right = after.left + width;
        after.bottom = after.top + height;
    }
    window->frame = after;
    window->frameKnown = gdkWindow != nullptr && gtk_widget_get_mapped(window->top);
    // Windows sends the size message inside SetWindowPos; so does this
    // platform, with the client size the window is going to have. The
    // allocation that follows later with the same size is not told again.
    if (size && window->kind == Kind::main) {
        window->innerWidth = innerWidth;
        window->innerHeight = innerHeight;
        updateClientSize(*window);
        if (!window->iconified) reportSize(handle, window->clientWidth, window->clientHeight);
    }
    return true;
}

bool setWindowText(WindowHandle handle, const char* text) {
    Window* window = find(handle);
    if (window == nullptr) return false;
    if (window->top != nullptr) gtk_window_set_title(GTK_WINDOW(window->top), gtk::validUtf8(text).c_str());
    return true;
}

WindowHandle getParent(WindowHandle handle) {
    Window* window = find(handle);
    return window == nullptr ? 0 : window->parent;
}

}  // namespace platform
