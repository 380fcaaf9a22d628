// The list view on Windows: a list-view control in report view (themed by
// the program's manifest, which asks for Common Controls 6) inside a
// container window of this extension's own class, a child of the program's
// window placed at client coordinates. The container receives the list's
// notifications (column clicks), so the program's window procedure never
// sees them. Every answer is read back from the control itself; each item's
// lParam indexes the row it shows, whose path is what selection returns.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "view.h"

namespace filelist {

enum Column { kName, kSize, kModified, kColumnCount };

struct View {
    HWND container = nullptr;  // null once Windows has destroyed it
    HWND list = nullptr;
    // The rows handed to showRows, with the names as the list compares them;
    // an item's lParam is its index here.
    std::vector<Row> rows;
    std::vector<std::wstring> wideNames;
    int sortColumn = -1;  // none: the order given
    bool descending = false;
};

namespace {

constexpr wchar_t kContainerClass[] = L"VeskFilelistView";

std::wstring wide(std::string_view utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

std::string utf8(std::wstring_view text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
}

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

View* viewOf(HWND container) { return reinterpret_cast<View*>(GetWindowLongPtrW(container, GWLP_USERDATA)); }

// Rows that compare equal in the sort column keep the order of their names.
int compareRows(const View& view, LPARAM first, LPARAM second) {
    const auto a = static_cast<std::size_t>(first);
    const auto b = static_cast<std::size_t>(second);
    const auto byNumber = [](std::int64_t x, std::int64_t y) { return x < y ? -1 : (x > y ? 1 : 0); };
    int order = 0;
    if (view.sortColumn == kSize) order = byNumber(view.rows[a].size, view.rows[b].size);
    if (view.sortColumn == kModified) order = byNumber(view.rows[a].modified, view.rows[b].modified);
    if (order == 0) {
        // CompareStringW answers 1, 2 or 3 for less, equal, greater.
        order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, view.wideNames[a].c_str(), -1,
                               view.wideNames[b].c_str(), -1) - 2;
    }
    return view.descending ? -order : order;
}

int CALLBACK compareItems(LPARAM first, LPARAM second, LPARAM sortView) {
    return compareRows(*reinterpret_cast<const View*>(sortView), first, second);
}

// Sorts the items by the view's sort column and shows the direction in the
// header (the arrow of Common Controls 6).
void sortItems(View& view) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(view.list, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < kColumnCount; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == view.sortColumn) item.fmt |= view.descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    if (view.sortColumn >= 0) {
        SendMessageW(view.list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&view),
                     reinterpret_cast<LPARAM>(&compareItems));
    }
}

