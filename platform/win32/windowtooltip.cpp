// Balloon tool tips of the Win32 window system: a tool-tip window in
// balloon style for one control, its text shown unchanged (an ampersand is
// no access-key prefix) in the system's tool-tip colours, lines wrapped at
// 180 pixels of the program, shown while the mouse rests on the control,
// with a title and an icon when a title is given.
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/wide.h"
#include "platform/win32/windowstate.h"
#include "platform/win32/windowsystem.h"

namespace platform::win32 {

namespace {

// How long a balloon stays while the mouse rests: long enough to read it.
constexpr int ShowMs = 30000;

TTTOOLINFOW toolOf(const ControlRec& c, HWND owner) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(c.hwnd);
    return tool;
}

}  // namespace

void attachBalloon(ControlRec& c, const WindowRec& top, const std::wstring& text, const std::wstring& title,
                   IconKind icon) {
    HWND owner = top.hwnd;
    c.tipText = text;
    c.tipTitle = title;
    if (!c.tip) {
        c.tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        if (!c.tip) return;
        SendMessageW(c.tip, TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
        SendMessageW(c.tip, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
        SendMessageW(c.tip, TTM_SETMAXTIPWIDTH, 0, toPixels(BalloonWrapWidth, top.dpi));
        SendMessageW(c.tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, ShowMs);
        TTTOOLINFOW tool = toolOf(c, owner);
        tool.lpszText = c.tipText.data();
        SendMessageW(c.tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        TTTOOLINFOW tool = toolOf(c, owner);
        tool.lpszText = c.tipText.data();
        SendMessageW(c.tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (!c.tipTitle.empty()) {
        const WPARAM iconId = icon == IconKind::Information ? TTI_INFO : TTI_NONE;
        SendMessageW(c.tip, TTM_SETTITLEW, iconId, reinterpret_cast<LPARAM>(c.tipTitle.c_str()));
    }
}

}  // namespace platform::win32

namespace platform {

void Win32WindowSystem::attachToolTip(int id, const std::string& text, const std::string& title, IconKind icon) {
    win32::ControlRec* c = s_->find(id);
    win32::WindowRec* top = c ? s_->window(c->window) : nullptr;
    if (top) win32::attachBalloon(*c, *top, win32::widen(text), win32::widen(title), icon);
}

}  // namespace platform
