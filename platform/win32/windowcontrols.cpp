// Win32 window system: creating the controls, the operations on them, and
// the events of the standard controls (WM_COMMAND).
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/wide.h"
#include "platform/win32/windowstate.h"
#include "platform/win32/windowsystem.h"

namespace platform::win32 {

namespace {

struct Look {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

// Window class and styles of each kind. Options are BS_RADIOBUTTON, not
// the automatic kind: the click is queued, and the option turns on (and
// the others of its group off) when the program takes the click from the
// queue, so that events queued before it, such as a field of another rule
// losing the focus, take effect first.
Look lookOf(ControlKind kind, unsigned options) {
    switch (kind) {
    case ControlKind::FolderTree:
        return {WC_TREEVIEWW, WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                WS_EX_CLIENTEDGE};
    case ControlKind::TextField: return {L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        // One line, centred in its height, as a caption beside a field reads.
        return {L"STATIC",
                static_cast<DWORD>(SS_NOPREFIX | SS_CENTERIMAGE | ((options & CtlCentred) ? SS_CENTER : SS_LEFTNOWORDWRAP)),
                0};
    case ControlKind::Button: return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::Frame: return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Option: return {L"BUTTON", BS_RADIOBUTTON, 0};
    case ControlKind::Table:
        return {WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, WS_EX_CLIENTEDGE};
    case ControlKind::Editor: {
        DWORD style = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
        if (options & CtlReadOnly) style |= ES_READONLY;
        return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    }
    return {L"STATIC", 0, 0};
}

// The text of a control as the program reads it: line breaks as "\n".
std::string programText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        out += text[i];
    }
    return narrow(out);
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Frames lie behind every other control, whether it was created before or
// after them, so that they never cover one; the others keep the order of
// their creation, which is also the order of the Tab key.
void placeInZOrder(WindowRec& top, HWND hwnd, bool frame) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (frame) {
        SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, flags);
        return;
    }
    SetWindowPos(hwnd, top.lastControl ? top.lastControl : HWND_TOP, 0, 0, 0, 0, flags);
    top.lastControl = hwnd;
}

}  // namespace

std::wstring crlf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            out += L"\r\n";
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else if (c == L'\n') {
            out += L"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

ControlRec* WindowState::byHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (auto& entry : controls) {
        if (entry.second.hwnd == hwnd) return &entry.second;
    }
    return nullptr;
}

void WindowState::postControl(int id, EventKind kind) {
    ControlRec* c = find(id);
    if (c && IsWindowEnabled(c->hwnd) && muted == 0) post(EventCode::Control, id, kind);
}

// The events of the standard controls; menu commands come without a handle.
void WindowState::command(WPARAM wParam, LPARAM lParam) {
    const UINT code = HIWORD(wParam);
    if (lParam == 0) {
        if (code == 0 && LOWORD(wParam) >= MenuBase) post(EventCode::Menu, LOWORD(wParam) - MenuBase, EventKind::None);
        return;
    }
    ControlRec* c = byHandle(reinterpret_cast<HWND>(lParam));
    if (!c) return;
    switch (c->kind) {
    case ControlKind::TextField:
        // Only the user's edits: a text set by the program reports nothing.
        if (code == EN_CHANGE && settingText == 0) postControl(c->id, EventKind::Change);
        if (code == EN_SETFOCUS) postControl(c->id, EventKind::FocusGained);
        if (code == EN_KILLFOCUS) postControl(c->id, EventKind::FocusLost);
        break;
    case ControlKind::Button:
        if (code == BN_CLICKED) postControl(c->id, EventKind::LeftClick);
        break;
    case ControlKind::Option:
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) postControl(c->id, EventKind::LeftClick);
        break;
    default: break;
    }
}

LRESULT WindowState::notify(NMHDR* header, bool& handled) {
    handled = false;
    ControlRec* c = byHandle(header->hwndFrom);
    if (c && c->table) return c->table->notify(header, handled);
    if (c && c->tree) return c->tree->notify(header, handled);
    return 0;
}

}  // namespace platform::win32

namespace platform {

using win32::ControlRec;

int Win32WindowSystem::createControl(ControlKind kind, int id, int x, int y, int width, int height,
                                     const std::string& caption, unsigned options) {
    win32::WindowRec* top = s_->window(s_->lastWindow);
    if (!top || s_->controls.count(id)) return 0;
    const win32::Look look = win32::lookOf(kind, options);
    // Options created one directly after another form one group; the arrow
    // keys move within it.
    const bool groupGoesOn = kind == ControlKind::Option && s_->lastWasOption;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | look.style | (groupGoesOn ? 0 : WS_GROUP);
    const std::wstring text = kind == ControlKind::Editor ? win32::crlf(win32::widen(caption))
                              : kind == ControlKind::Table || kind == ControlKind::FolderTree
                                  ? std::wstring()
                                  : win32::widen(caption);
    const UINT dpi = top->dpi;
    HWND hwnd = CreateWindowExW(look.exStyle, look.windowClass, text.c_str(), style, win32::toPixels(x, dpi),
                                win32::toPixels(y, dpi), win32::toPixels(width, dpi), win32::toPixels(height, dpi),
                                top->hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return 0;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(s_->fontFor(win32::ControlFont, dpi)), FALSE);
    win32::placeInZOrder(*top, hwnd, kind == ControlKind::Frame);
    if (kind == ControlKind::Editor) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);

