// Win32 window system: the DPI of each window. The program places its
// windows and controls in pixels of a 96-DPI screen; a window shows them at
// the DPI of the monitor it is on, with fonts and icons made for that DPI,
// and lays itself out anew when it is moved to a monitor of another DPI.
// What the program reads back (sizes, positions, column widths) is in its
// own 96-DPI units again. At 96 DPI every pixel is what the program gave.
//
// The functions that tell a window's DPI came with Windows 8.1 and 10; on
// older systems the DPI of the system is every window's.
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/wide.h"
#include "platform/win32/windowstate.h"
#include "platform/win32/windowsystem.h"

namespace platform::win32 {

namespace {

template <typename Function>
Function systemFunction(const wchar_t* module, const char* name) {
    HMODULE loaded = GetModuleHandleW(module);
    if (!loaded) loaded = LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!loaded) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}

struct DpiFunctions {
    UINT(WINAPI* forWindow)(HWND) = nullptr;
    HRESULT(WINAPI* forMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    BOOL(WINAPI* adjustForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* metricForDpi)(int, UINT) = nullptr;
};

const DpiFunctions& dpiFunctions() {
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        f.forWindow = systemFunction<decltype(f.forWindow)>(L"user32.dll", "GetDpiForWindow");
        f.forMonitor = systemFunction<decltype(f.forMonitor)>(L"shcore.dll", "GetDpiForMonitor");
        f.adjustForDpi = systemFunction<decltype(f.adjustForDpi)>(L"user32.dll", "AdjustWindowRectExForDpi");
        f.metricForDpi = systemFunction<decltype(f.metricForDpi)>(L"user32.dll", "GetSystemMetricsForDpi");
        return f;
    }();
    return functions;
}

int metricAt(int index, UINT dpi) {
    if (dpiFunctions().metricForDpi) return dpiFunctions().metricForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(systemDpi()));
}

HICON iconAt(int sizeMetric, UINT dpi) {
    const int size = metricAt(sizeMetric, dpi);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ProgramIcon), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR));
}

}  // namespace

UINT systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : ProgramDpi;
}

UINT windowDpi(HWND hwnd) {
    const UINT dpi = dpiFunctions().forWindow && hwnd ? dpiFunctions().forWindow(hwnd) : 0;
    return dpi > 0 ? dpi : systemDpi();
}

UINT monitorDpi(POINT at) {
    UINT x = 0, y = 0;
    constexpr int EffectiveDpi = 0;   // MDT_EFFECTIVE_DPI: the DPI the user chose
    if (dpiFunctions().forMonitor &&
        SUCCEEDED(dpiFunctions().forMonitor(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), EffectiveDpi, &x, &y)) &&
        x > 0) {
        return x;
    }
    return systemDpi();
}

