// What only the Win32 window system can show: events that come from the
// user (driven here through the controls' own messages), the option that
// turns on when its click is taken from the queue, the file table's check
// boxes and its hand-over of many rows, message boxes and balloon tips.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/windowstate.h"
#include "platform/win32/windowsystem.h"
#include "testutil.h"
#include "testwindow.h"

namespace {

using namespace platform;
using namespace testwindow;

class Win32Backend : public ::testing::Test {
protected:
    void SetUp() override { open(w); }
    std::vector<Seen> events() { return drain(w); }
    HWND control(int id) { return static_cast<HWND>(w.controlHandle(id)); }
    std::vector<int> optionStates() {
        std::vector<int> states;
        for (int id : {OptA1, OptA2, OptA3, OptB1, OptB2}) states.push_back(w.getState(id));
        return states;
    }
    // Presses and releases the left button at a point of the table.
    void clickTable(POINT at) {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        PostMessageW(control(Table), WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(control(Table), WM_LBUTTONUP, 0, where);
    }
    POINT checkBoxOf(int row) {
        RECT r{};
        ListView_GetItemRect(control(Table), row, &r, LVIR_BOUNDS);
        for (LONG x = r.left; x < r.left + 40; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = {x, (r.top + r.bottom) / 2};
            if (ListView_HitTest(control(Table), &hit) == row && (hit.flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON) return hit.pt;
        }
        ADD_FAILURE() << "no check box in row " << row;
        return {r.left, r.top};
    }

    Win32WindowSystem w;
};

TEST_F(Win32Backend, TypingReportsChangeButTheProgramsTextDoesNot) {
    SendMessageW(control(Field), EM_SETSEL, 5, 5);
    SendMessageW(control(Field), WM_CHAR, L'x', 0);
    EXPECT_EQ(w.getText(Field), "*.jpgx");
    EXPECT_EQ(events(), std::vector<Seen>{change(Field)});
    w.setText(Field, "*.png");
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_F(Win32Backend, ClickedOptionTurnsOnWhenTheProgramTakesTheClick) {
    w.setState(OptA1, 1);
    w.setState(OptB1, 1);
    const struct { int clicked; std::vector<int> expected; } clicks[] = {
        {OptA2, {0, 1, 0, 1, 0}},
        {OptA2, {0, 1, 0, 1, 0}},   // a click on the option that is on keeps it on
        {OptB2, {0, 1, 0, 0, 1}},
    };
    for (const auto& c : clicks) {
        const std::vector<int> before = optionStates();
        w.setFocus(Field);
        events();
        // The click takes the focus from the field first; the option turns
        // on only when the program takes the click, after that focus loss.
        SetFocus(control(c.clicked));
        SendMessageW(control(c.clicked), BM_CLICK, 0, 0);
        EXPECT_EQ(optionStates(), before) << "a click on " << c.clicked << " still queued";
        ASSERT_EQ(w.waitEvent(0), EventCode::Control);
        EXPECT_EQ(w.eventKind(), EventKind::FocusLost);
        EXPECT_EQ(optionStates(), before) << "a click on " << c.clicked << " still queued";
        EXPECT_TRUE(contains(events(), click(c.clicked))) << "after a click on " << c.clicked;
        EXPECT_EQ(optionStates(), c.expected) << "after a click on " << c.clicked;
    }
}

TEST_F(Win32Backend, ButtonClickIsALeftClickUnlessDisabled) {
    SendMessageW(control(Button), BM_CLICK, 0, 0);
    EXPECT_EQ(events(), std::vector<Seen>{click(Button)});
    w.enable(Button, false);
    SendMessageW(control(Button), BM_CLICK, 0, 0);
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_F(Win32Backend, MouseOnTheTable) {
    for (int i = 0; i < 3; ++i) w.addRow(Table, -1, "f" + std::to_string(i) + "\nneu");
    w.setRowState(Table, 1, RowSelected);
    events();
    const struct { const char* what; POINT at; int row, state; std::vector<Seen> expected; } clicks[] = {
        {"check box", checkBoxOf(0), 0, RowTicked, {click(Table)}},
        {"check box of a selected row", checkBoxOf(1), 1, RowSelected | RowTicked, {click(Table), change(Table)}},
        {"check box again", checkBoxOf(0), 0, 0, {click(Table)}},
    };
    for (const auto& c : clicks) {
        clickTable(c.at);
        EXPECT_EQ(events(), c.expected) << c.what;
        EXPECT_EQ(w.getRowState(Table, c.row), c.state) << c.what;
    }
    RECT cell{};
    ListView_GetSubItemRect(control(Table), 2, 1, LVIR_BOUNDS, &cell);
    clickTable({(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
    EXPECT_EQ(events(), (std::vector<Seen>{change(Table), click(Table)})) << "a row chosen by a click";
    EXPECT_EQ(w.getRowState(Table, 2), RowSelected);
    EXPECT_EQ(w.getRowState(Table, 1), RowTicked) << "the click took the other selection away";
}

// The file table of a big folder: 100,000 rows added, handed to the list
// view, ticked and cleared, with the row states and cells right at both ends.
TEST_F(Win32Backend, HundredThousandRows) {
    constexpr int Rows = 100000;
    for (int i = 0; i < Rows; ++i) w.addRow(Table, -1, "f" + std::to_string(i) + "\nneu\n");
    for (int i = 0; i < Rows; ++i) w.setRowState(Table, i, RowTicked);
    w.setRowState(Table, Rows - 1, RowSelected | RowTicked);
    EXPECT_EQ(events(), std::vector<Seen>{});
    EXPECT_EQ(w.countRows(Table), Rows);
    EXPECT_EQ(ListView_GetItemCount(control(Table)), Rows);
    EXPECT_EQ(ListView_GetSelectedCount(control(Table)), 1u);
    EXPECT_EQ(w.getRowState(Table, 0), RowTicked);
    EXPECT_EQ(w.getRowState(Table, Rows - 1), RowSelected | RowTicked);
    EXPECT_EQ(w.getCell(Table, Rows - 1, 0), "f99999");
    w.clearRows(Table);
    events();
    EXPECT_EQ(ListView_GetItemCount(control(Table)), 0);
}

TEST_F(Win32Backend, FolderTreeShowsFoldersOnlyAndReportsTheUsersChoice) {
    testutil::TempDir dir;
    dir.folder("Bilder");
    dir.folder("alt");
    SetFileAttributesW(win32::widen(dir.folder("versteckt")).c_str(), FILE_ATTRIBUTE_HIDDEN);
    dir.file("datei.txt");
    w.setText(Tree, dir.path());
    EXPECT_EQ(events(), std::vector<Seen>{change(Tree)});
    HWND tree = control(Tree);
    const HTREEITEM chosen = TreeView_GetSelection(tree);
    TreeView_Expand(tree, chosen, TVE_EXPAND);
    std::vector<std::string> labels;
    HTREEITEM second = nullptr;
    for (HTREEITEM item = TreeView_GetChild(tree, chosen); item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = MAX_PATH;
        TreeView_GetItem(tree, &data);
        labels.push_back(win32::narrow(text));
        if (labels.size() == 2) second = item;
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"alt", "Bilder"}));
    ASSERT_NE(second, nullptr);
    TreeView_SelectItem(tree, second);   // as a click does
    EXPECT_EQ(events(), std::vector<Seen>{change(Tree)});
    EXPECT_EQ(w.getText(Tree), folderText(dir.path() + "Bilder/"));
}

TEST_F(Win32Backend, MenuItemsAndCloseBoxAreReported) {
    HWND window = static_cast<HWND>(w.windowHandle(0));
    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(GetSubMenu(bar, 1), 0), 0);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(GetSubMenu(bar, 0), 0), 0);
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(events(), (std::vector<Seen>{{EventCode::Menu, 1, EventKind::None},
                                           {EventCode::Menu, 0, EventKind::None},
                                           {EventCode::Close, 0, EventKind::None}}));
    EXPECT_TRUE(IsWindowVisible(window)) << "the program closes its windows itself";
}

TEST_F(Win32Backend, MainWindowIsFixedAndItsMenuBarTakesFromTheInnerArea) {
    HWND window = static_cast<HWND>(w.windowHandle(0));
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_TRUE(style & WS_SYSMENU);
    RECT client{};
    GetClientRect(window, &client);
    // In pixels of the screen's DPI, which under Wine is every window's.
    const auto px = [](int units) { return MulDiv(units, static_cast<int>(win32::systemDpi()), 96); };
    EXPECT_EQ(client.right, px(790));
    EXPECT_LT(client.bottom, px(596)) << "the menu bar sits inside the inner height";
    EXPECT_GE(client.bottom, px(570)) << "the buttons end at y = 570";
    ASSERT_EQ(w.openWindow(1, 256, 19, 670, 386, "Info", WinCloseBox | WinResizable | WinMinMaxBoxes), 1);
    const LONG_PTR info = GetWindowLongPtrW(static_cast<HWND>(w.windowHandle(1)), GWL_STYLE);
    EXPECT_TRUE((info & WS_THICKFRAME) && (info & WS_MAXIMIZEBOX));
}

int fontHeight(HWND control) {
    LOGFONTW look{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(look), &look);
    return look.lfHeight;
}

int iconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

int iconWidth(HWND window, WPARAM which) {
    return iconWidth(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0)));
}

std::wstring versionText(const std::vector<char>& info, const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040704B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return L"";
    return text;
}

// What Explorer shows of a program file: the icon, drawn for every size
// from 16 to 256 pixels, and the version information. The window cases
// carry the resources of the programs, made from the same template.
TEST_F(Win32Backend, ProgramFileCarriesItsIconAndVersion) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(win32::ProgramIcon),
                                                   IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        EXPECT_EQ(iconWidth(icon), size) << size << " pixels";
        if (icon) DestroyIcon(icon);
    }
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<char> info(GetFileVersionInfoSizeW(self, nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, static_cast<DWORD>(info.size()), info.data()));
    EXPECT_EQ(versionText(info, L"ProductName"), L"Quonabix");
    EXPECT_EQ(versionText(info, L"ProductVersion"), L"2.09");
    EXPECT_EQ(versionText(info, L"OriginalFilename"), L"quonabix_window_tests.exe");
    EXPECT_EQ(versionText(info, L"FileDescription"), L"Quonabix \u2013 Fenstertests");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(std::make_pair(fixed->dwFileVersionMS, fixed->dwFileVersionLS), std::make_pair(DWORD{0x20009}, DWORD{0}));
}

