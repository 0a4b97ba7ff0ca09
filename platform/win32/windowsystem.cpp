// Win32 window system: windows, menu, the event queue and its pump, and
// message boxes. Controls are in windowcontrols.cpp, the table in
// windowtable.cpp, the folder tree in windowfoldertree.cpp, the DPI of each
// window and the fonts in windowdpi.cpp.
#include "platform/win32/windowsystem.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/windowstate.h"

namespace platform::win32 {

namespace {

const wchar_t* const WindowClass = L"QuonabixWindow";

// A long action calls repaintNow for every row; painting more often than
// this would only slow the action down.
constexpr DWORD RepaintEveryMs = 40;

DWORD styleOf(unsigned options) {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    if (options & WinCloseBox) style |= WS_SYSMENU;
    if (options & WinResizable) style |= WS_THICKFRAME;
    if (options & WinMinMaxBoxes) style |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    return style;
}

// The frame around the inner area, menu bar not counted: the inner size
// the program speaks of holds the menu bar, as on the platform the program
// was written for.
SIZE frameOf(const WindowRec& w) {
    return frameAt(static_cast<DWORD>(GetWindowLongPtrW(w.hwnd, GWL_STYLE)),
                   static_cast<DWORD>(GetWindowLongPtrW(w.hwnd, GWL_EXSTYLE)), w.dpi);
}

// The inner size in the program's units.
SIZE innerSizeOf(const WindowRec& w) {
    RECT r{};
    GetWindowRect(w.hwnd, &r);
    const SIZE frame = frameOf(w);
    return {toUnits(r.right - r.left - frame.cx, w.dpi), toUnits(r.bottom - r.top - frame.cy, w.dpi)};
}

// The window stays where the program put it, unless a part of it would lie
// outside the work area of its screen: then it moves just enough to lie
// inside, its title bar and top-left corner first.
POINT keepOnScreen(POINT at, int width, int height) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info)) return at;
    const RECT& area = info.rcWork;
    at.x = std::max<LONG>(area.left, std::min<LONG>(at.x, area.right - width));
    at.y = std::max<LONG>(area.top, std::min<LONG>(at.y, area.bottom - height));
    return at;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* s = reinterpret_cast<WindowState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: s->command(wParam, lParam); return 0;
    case WM_NOTIFY: {
        bool handled = false;
        const LRESULT result = s->notify(reinterpret_cast<NMHDR*>(lParam), handled);
        if (handled) return result;
        break;
    }
    // The close box only asks; the program closes its windows itself.
    case WM_CLOSE: {
        const int id = s->windowId(hwnd);
        if (id >= 0) s->post(EventCode::Close, id, EventKind::None);
        return 0;
    }
    case WM_SIZE: s->sized(hwnd); break;
    case WM_DPICHANGED:
        s->dpiChanged(hwnd, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        s->activated(hwnd, LOWORD(wParam) != WA_INACTIVE);
        if (LOWORD(wParam) != WA_INACTIVE && GetFocus() != hwnd && GetFocus()) return 0;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerClass() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), WindowClass, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    // Each window gets the icon at its own DPI; these are for the others.
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(ProgramIcon));
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(ProgramIcon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = WindowClass;
    RegisterClassExW(&wc);
}

// Whether the message belongs to one of the program's windows, and which.
HWND programWindowOf(WindowState& s, HWND hwnd) {
    HWND top = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    return top && s.windowId(top) >= 0 ? top : nullptr;
}

// Hands every waiting message on; Tab, the arrow keys and Enter move and
// press as in a dialog.
void dispatchWaiting(WindowState& s) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        HWND top = programWindowOf(s, msg.hwnd);
        if (top && IsDialogMessageW(top, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

int WindowState::windowId(HWND hwnd) const {
    if (!hwnd) return -1;
    for (const auto& entry : windows) {
        if (entry.second.hwnd == hwnd) return entry.first;
    }
    return -1;
}

HWND WindowState::foreground() {
    HWND active = GetActiveWindow();
    if (windowId(active) >= 0) return active;
    if (WindowRec* last = window(lastWindow)) return last->hwnd;
    return windows.empty() ? nullptr : windows.rbegin()->second.hwnd;
}

// The size handler runs once per real change of the inner size.
void WindowState::sized(HWND hwnd) {
    const int id = windowId(hwnd);
    WindowRec* w = window(id);
    if (!w) return;
    const SIZE inner = innerSizeOf(*w);
    if (inner.cx == w->width && inner.cy == w->height) return;
    w->width = inner.cx;
    w->height = inner.cy;
    if (!w->sizeHandler) return;
    const auto handler = w->sizeHandler;   // it may replace itself
    handler(id);
}

// The control that had the focus gets it back when its window is active again.
void WindowState::activated(HWND hwnd, bool active) {
    WindowRec* w = window(windowId(hwnd));
    if (!w) return;
    if (!active) {
        HWND focus = GetFocus();
        w->lastFocus = focus && IsChild(hwnd, focus) ? focus : nullptr;
    } else if (w->lastFocus && IsWindow(w->lastFocus) && IsWindowEnabled(w->lastFocus)) {
        SetFocus(w->lastFocus);
    }
}

}  // namespace platform::win32

namespace platform {

using win32::widen;
using win32::WindowRec;

Win32WindowSystem::Win32WindowSystem() : s_(std::make_unique<win32::WindowState>()) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&init);
    win32::registerClass();
}

