// Internal to the Win32 window system: the one struct that holds all of its
// state, and the helpers its sources share. Nothing outside platform/win32
// sees it.
#pragma once

#include <windows.h>

#include <climits>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/windowfoldertree.h"
#include "platform/win32/windowtable.h"
#include "platform/window.h"

namespace platform::win32 {

// Menu items reach the window procedure as WM_COMMAND with id + MenuBase,
// apart from the control ids and the dialog keys' IDOK and IDCANCEL.
constexpr UINT MenuBase = 40000;

// The program places everything in pixels of a 96-DPI screen; a window
// shows them at the DPI of its monitor (windowdpi.cpp).
constexpr int ProgramDpi = USER_DEFAULT_SCREEN_DPI;
inline int toPixels(int units, UINT dpi) { return MulDiv(units, static_cast<int>(dpi), ProgramDpi); }
inline int toUnits(int pixels, UINT dpi) { return MulDiv(pixels, ProgramDpi, static_cast<int>(dpi)); }
UINT systemDpi();
UINT windowDpi(HWND hwnd);   // of the monitor the window is on
UINT monitorDpi(POINT at);
// The frame around a window's inner area at a DPI, menu bar not counted.
SIZE frameAt(DWORD style, DWORD exStyle, UINT dpi);

// The resource number of the program's icon.
constexpr int ProgramIcon = 1;
// Balloon tips wrap their lines at 180 pixels of the program.
constexpr int BalloonWrapWidth = 180;

// The font id of the system's control font, apart from the program's ids.
constexpr int ControlFont = INT_MIN;
// A font as the program asked for it (face, points, bold): it is made
// again for the DPI of each monitor.
struct FontWish {
    std::wstring face;
    int points = 0;
    bool bold = false;
};
HFONT makeFont(const FontWish& wish, UINT dpi);

// Window texts use CR LF, a lone CR or a lone LF as line break; the edit
// and message box want CR LF.
std::wstring crlf(const std::wstring& text);

struct Event {
    EventCode code;
    int id;
    EventKind kind;
};

struct ControlRec {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    int window = 0;
    HWND hwnd = nullptr;
    int group = -1;                  // option group number, -1 for other kinds
    std::string caption;             // the table's text, which the list view does not show
    std::unique_ptr<FileTable> table;
    std::unique_ptr<FolderTree> tree;
    HWND tip = nullptr;              // balloon tool tip attached by the program
    std::wstring tipText, tipTitle;  // the balloon keeps a pointer to its text
    RECT placed{};                   // x, y, width, height in the program's units
    int font = ControlFont;
};

struct WindowRec {
    HWND hwnd = nullptr;
    unsigned options = 0;
    std::function<void(int)> sizeHandler;
    int width = 0, height = 0;       // inner size last reported to the size handler, in units
    UINT dpi = ProgramDpi;
    HICON bigIcon = nullptr, smallIcon = nullptr;
    HWND lastFocus = nullptr;        // the control to give the focus back on activation
    HWND lastControl = nullptr;      // the control created last, frames not counted
};

struct WindowState {
    std::map<int, WindowRec> windows;
    std::map<int, ControlRec> controls;
    int lastWindow = -1;             // parent of the menu bar and controls created next
    int nextGroup = 0;
    bool lastWasOption = false;
    HMENU menuBar = nullptr;         // of the window opened last
    HMENU menu = nullptr;            // the last title
    HWND menuWindow = nullptr;
    std::map<int, FontWish> fontWishes;              // the program's fonts by id
    std::map<std::pair<int, UINT>, HFONT> fonts;    // by font id and DPI, as used
    std::vector<HFONT> replacedFonts;   // may still be in use: deleted at the end

    std::deque<Event> queue;
    Event last{EventCode::Other, 0, EventKind::None};
    int muted = 0;                   // > 0: the program's own focus moves report nothing
    int settingText = 0;             // > 0: the program is setting a text field's text
    DWORD lastPump = 0;              // tick of the last repaintNow pump
    bool pumped = false;

    ControlRec* find(int id) {
        auto it = controls.find(id);
        return it == controls.end() || !it->second.hwnd ? nullptr : &it->second;
    }
    ControlRec* find(int id, ControlKind kind) {
        ControlRec* c = find(id);
        return c && c->kind == kind ? c : nullptr;
    }
    ControlRec* byHandle(HWND hwnd);
    WindowRec* window(int id) {
        auto it = windows.find(id);
        return it == windows.end() ? nullptr : &it->second;
    }
    int windowId(HWND hwnd) const;
    void post(EventCode code, int id, EventKind kind) { queue.push_back({code, id, kind}); }
    // A disabled control reports nothing, nor does the program's own focus move.
    void postControl(int id, EventKind kind);
    // The window the program shows in front: the active one if it is ours,
    // else the one opened last that is still open.
    HWND foreground();
    // Hands the rows and selections that the program changed to the views.
    void flushTables();

    // A font at a DPI, made when first needed; nullptr for an unknown id.
    HFONT fontFor(int fontId, UINT dpi);
    // The control at its place in the program's units, at its window's DPI.
    void placeControl(ControlRec& c);
    void dpiChanged(HWND hwnd, UINT dpi, const RECT& suggested);

    // Window procedures of the top-level windows, and the notifications of
    // the controls that come to them.
    void command(WPARAM wParam, LPARAM lParam);
    LRESULT notify(NMHDR* header, bool& handled);
    void sized(HWND hwnd);
    void activated(HWND hwnd, bool active);
};

// The program's icon on a window's title bar and taskbar button, at its DPI.
void setWindowIcons(WindowRec& w);
void destroyWindowIcons(WindowRec& w);

// A balloon tool tip for a control, in windowtooltip.cpp.
void attachBalloon(ControlRec& c, const WindowRec& owner, const std::wstring& text, const std::wstring& title,
                   IconKind icon);

}  // namespace platform::win32