// Moved to a monitor of another DPI (as Windows tells the window), every
// control takes its place, size, font and column widths at that DPI, the
// title bar its icon drawn for it, and the program reads its own 96-DPI
// units back; back at 96 DPI every pixel is what the program gave.
TEST_F(Win32Backend, WindowLaysItselfOutAtTheDpiOfItsMonitor) {
    HWND window = static_cast<HWND>(w.windowHandle(0));
    ASSERT_EQ(w.loadFont(7, "Courier New", 9, false), 1);
    w.setControlFont(Editor, 7);
    const UINT system = win32::systemDpi();
    LOGFONTW stock{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
    // The window at 144 DPI still fits the test's screen of 1280 x 1024 pixels.
    for (const UINT dpi : {144u, 120u, 96u}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        RECT at{};
        GetWindowRect(window, &at);
        const SIZE frame = win32::frameAt(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), 0, dpi);
        RECT suggested{at.left, at.top, at.left + MulDiv(790, dpi, 96) + frame.cx,
                       at.top + MulDiv(596, dpi, 96) + frame.cy};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        for (const ControlRow& c : Controls) {
            RECT r{};
            GetWindowRect(control(c.id), &r);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
            const auto px = [dpi](int units) { return MulDiv(units, static_cast<int>(dpi), 96); };
            EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                      (std::vector<LONG>{px(c.x), px(c.y), px(c.width), px(c.height)}))
                << "pixels of control " << c.id;
            int x = -1, y = -1, width = -1, height = -1;
            w.controlRect(c.id, x, y, width, height);
            EXPECT_EQ((std::vector<int>{x, y, width, height}), (std::vector<int>{c.x, c.y, c.width, c.height}))
                << "units of control " << c.id;
        }
        EXPECT_EQ(ListView_GetColumnWidth(control(Table), 0), MulDiv(355, dpi, 96));
        EXPECT_EQ(w.columnWidth(Table, 2), 60);
        EXPECT_EQ(fontHeight(control(Caption)), MulDiv(stock.lfHeight, dpi, system));
        EXPECT_EQ(fontHeight(control(Editor)), -MulDiv(9, dpi, 72)) << "the program's font";
        int width = 0, height = 0;
        w.windowInnerSize(0, width, height);
        EXPECT_EQ(std::make_pair(width, height), std::make_pair(790, 596));
        EXPECT_EQ(iconWidth(window, ICON_SMALL), MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, system));
        EXPECT_EQ(iconWidth(window, ICON_BIG), MulDiv(GetSystemMetrics(SM_CXICON), dpi, system));
    }
}