Win32WindowSystem::~Win32WindowSystem() {
    // Windows first: their controls still report while they are destroyed.
    for (auto& entry : s_->windows) {
        DestroyWindow(entry.second.hwnd);
        win32::destroyWindowIcons(entry.second);
    }
    s_->windows.clear();
    s_->controls.clear();
    for (auto& entry : s_->fonts) DeleteObject(entry.second);
    for (HFONT font : s_->replacedFonts) DeleteObject(font);
}

void* Win32WindowSystem::controlHandle(int id) const {
    win32::ControlRec* c = s_->find(id);
    return c ? c->hwnd : nullptr;
}

void* Win32WindowSystem::windowHandle(int windowId) const {
    WindowRec* w = s_->window(windowId);
    return w ? w->hwnd : nullptr;
}

// ---- windows ---------------------------------------------------------------------

// Position and size are the program's units at the DPI of the monitor the
// window opens on.
int Win32WindowSystem::openWindow(int id, int x, int y, int innerWidth, int innerHeight,
                                  const std::string& title, unsigned options) {
    if (s_->windows.count(id)) return 0;
    const DWORD style = win32::styleOf(options);
    HWND active = GetActiveWindow();
    const bool centred = (options & WinCentreOverActive) && s_->windowId(active) >= 0;
    RECT a{};
    if (centred) GetWindowRect(active, &a);
    UINT dpi = centred ? win32::windowDpi(active) : win32::monitorDpi({x, y});
    SIZE frame = win32::frameAt(style, 0, dpi);
    int width = win32::toPixels(innerWidth, dpi) + frame.cx, height = win32::toPixels(innerHeight, dpi) + frame.cy;
    POINT at{win32::toPixels(x, dpi), win32::toPixels(y, dpi)};
    if (centred) at = {(a.left + a.right - width) / 2, (a.top + a.bottom - height) / 2};
    at = win32::keepOnScreen(at, width, height);
    HWND hwnd = CreateWindowExW(0, win32::WindowClass, widen(title).c_str(), style, at.x, at.y, width, height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), s_.get());
    if (!hwnd) return 0;
    // Placed on a monitor of another DPI than the one it was measured for.
    if (const UINT shown = win32::windowDpi(hwnd); shown != dpi) {
        dpi = shown;
        frame = win32::frameAt(style, 0, dpi);
        width = win32::toPixels(innerWidth, dpi) + frame.cx;
        height = win32::toPixels(innerHeight, dpi) + frame.cy;
        SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    WindowRec& w = s_->windows[id];
    w.hwnd = hwnd;
    w.options = options;
    w.width = innerWidth;
    w.height = innerHeight;
    w.dpi = dpi;
    win32::setWindowIcons(w);
    s_->lastWindow = id;
    s_->lastWasOption = false;
    s_->menuBar = nullptr;
    s_->menu = nullptr;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    return 1;
}

void Win32WindowSystem::setWindowTitle(int windowId, const std::string& text) {
    if (WindowRec* w = s_->window(windowId)) SetWindowTextW(w->hwnd, widen(text).c_str());
}

std::string Win32WindowSystem::windowTitle(int windowId) {
    WindowRec* w = s_->window(windowId);
    if (!w) return "";
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w->hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(w->hwnd, text.data(), static_cast<int>(text.size()))));
    return win32::narrow(text);
}

void Win32WindowSystem::closeWindow(int windowId) {
    WindowRec* w = s_->window(windowId);
    if (!w) return;
    HWND hwnd = w->hwnd;
    if (s_->menuWindow == hwnd) s_->menuBar = s_->menu = nullptr;
    // Destroyed first: its controls still report while they go.
    DestroyWindow(hwnd);
    win32::destroyWindowIcons(*w);
    s_->windows.erase(windowId);
    for (auto c = s_->controls.begin(); c != s_->controls.end();) {
        c = c->second.window == windowId ? s_->controls.erase(c) : std::next(c);
    }
    if (s_->lastWindow == windowId) s_->lastWindow = -1;
}

int Win32WindowSystem::windowInnerSize(int windowId, int& width, int& height) {
    WindowRec* w = s_->window(windowId);
    if (!w) return 0;
    const SIZE inner = win32::innerSizeOf(*w);
    width = inner.cx;
    height = inner.cy;
    return 1;
}