LRESULT CALLBACK containerProcedure(HWND container, UINT code, WPARAM wParam, LPARAM lParam) {
    View* view = viewOf(container);
    switch (code) {
    case WM_SIZE:
        if (view != nullptr && view->list != nullptr) {
            MoveWindow(view->list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
        return 0;
    case WM_SETFOCUS:
        if (view != nullptr && view->list != nullptr) SetFocus(view->list);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the list covers all of it
    case WM_NOTIFY: {
        const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
        if (view != nullptr && notice->hwndFrom == view->list && notice->code == LVN_COLUMNCLICK) {
            const int column = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem;
            // A second click on the sort column turns the order round.
            view->descending = column == view->sortColumn && !view->descending;
            view->sortColumn = column;
            sortItems(*view);
            return 0;
        }
        break;
    }
    case WM_NCDESTROY:
        if (view != nullptr) {
            view->container = nullptr;
            view->list = nullptr;
            SetWindowLongPtrW(container, GWLP_USERDATA, 0);
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(container, code, wParam, lParam);
}

bool registerContainerClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = containerProcedure;
    windowClass.hInstance = thisModule();
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kContainerClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void addColumn(HWND list, int column, const wchar_t* title, int width, int format) {
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    item.fmt = format;
    item.cx = width;
    item.pszText = const_cast<wchar_t*>(title);
    item.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
}

// Column widths in pixels at the screen's resolution.
int scaled(int width) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(width, dpi, 96);
}

std::string itemText(HWND list, int item, int column) {
    std::wstring buffer(256, L'\0');
    for (;;) {
        LVITEMW request{};
        request.iSubItem = column;
        request.pszText = buffer.data();
        request.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<std::size_t>(
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request)));
        // A text that filled the buffer may have been cut: ask again with more room.
        if (length + 1 < buffer.size()) return utf8(std::wstring_view(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

void ViewDeleter::operator()(View* view) const {
    if (view->container != nullptr) DestroyWindow(view->container);
    std::unique_ptr<View> owned(view);
}

ViewPtr createView(void* clientArea) {
    const HWND parent = static_cast<HWND>(clientArea);
    if (!IsWindow(parent)) return nullptr;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    if (!InitCommonControlsEx(&controls) || !registerContainerClass()) return nullptr;
    ViewPtr view(std::make_unique<View>().release());
    // Hidden until placed.
    view->container = CreateWindowExW(0, kContainerClass, L"",
                                      WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, nullptr,
                                      thisModule(), nullptr);
    if (view->container == nullptr) return nullptr;
    SetWindowLongPtrW(view->container, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view.get()));
    view->list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                                 view->container, nullptr, thisModule(), nullptr);
    if (view->list == nullptr) return nullptr;
    SendMessageW(view->list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    addColumn(view->list, kName, L"Name", scaled(260), LVCFMT_LEFT);
    addColumn(view->list, kSize, L"Size", scaled(100), LVCFMT_RIGHT);
    addColumn(view->list, kModified, L"Modified", scaled(240), LVCFMT_LEFT);
    return view;
}

bool viewAlive(const View& view) { return view.container != nullptr; }

void placeView(View& view, const Bounds& bounds) {
    SetWindowPos(view.container, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

Bounds viewBounds(const View& view) {
    RECT rect{};
    GetWindowRect(view.container, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(view.container), reinterpret_cast<POINT*>(&rect), 2);
    return Bounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void showRows(View& view, const std::vector<Row>& rows) {
    // Filled without drawing; drawn once, before this returns.
    SendMessageW(view.list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(view.list, LVM_DELETEALLITEMS, 0, 0);
    view.rows = rows;
    view.wideNames.clear();
    view.wideNames.reserve(rows.size());
    SendMessageW(view.list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows.size()), 0);
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const Row& row = rows[index];
        view.wideNames.push_back(wide(row.name));
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(index);
        item.pszText = view.wideNames.back().data();
        item.lParam = static_cast<LPARAM>(index);
        const auto at = static_cast<WPARAM>(
            SendMessageW(view.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        std::wstring texts[] = {wide(row.sizeText), wide(row.modifiedText)};
        for (int column = kSize; column <= kModified; ++column) {
            LVITEMW sub{};
            sub.iSubItem = column;
            sub.pszText = texts[column - kSize].data();
            SendMessageW(view.list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
        }
    }
    sortItems(view);
    SendMessageW(view.list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view.list, nullptr, TRUE);
    UpdateWindow(view.list);
}

std::vector<std::string> viewPaths(const View& view, bool selectedOnly) {
    std::vector<std::string> paths;
    const UINT which = selectedOnly ? LVNI_SELECTED : LVNI_ALL;
    for (auto item = SendMessageW(view.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), which); item >= 0;
         item = SendMessageW(view.list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), which)) {
        LVITEMW request{};
        request.mask = LVIF_PARAM;
        request.iItem = static_cast<int>(item);
        SendMessageW(view.list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&request));
        const auto index = static_cast<std::size_t>(request.lParam);
        if (index < view.rows.size()) paths.push_back(view.rows[index].path);
    }
    return paths;
}

std::vector<std::vector<std::string>> viewTexts(const View& view) {
    std::vector<std::vector<std::string>> texts;
    const auto count = static_cast<int>(SendMessageW(view.list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        texts.push_back({itemText(view.list, item, kName), itemText(view.list, item, kSize),
                         itemText(view.list, item, kModified)});
    }
    return texts;
}

void focusView(View& view) { SetFocus(view.list); }

}  // namespace filelist
