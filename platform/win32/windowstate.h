// Internal to the Win32 window system: the one struct that holds all of its
// state, and the helpers its sources share. Nothing outside platform/win32
// sees it.
#pragma once

#include <windows.h>

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
};

struct WindowRec {
    HWND hwnd = nullptr;
    unsigned options = 0;
    std::function<void(int)> sizeHandler;
    int width = 0, height = 0;       // inner size last reported to the size handler
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
    std::map<int, HFONT> fonts;
    std::vector<HFONT> replacedFonts;   // may still be in use: deleted at the end
    HFONT controlFont = nullptr;

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

    // Window procedures of the top-level windows, and the notifications of
    // the controls that come to them.
    void command(WPARAM wParam, LPARAM lParam);
    LRESULT notify(NMHDR* header, bool& handled);
    void sized(HWND hwnd);
    void activated(HWND hwnd, bool active);
};

// A balloon tool tip for a control, in windowtooltip.cpp.
void attachBalloon(ControlRec& c, HWND owner, const std::wstring& text, const std::wstring& title,
                   IconKind icon);

}  // namespace platform::win32
