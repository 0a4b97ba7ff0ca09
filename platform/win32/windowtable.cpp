// The file table of the Win32 window system, and the table operations of
// Win32WindowSystem.
#include "platform/win32/windowtable.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "platform/win32/windowstate.h"
#include "platform/win32/windowsystem.h"

namespace platform::win32 {

namespace {

constexpr UINT_PTR SubclassId = 1;
constexpr UINT_PTR CellTool = 1;
// State images of LVS_EX_CHECKBOXES: 1 an empty box, 2 a ticked one.
constexpr int UntickedImage = 1;
constexpr int TickedImage = 2;
// Room the list view keeps around a cell's text.
constexpr int CellMargin = 12;
// Wide enough that the lines of a cell's tip break at "\n" only.
constexpr int CellTipWidth = 600;

// Windows names no warning colour: a light amber, on which the window text
// colour stays readable.
COLORREF warningColour() { return RGB(255, 214, 140); }

}  // namespace

FileTable::FileTable(HWND list, UINT dpi, std::function<void(EventKind)> report)
    : list_(list), dpi_(dpi), report_(std::move(report)) {
    ListView_SetExtendedListViewStyleEx(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                                        LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    // The ticks live in the rows: the list view asks for its state images.
    ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
    SetWindowSubclass(list_, subclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    makeCellTip();
}

FileTable::~FileTable() {
    RemoveWindowSubclass(list_, subclassProc, SubclassId);
    if (tip_) DestroyWindow(tip_);
}

// ---- the program's side ----------------------------------------------------------

void FileTable::add(int position, const std::string& cells) {
    const bool appended = position < 0 || position >= count();
    rows_.add(position, cells);
    if (appended) return;
    if (position < shown_) {
        // Rows the list view knows moved down: it draws them anew, and
        // its selection, kept by row number, is set again from the rows.
        ++shown_;
        ListView_SetItemCountEx(list_, shown_, LVSICF_NOSCROLL);
        InvalidateRect(list_, nullptr, FALSE);
        if (selected_ > 0) selectionDirty_ = true;
    }
}

void FileTable::setCell(int index, int column, const std::string& text) {
    if (index < 0 || index >= count() || column < 0 || column > 2) return;
    rows_.setCell(index, column, text);
    markDirty(index);
}

void FileTable::setState(int index, int state) {
    if (index < 0 || index >= count()) return;
    const int want = state & (RowSelected | RowTicked);
    if ((this->state(index) ^ want) & RowTicked) {
        rows_.setState(index, this->state(index) ^ RowTicked);
        markDirty(index);
    }
    if ((this->state(index) ^ want) & RowSelected) {
        setSelectedBit(index, (want & RowSelected) != 0);
        selectionDirty_ = true;
    }
}

void FileTable::setMark(int index, RowMark mark) {
    if (index < 0 || index >= count()) return;
    rows_.setMark(index, mark);
    markDirty(index);
}

std::string FileTable::markText(int index) const {
    if (!has(index) || mark(index) == RowMark::None || !markTexts) return "";
    return markTexts(index);
}

void FileTable::clear() {
    syncing_ = true;
    rows_.clear();
    ListView_DeleteAllItems(list_);
    syncing_ = false;
    shown_ = 0;
    dirtyFirst_ = dirtyLast_ = -1;
    selectionDirty_ = false;
    selected_ = 0;
}

void FileTable::insertColumn(int position, const std::wstring& title, int width) {
    const int at = std::clamp(position, 0, columnCount());
    std::wstring text = title;
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = toPixels(width, dpi_);
    column.pszText = text.data();
    ListView_InsertColumn(list_, at, &column);
    // Subitem numbers follow the places, so a column shows the cell of its place.
    for (int i = 0; i < columnCount(); ++i) {
        LVCOLUMNW number{};
        number.mask = LVCF_SUBITEM;
        number.iSubItem = i;
        ListView_SetColumn(list_, i, &number);
    }
}

int FileTable::columnCount() const { return Header_GetItemCount(ListView_GetHeader(list_)); }

std::wstring FileTable::columnTitle(int column) const {
    if (column < 0 || column >= columnCount()) return L"";
    wchar_t text[260] = {};
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = text;
    c.cchTextMax = 260;
    ListView_GetColumn(list_, column, &c);
    return text;
}

int FileTable::columnWidth(int column) const {
    if (column < 0 || column >= columnCount()) return 0;
    return toUnits(ListView_GetColumnWidth(list_, column), dpi_);
}

// Each column keeps its share of the table, also one the user has widened.
void FileTable::setDpi(UINT dpi) {
    if (dpi == dpi_) return;
    for (int i = 0; i < columnCount(); ++i) {
        ListView_SetColumnWidth(list_, i, MulDiv(ListView_GetColumnWidth(list_, i), static_cast<int>(dpi),
                                                  static_cast<int>(dpi_)));
    }
    dpi_ = dpi;
    if (tip_) SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, toPixels(CellTipWidth, dpi_));
}

void FileTable::markDirty(int index) {
    if (index >= shown_) return;   // the list view will see the row when it is counted
    dirtyFirst_ = dirtyFirst_ < 0 ? index : std::min(dirtyFirst_, index);
    dirtyLast_ = std::max(dirtyLast_, index);
}

void FileTable::setSelectedBit(int index, bool on) {
    if (on == ((state(index) & RowSelected) != 0)) return;
    rows_.setState(index, state(index) ^ RowSelected);
    selected_ += on ? 1 : -1;
}

void FileTable::flush() {
    if (shown_ != count()) {
        shown_ = count();
        ListView_SetItemCountEx(list_, shown_, LVSICF_NOSCROLL);
    }
    if (dirtyFirst_ >= 0) {
        ListView_RedrawItems(list_, dirtyFirst_, std::min(dirtyLast_, shown_ - 1));
        dirtyFirst_ = dirtyLast_ = -1;
    }
    if (selectionDirty_) takeOverSelection();
}

// The program set or cleared selections: the list view's selection is
// rebuilt from the row bits in one go.
void FileTable::takeOverSelection() {
    syncing_ = true;
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    for (int i = 0; i < count() && selected_ > 0; ++i) {
        if (state(i) & RowSelected)
            ListView_SetItemState(list_, i, LVIS_SELECTED, LVIS_SELECTED);
    }
    syncing_ = false;
    selectionDirty_ = false;
}

// ---- the view's side ----------------------------------------------------------------

void FileTable::giveDisplayInfo(LVITEMW& item) {
    const int index = item.iItem;
    if (!has(index)) return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const int column = item.iSubItem;
        buffer_ = column >= 0 && column < 3 ? widen(std::string(cell(index, column))) : std::wstring();
        lstrcpynW(item.pszText, buffer_.c_str(), item.cchTextMax);
    }
    if (item.mask & LVIF_STATE) {
        item.state &= ~LVIS_STATEIMAGEMASK;
        item.state |= INDEXTOSTATEIMAGEMASK((state(index) & RowTicked) ? TickedImage : UntickedImage);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

// Unticked rows in the grey of disabled text, a marked "Neuer Name" cell
// on the warning colour; selected rows in the selection's colours, also
// when the table does not have the focus.
LRESULT FileTable::customDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int index = static_cast<int>(draw->nmcd.dwItemSpec);
        if (!has(index)) return CDRF_DODEFAULT;
        if (state(index) & RowSelected) {
            draw->nmcd.uItemState &= ~CDIS_SELECTED;
            draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
            draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
            return CDRF_NEWFONT;
        }
        draw->clrText = GetSysColor((state(index) & RowTicked) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
        const bool marked = draw->iSubItem == 1 && mark(index) != RowMark::None;
        draw->clrTextBk = marked ? warningColour() : GetSysColor(COLOR_WINDOW);
        return CDRF_NEWFONT;
    }
    default: return CDRF_DODEFAULT;
    }
}

// The user changed the selection of rows from..to (all rows when from < 0).
void FileTable::viewSelectionChanged(int from, int to, UINT oldState, UINT newState) {
    if (syncing_ || !((oldState ^ newState) & LVIS_SELECTED)) return;
    const bool on = (newState & LVIS_SELECTED) != 0;
    if (from < 0) {
        if (!on && selected_ == 0) return;
        from = 0;
        to = count() - 1;
    }
    bool became = false;
    for (int i = std::max(from, 0); i <= std::min(to, count() - 1); ++i) {
        if (on && !(state(i) & RowSelected)) became = true;
        setSelectedBit(i, on);
    }
    if (became) report_(EventKind::Change);
}

// A tick the user changes on a selected row is a change of that row.
void FileTable::userToggleTick(int index) {
    if (index < 0 || index >= count()) return;
    rows_.setState(index, state(index) ^ RowTicked);
    if (index < shown_) ListView_RedrawItems(list_, index, index);
    if (state(index) & RowSelected) report_(EventKind::Change);
}

LRESULT FileTable::notify(NMHDR* header, bool& handled) {
    handled = true;
    switch (header->code) {
    case LVN_GETDISPINFOW: giveDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(header)->item); return 0;
    case NM_CUSTOMDRAW: return customDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case LVN_ITEMCHANGED: {
        const auto* item = reinterpret_cast<NMLISTVIEW*>(header);
        if (item->uChanged & LVIF_STATE) viewSelectionChanged(item->iItem, item->iItem, item->uOldState, item->uNewState);
        return 0;
    }
    case LVN_ODSTATECHANGED: {
        const auto* range = reinterpret_cast<NMLVODSTATECHANGE*>(header);
        viewSelectionChanged(range->iFrom, range->iTo, range->uOldState, range->uNewState);
        return 0;
    }
    case NM_CLICK: report_(EventKind::LeftClick); return 0;
    case NM_RCLICK: report_(EventKind::RightClick); return 0;
    case NM_DBLCLK: report_(EventKind::LeftDoubleClick); return 0;
    case NM_RDBLCLK: report_(EventKind::RightDoubleClick); return 0;
    // The program only learns that a drag began; nothing is dragged.
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG: report_(EventKind::DragStart); return 0;
    default: handled = false; return 0;
    }
}