// Answers the message box the program shows next, from inside its loop,
// and keeps the text it showed.
struct BoxAnswer {
    UINT message;
    WPARAM command;
    std::wstring shown;
    bool seen = false;
};
BoxAnswer* pendingAnswer = nullptr;

BOOL CALLBACK answerBox(HWND hwnd, LPARAM) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t text[512] = {};
    GetDlgItemTextW(hwnd, 0xFFFF, text, 512);
    pendingAnswer->shown = text;
    pendingAnswer->seen = true;
    PostMessageW(hwnd, pendingAnswer->message, pendingAnswer->command, 0);
    return FALSE;
}

void CALLBACK lookForBox(HWND, UINT, UINT_PTR timer, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), answerBox, 0);
    if (pendingAnswer->seen) KillTimer(nullptr, timer);
}

TEST_F(Win32Backend, MessageBoxAnswersAndBreaksLinesAtCarriageReturns) {
    const struct { const char* name; int kind; UINT message; WPARAM command; const char* text; const wchar_t* shown; int expected; } cases[] = {
        {"OK", BoxOkCancel, WM_COMMAND, IDOK, "Weiter?", L"Weiter?", AnswerOk},
        {"Abbrechen", BoxOkCancel, WM_COMMAND, IDCANCEL, "eins\rzwei", L"eins\r\nzwei", AnswerCancel},
        {"close box", BoxOkCancel, WM_CLOSE, 0, "a\r\n\r\nb", L"a\r\n\r\nb", AnswerCancel},
        {"OK alone", BoxOk, WM_COMMAND, IDOK, "a & b", L"a & b", AnswerOk},
        {"close box of OK alone", BoxOk, WM_CLOSE, 0, "x", L"x", AnswerOk},
    };
    for (const auto& c : cases) {
        BoxAnswer answer{c.message, c.command, L""};
        pendingAnswer = &answer;
        SetTimer(nullptr, 0, 20, lookForBox);
        EXPECT_EQ(w.messageBox("Quonabix", c.text, c.kind), c.expected) << c.name;
        EXPECT_TRUE(answer.seen) << c.name;
        EXPECT_EQ(answer.shown, c.shown) << c.name;
        pendingAnswer = nullptr;
    }
    EXPECT_EQ(w.messageBox("Quonabix", "nur Ausgabe", -1), 0) << "the caller writes it";
}