SIZE frameAt(DWORD style, DWORD exStyle, UINT dpi) {
    RECT r{0, 0, 0, 0};
    if (dpiFunctions().adjustForDpi) {
        dpiFunctions().adjustForDpi(&r, style, FALSE, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return {r.right - r.left, r.bottom - r.top};
}

// The control font is the system's small dialog font, for which the
// program's layout was made, in the size of the window's DPI.
HFONT WindowState::fontFor(int fontId, UINT dpi) {
    const auto key = std::make_pair(fontId, dpi);
    if (auto it = fonts.find(key); it != fonts.end()) return it->second;
    HFONT font = nullptr;
    if (fontId == ControlFont) {
        HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        LOGFONTW look{};
        if (dpi == systemDpi() || !GetObjectW(stock, sizeof(look), &look)) return stock;
        look.lfHeight = MulDiv(look.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
        font = CreateFontIndirectW(&look);
    } else {
        auto wish = fontWishes.find(fontId);
        if (wish == fontWishes.end()) return nullptr;
        font = makeFont(wish->second, dpi);
    }
    if (font) fonts[key] = font;
    return font;
}

// Faces of fixed pitch: where one is missing, the font mapper is to pick
// another of fixed pitch, not the nearest proportional one.
HFONT makeFont(const FontWish& wish, UINT dpi) {
    bool fixed = false;
    for (const wchar_t* face : {L"Courier New", L"Courier", L"Consolas", L"Lucida Console"}) {
        if (CompareStringOrdinal(wish.face.c_str(), -1, face, -1, TRUE) == CSTR_EQUAL) fixed = true;
    }
    const int height = wish.points > 0 ? -MulDiv(wish.points, static_cast<int>(dpi), 72) : 0;
    const DWORD pitch = fixed ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_DONTCARE;
    return CreateFontW(height, 0, 0, 0, wish.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, pitch, wish.face.c_str());
}

// The title bar and the taskbar button show the program's icon drawn for
// the window's DPI, not one scaled from another size.
void setWindowIcons(WindowRec& w) {
    HICON big = iconAt(SM_CXICON, w.dpi), small = iconAt(SM_CXSMICON, w.dpi);
    if (!big || !small) {
        if (big) DestroyIcon(big);
        if (small) DestroyIcon(small);
        return;
    }
    SendMessageW(w.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(w.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    destroyWindowIcons(w);
    w.bigIcon = big;
    w.smallIcon = small;
}

void destroyWindowIcons(WindowRec& w) {
    if (w.bigIcon) DestroyIcon(w.bigIcon);
    if (w.smallIcon) DestroyIcon(w.smallIcon);
    w.bigIcon = w.smallIcon = nullptr;
}

void WindowState::placeControl(ControlRec& c) {
    const WindowRec* top = window(c.window);
    const UINT dpi = top ? top->dpi : ProgramDpi;
    MoveWindow(c.hwnd, toPixels(c.placed.left, dpi), toPixels(c.placed.top, dpi), toPixels(c.placed.right, dpi),
               toPixels(c.placed.bottom, dpi), TRUE);
}

// Moved to a monitor of another DPI: every control goes to its place and
// gets its font at the new DPI, then the window takes the rectangle that
// Windows suggests for it.
void WindowState::dpiChanged(HWND hwnd, UINT dpi, const RECT& suggested) {
    WindowRec* w = window(windowId(hwnd));
    if (!w || dpi == 0) return;
    const UINT before = w->dpi;
    w->dpi = dpi;
    for (auto& entry : controls) {
        ControlRec& c = entry.second;
        if (c.window != windowId(hwnd) || !c.hwnd) continue;
        placeControl(c);
        if (HFONT font = fontFor(c.font, dpi)) SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (c.table) c.table->setDpi(dpi);
        if (c.tip) SendMessageW(c.tip, TTM_SETMAXTIPWIDTH, 0, toPixels(BalloonWrapWidth, dpi));
    }
    if (before != dpi) setWindowIcons(*w);
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace platform::win32

namespace platform {

// The face is asked for by name; points become a height at the DPI of the
// window whose control shows the font.
int Win32WindowSystem::loadFont(int fontId, const std::string& face, int points, bool bold) {
    if (fontId == win32::ControlFont) return 0;
    const win32::FontWish wish{win32::widen(face), points, bold};
    const UINT dpi = win32::systemDpi();
    HFONT font = win32::makeFont(wish, dpi);
    if (!font) return 0;
    // A font replaced under the same id may still be in use: it lives on
    // until the window system goes.
    for (auto it = s_->fonts.begin(); it != s_->fonts.end();) {
        if (it->first.first != fontId) {
            ++it;
            continue;
        }
        s_->replacedFonts.push_back(it->second);
        it = s_->fonts.erase(it);
    }
    s_->fontWishes[fontId] = wish;
    s_->fonts[{fontId, dpi}] = font;
    return 1;
}

void Win32WindowSystem::setControlFont(int id, int fontId) {
    win32::ControlRec* c = s_->find(id);
    win32::WindowRec* top = c ? s_->window(c->window) : nullptr;
    if (!top || fontId == win32::ControlFont || !s_->fontWishes.count(fontId)) return;
    HFONT font = s_->fontFor(fontId, top->dpi);
    if (!font) return;
    c->font = fontId;
    SendMessageW(c->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace platform