// A click on a check box ticks or unticks its row without selecting it,
// and is a left click like any other; the list view of owner-data rows
// would not tick it by itself.
bool FileTable::mouseOnCheckBox(UINT message, LPARAM lParam) {
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK) return false;
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int index = ListView_HitTest(list_, &hit);
    // A full-row hit says "on the item" with every part's bit at once.
    if (index < 0 || (hit.flags & LVHT_ONITEM) != LVHT_ONITEMSTATEICON) return false;
    if (GetFocus() != list_) SetFocus(list_);
    report_(message == WM_LBUTTONDOWN ? EventKind::LeftClick : EventKind::LeftDoubleClick);
    userToggleTick(index);
    return true;
}

// Space ticks the row that has the focus rectangle.
bool FileTable::spaceKey(UINT message, WPARAM wParam) {
    if (wParam != VK_SPACE || (message != WM_KEYDOWN && message != WM_CHAR)) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0) return false;
    if (message == WM_KEYDOWN) userToggleTick(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
    return true;
}

LRESULT CALLBACK FileTable::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<FileTable*>(data);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (self->mouseOnCheckBox(message, lParam)) return 0;
        break;
    case WM_KEYDOWN:
    case WM_CHAR:
        if (self->spaceKey(message, wParam)) return 0;
        break;
    case WM_MOUSEMOVE: self->trackCellTip(lParam); break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == self->tip_ && header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            self->buffer_ = self->cellTipText(self->tipRow_, self->tipColumn_);
            info->lpszText = self->buffer_.data();
            return 0;
        }
        break;
    }
    default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---- the tool tip of the cells ------------------------------------------------------