// The size handler runs from WM_SIZE, once per real change.
void Win32WindowSystem::resizeWindow(int windowId, int width, int height) {
    WindowRec* w = s_->window(windowId);
    if (!w) return;
    const SIZE frame = win32::frameOf(*w);
    SetWindowPos(w->hwnd, nullptr, 0, 0, win32::toPixels(width, w->dpi) + frame.cx,
                 win32::toPixels(height, w->dpi) + frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::setSizeHandler(int windowId, std::function<void(int)> handler) {
    if (WindowRec* w = s_->window(windowId)) w->sizeHandler = std::move(handler);
}

// ---- menu ------------------------------------------------------------------------

// The bar takes its height from the inner area: the window keeps its size.
int Win32WindowSystem::createMenuBar(int windowId) {
    WindowRec* w = s_->window(windowId);
    if (!w) return 0;
    HMENU bar = CreateMenu();
    if (!bar) return 0;
    SetMenu(w->hwnd, bar);
    s_->menuBar = bar;
    s_->menu = nullptr;
    s_->menuWindow = w->hwnd;
    return 1;
}

void Win32WindowSystem::addMenuTitle(const std::string& text) {
    if (!s_->menuBar) return;
    HMENU popup = CreatePopupMenu();
    AppendMenuW(s_->menuBar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), widen(text).c_str());
    s_->menu = popup;
    DrawMenuBar(s_->menuWindow);
}

void Win32WindowSystem::addMenuItem(int itemId, const std::string& text) {
    if (!s_->menu || itemId < 0 || win32::MenuBase + static_cast<UINT>(itemId) > 0xFFFF) return;
    AppendMenuW(s_->menu, MF_STRING, win32::MenuBase + static_cast<UINT>(itemId), widen(text).c_str());
}

// ---- events ----------------------------------------------------------------------

EventCode Win32WindowSystem::waitEvent(int wakeAfterMs) {
    s_->flushTables();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (;;) {
        win32::dispatchWaiting(*s_);
        if (!s_->queue.empty()) break;
        DWORD wait = INFINITE;
        if (wakeAfterMs >= 0) {
            const auto passed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            if (passed >= wakeAfterMs) break;
            wait = static_cast<DWORD>(wakeAfterMs - passed);
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (s_->queue.empty()) {
        s_->last = {EventCode::Other, 0, EventKind::None};
        return s_->last.code;
    }
    s_->last = s_->queue.front();
    s_->queue.pop_front();
    // A clicked option turns on now, in the order of the queue.
    const win32::ControlRec* c = s_->find(s_->last.id, ControlKind::Option);
    if (s_->last.code == EventCode::Control && s_->last.kind == EventKind::LeftClick && c) setState(s_->last.id, 1);
    return s_->last.code;
}

int Win32WindowSystem::eventId() { return s_->last.id; }
EventKind Win32WindowSystem::eventKind() { return s_->last.kind; }

// Paints what the program changed; the user's input stays in the message
// queue until the action ends and the program waits for events again.
void Win32WindowSystem::repaintNow() {
    const DWORD now = GetTickCount();
    if (s_->pumped && now - s_->lastPump < win32::RepaintEveryMs) return;
    s_->flushTables();
    for (auto& entry : s_->windows) RedrawWindow(entry.second.hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG msg;
    for (int guard = 0; guard < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++guard) {
        if (msg.message == WM_PAINT) DispatchMessageW(&msg);
    }
    s_->pumped = true;
    s_->lastPump = GetTickCount();
}

void Win32WindowSystem::dropQueuedClicks(int id) {
    win32::ControlRec* c = s_->find(id);
    MSG msg;
    if (c) {
        while (PeekMessageW(&msg, c->hwnd, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
        while (PeekMessageW(&msg, c->hwnd, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
    }
    auto& q = s_->queue;
    q.erase(std::remove_if(q.begin(), q.end(),
                           [id](const win32::Event& e) { return e.code == EventCode::Control && e.id == id; }),
            q.end());
}

int Win32WindowSystem::dropWaitingChanges(int id) { return dropLeadingChanges(s_->queue, id); }

// ---- message boxes -----------------------------------------------------------------

// No icon; closing a box with Cancel is Cancel, closing one with OK alone
// is OK. The program's other windows wait while it is open.
int Win32WindowSystem::messageBox(const std::string& title, const std::string& text, int kind) {
    if (kind < 0) return 0;
    s_->flushTables();
    HWND owner = s_->foreground();
    std::vector<HWND> disabled;
    for (auto& entry : s_->windows) {
        HWND hwnd = entry.second.hwnd;
        if (hwnd != owner && IsWindowEnabled(hwnd)) {
            EnableWindow(hwnd, FALSE);
            disabled.push_back(hwnd);
        }
    }
    const UINT type = (kind == BoxOkCancel ? MB_OKCANCEL : MB_OK) | MB_APPLMODAL | MB_SETFOREGROUND;
    const int answer =
        MessageBoxW(owner, win32::crlf(widen(text)).c_str(), widen(title).c_str(), type);
    for (HWND hwnd : disabled) EnableWindow(hwnd, TRUE);
    return kind == BoxOkCancel && answer != IDOK ? AnswerCancel : AnswerOk;
}

}  // namespace platform