TEST_F(Win32Backend, ToolTipIsABalloonWithTitleAndTheTextUnchanged) {
    const std::string text = "%nr%=Nummerierung, %dateinamen%=DateinamenKomplett, a & b <i>c</i>";
    w.attachToolTip(Field2, text, "Platzhalter", IconKind::Information);
    HWND balloon = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM found) {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        const bool balloonTip = std::wstring(name) == TOOLTIPS_CLASSW && (GetWindowLongPtrW(hwnd, GWL_STYLE) & TTS_BALLOON);
        if (balloonTip) *reinterpret_cast<HWND*>(found) = hwnd;
        return balloonTip ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&balloon));
    ASSERT_NE(balloon, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(balloon, GWL_STYLE) & TTS_NOPREFIX);
    EXPECT_EQ(SendMessageW(balloon, TTM_GETMAXTIPWIDTH, 0, 0), MulDiv(180, static_cast<int>(win32::systemDpi()), 96));
    wchar_t shown[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = static_cast<HWND>(w.windowHandle(0));
    tool.uId = reinterpret_cast<UINT_PTR>(control(Field2));
    tool.lpszText = shown;
    SendMessageW(balloon, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(win32::narrow(shown), text);
    // The title is not read back: Wine's tool tips do not answer TTM_GETTITLE.
}

TEST_F(Win32Backend, EditorIsReadOnlyAndBreaksAtCarriageReturns) {
    EXPECT_TRUE(GetWindowLongPtrW(control(Editor), GWL_STYLE) & ES_READONLY);
    w.setText(Editor, "Zeile 1\rZeile 2\r\nZeile 3");
    EXPECT_EQ(SendMessageW(control(Editor), EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(w.getText(Editor), "Zeile 1\nZeile 2\nZeile 3");
    ASSERT_EQ(w.createControl(ControlKind::Editor, 4803, 0, 0, 100, 50, "", 0), 1);
    EXPECT_FALSE(GetWindowLongPtrW(control(4803), GWL_STYLE) & ES_READONLY);
    w.setEditorReadOnly(4803);
    EXPECT_TRUE(GetWindowLongPtrW(control(4803), GWL_STYLE) & ES_READONLY);
}

TEST_F(Win32Backend, TextFieldsReportFocus) {
    w.setFocus(Field);
    w.setFocus(Field2);
    w.setFocus(Table);
    EXPECT_EQ(events(), (std::vector<Seen>{{EventCode::Control, Field, EventKind::FocusGained},
                                           {EventCode::Control, Field, EventKind::FocusLost},
                                           {EventCode::Control, Field2, EventKind::FocusGained},
                                           {EventCode::Control, Field2, EventKind::FocusLost}}));
}

TEST_F(Win32Backend, WakeUpDoesNotComeEarly) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(w.waitEvent(30), EventCode::Other);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

}  // namespace