void FileTable::makeCellTip() {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (!tip_) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = list_;
    tool.uId = CellTool;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, toPixels(CellTipWidth, dpi_));
}

// The tool is the cell under the mouse: moving into another cell hides
// the tip of the one before and asks for the text anew.
void FileTable::trackCellTip(LPARAM lParam) {
    if (!tip_) return;
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int index = ListView_SubItemHitTest(list_, &hit);
    const int column = index < 0 ? -1 : hit.iSubItem;
    if (index == tipRow_ && column == tipColumn_) return;
    tipRow_ = index;
    tipColumn_ = column;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = list_;
    tool.uId = CellTool;
    if (index >= 0) ListView_GetSubItemRect(list_, index, column, LVIR_BOUNDS, &tool.rect);
    if (index >= 0 && column == 0) {
        RECT label{};
        ListView_GetSubItemRect(list_, index, 0, LVIR_LABEL, &label);
        tool.rect.right = label.right;
    }
    SendMessageW(tip_, TTM_POP, 0, 0);
    SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring FileTable::cellTipText(int index, int column) const {
    if (!has(index) || column < 0 || column > 2) return L"";
    const std::wstring text = widen(std::string(cell(index, column)));
    std::wstring tip = column == 1 ? widen(markText(index))
                       : column == 2 && statusTexts ? widen(statusTexts(index)) : std::wstring();
    if (!text.empty() && cutOff(index, column, text)) tip = tip.empty() ? text : text + L"\n" + tip;
    return tip;
}

bool FileTable::cutOff(int index, int column, const std::wstring& text) const {
    RECT cell{};
    ListView_GetSubItemRect(list_, index, column, column == 0 ? LVIR_LABEL : LVIR_BOUNDS, &cell);
    HDC dc = GetDC(list_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
    return size.cx > cell.right - cell.left - toPixels(CellMargin, dpi_);
}

}  // namespace platform::win32

// ---- the table operations of Win32WindowSystem ------------------------------------------

namespace platform {

namespace {
win32::FileTable* tableOf(win32::WindowState& s, int id) {
    win32::ControlRec* c = s.find(id, ControlKind::Table);
    return c ? c->table.get() : nullptr;
}
}  // namespace

void win32::WindowState::flushTables() {
    for (auto& entry : controls) {
        if (entry.second.table) entry.second.table->flush();
    }
}

void Win32WindowSystem::addTableColumn(int id, int position, const std::string& title, int width) {
    if (win32::FileTable* t = tableOf(*s_, id)) t->insertColumn(position, win32::widen(title), width);
}

std::string Win32WindowSystem::columnTitle(int id, int column) {
    win32::FileTable* t = tableOf(*s_, id);
    return t ? win32::narrow(t->columnTitle(column)) : std::string();
}

int Win32WindowSystem::columnWidth(int id, int column) {
    win32::FileTable* t = tableOf(*s_, id);
    return t ? t->columnWidth(column) : 0;
}

int Win32WindowSystem::countRows(int id) {
    win32::FileTable* t = tableOf(*s_, id);
    return t ? t->count() : 0;
}

void Win32WindowSystem::clearRows(int id) {
    if (win32::FileTable* t = tableOf(*s_, id)) t->clear();
}

int Win32WindowSystem::addRow(int id, int position, const std::string& cells) {
    win32::FileTable* t = tableOf(*s_, id);
    if (!t) return 0;
    t->add(position, cells);
    return 1;
}

std::string Win32WindowSystem::getCell(int id, int row, int column) {
    win32::FileTable* t = tableOf(*s_, id);
    if (!t || !t->has(row) || column < 0 || column > 2) return "";
    return std::string(t->cell(row, column));
}

void Win32WindowSystem::setCell(int id, int row, int column, const std::string& text) {
    if (win32::FileTable* t = tableOf(*s_, id)) t->setCell(row, column, text);
}

int Win32WindowSystem::getRowState(int id, int row) {
    win32::FileTable* t = tableOf(*s_, id);
    return t && t->has(row) ? t->state(row) : 0;
}

void Win32WindowSystem::setRowState(int id, int row, int state) {
    if (win32::FileTable* t = tableOf(*s_, id)) t->setState(row, state);
}

void Win32WindowSystem::setRowMark(int id, int row, RowMark mark) {
    if (win32::FileTable* t = tableOf(*s_, id)) t->setMark(row, mark);
}

void Win32WindowSystem::setRowMarkTexts(int id, std::function<std::string(int)> text) {
    if (win32::FileTable* t = tableOf(*s_, id)) t->markTexts = std::move(text);
}

void Win32WindowSystem::setStatusTexts(int id, std::function<std::string(int)> text) {
    if (win32::FileTable* t = tableOf(*s_, id)) t->statusTexts = std::move(text);
}

std::string Win32WindowSystem::statusText(int id, int row) {
    const win32::FileTable* t = tableOf(*s_, id);
    return t && t->has(row) && t->statusTexts ? t->statusTexts(row) : std::string();
}

RowMark Win32WindowSystem::rowMark(int id, int row) {
    win32::FileTable* t = tableOf(*s_, id);
    return t && t->has(row) ? t->mark(row) : RowMark::None;
}

std::string Win32WindowSystem::rowMarkText(int id, int row) {
    win32::FileTable* t = tableOf(*s_, id);
    return t ? t->markText(row) : std::string();
}

bool Win32WindowSystem::rowGreyed(int id, int row) {
    win32::FileTable* t = tableOf(*s_, id);
    return t && t->has(row) && !(t->state(row) & RowTicked);
}

}  // namespace platform