    ControlRec& c = s_->controls[id];
    c.id = id;
    c.kind = kind;
    c.window = s_->lastWindow;
    c.hwnd = hwnd;
    c.placed = {x, y, width, height};
    win32::WindowState* s = s_.get();
    if (kind == ControlKind::Table) {
        c.caption = caption;
        c.table = std::make_unique<win32::FileTable>(hwnd, dpi, [s, id](EventKind k) { s->postControl(id, k); });
    }
    if (kind == ControlKind::FolderTree)
        c.tree = std::make_unique<win32::FolderTree>(hwnd, [s, id] { s->postControl(id, EventKind::Change); });
    if (kind == ControlKind::Option) {
        if (!s_->lastWasOption) ++s_->nextGroup;
        c.group = s_->nextGroup;
    }
    s_->lastWasOption = kind == ControlKind::Option;
    return 1;
}

void Win32WindowSystem::moveControl(int id, int x, int y, int width, int height) {
    ControlRec* c = s_->find(id);
    if (!c) return;
    c->placed = {x, y, width, height};
    s_->placeControl(*c);
}

void Win32WindowSystem::setEditorReadOnly(int id) {
    if (ControlRec* c = s_->find(id, ControlKind::Editor)) SendMessageW(c->hwnd, EM_SETREADONLY, TRUE, 0);
}

std::string Win32WindowSystem::getText(int id) {
    ControlRec* c = s_->find(id);
    if (!c) return "";
    switch (c->kind) {
    case ControlKind::FolderTree: return c->tree->selectedPath();
    case ControlKind::Table: return c->caption;
    case ControlKind::Editor: return win32::programText(win32::windowText(c->hwnd));
    default: return win32::narrow(win32::windowText(c->hwnd));
    }
}

void Win32WindowSystem::setText(int id, const std::string& text) {
    ControlRec* c = s_->find(id);
    if (!c) return;
    switch (c->kind) {
    case ControlKind::FolderTree:
        // Reported like a selection by the user: the program's start relies on it.
        if (c->tree->selectPath(text)) s_->postControl(id, EventKind::Change);
        break;
    case ControlKind::Table: c->caption = text; break;
    case ControlKind::Editor: SetWindowTextW(c->hwnd, win32::crlf(win32::widen(text)).c_str()); break;
    default:
        ++s_->settingText;
        SetWindowTextW(c->hwnd, win32::widen(text).c_str());
        --s_->settingText;
        break;
    }
}

void Win32WindowSystem::setState(int id, int state) {
    ControlRec* c = s_->find(id, ControlKind::Option);
    if (!c) return;
    if (state == 1) {
        for (auto& entry : s_->controls) {
            ControlRec& other = entry.second;
            if (other.kind == ControlKind::Option && other.group == c->group && &other != c && other.hwnd)
                SendMessageW(other.hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SendMessageW(c->hwnd, BM_SETCHECK, state == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

int Win32WindowSystem::getState(int id) {
    ControlRec* c = s_->find(id, ControlKind::Option);
    return c && SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

// Windows would leave the focus of a disabled control nowhere, or the
// dialog keys would hand it on to the next control, which may be a field
// of another rule whose focus event turns that rule on. The focus goes to
// the window itself instead, silently: the user did not move it.
void Win32WindowSystem::enable(int id, bool on) {
    ControlRec* c = s_->find(id);
    if (!c) return;
    if (!on) {
        HWND focus = GetFocus();
        if (focus && (focus == c->hwnd || IsChild(c->hwnd, focus))) {
            ++s_->muted;
            SetFocus(GetAncestor(c->hwnd, GA_ROOT));
            --s_->muted;
        }
        if (win32::WindowRec* top = s_->window(c->window)) {
            if (top->lastFocus == c->hwnd || IsChild(c->hwnd, top->lastFocus)) top->lastFocus = nullptr;
        }
    }
    EnableWindow(c->hwnd, on ? TRUE : FALSE);
}

void Win32WindowSystem::setFocus(int id) {
    if (ControlRec* c = s_->find(id)) SetFocus(c->hwnd);
}

bool Win32WindowSystem::controlRect(int id, int& x, int& y, int& width, int& height) {
    ControlRec* c = s_->find(id);
    if (!c) return false;
    RECT r{};
    GetWindowRect(c->hwnd, &r);
    MapWindowPoints(nullptr, GetParent(c->hwnd), reinterpret_cast<POINT*>(&r), 2);
    const win32::WindowRec* top = s_->window(c->window);
    const UINT dpi = top ? top->dpi : win32::ProgramDpi;
    x = win32::toUnits(r.left, dpi);
    y = win32::toUnits(r.top, dpi);
    width = win32::toUnits(r.right - r.left, dpi);
    height = win32::toUnits(r.bottom - r.top, dpi);
    return true;
}

bool Win32WindowSystem::isEnabled(int id) {
    ControlRec* c = s_->find(id);
    return c && IsWindowEnabled(c->hwnd);
}

// The control with the keyboard focus; in a window that is not active the
// one that gets it back when the window is activated.
int Win32WindowSystem::focusedControl() {
    HWND focus = GetFocus();
    if (!focus) {
        HWND top = s_->foreground();
        const int windowId = s_->windowId(top);
        if (win32::WindowRec* w = s_->window(windowId)) focus = w->lastFocus;
    }
    for (HWND at = focus; at; at = GetParent(at)) {
        if (ControlRec* c = s_->byHandle(at)) return c->id;
        if (s_->windowId(at) >= 0) break;
    }
    return -1;
}

}  // namespace platform
