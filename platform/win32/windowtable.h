// The file table of the Win32 window system: a list view in report view
// with check boxes, in owner-data mode over a plain vector of rows.
//
// The vector is the truth for texts, ticks, marks and the program's view
// of the selection; the list view asks for what it draws. The program's
// changes (add, setCell, setState) only touch the vector and remember what
// the list view has not seen yet; flush() hands it over in one step (the
// row count, one redraw of the changed rows, the selection), so each of
// those calls is O(1) however many rows there are.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/tablerows.h"
#include "platform/window.h"

namespace platform::win32 {

class FileTable {
public:
    // report queues an event of the table (a disabled table reports nothing);
    // column widths are the program's units, shown at the DPI.
    FileTable(HWND list, UINT dpi, std::function<void(EventKind)> report);
    ~FileTable();
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;

    // ---- the program's side: no events, no immediate view work
    int count() const { return rows_.count(); }
    bool has(int index) const { return rows_.has(index); }
    // Of an existing row (has).
    std::string_view cell(int index, int column) const { return rows_.cell(index, column); }
    int state(int index) const { return rows_.state(index); }
    RowMark mark(int index) const { return rows_.mark(index); }
    void add(int position, const std::string& cells);
    void setCell(int index, int column, const std::string& text);
    void setState(int index, int state);
    void setMark(int index, RowMark mark);
    std::string markText(int index) const;
    void clear();
    std::function<std::string(int row)> markTexts;
    std::function<std::string(int row)> statusTexts;

    void insertColumn(int position, const std::wstring& title, int width);
    int columnCount() const;
    std::wstring columnTitle(int column) const;
    int columnWidth(int column) const;
    void setDpi(UINT dpi);

    // Tells the list view of new and changed rows and the program's selection.
    void flush();

    // ---- the view's side
    // A notification of the list view to its parent; handled is set when
    // the result counts.
    LRESULT notify(NMHDR* header, bool& handled);

private:
    static LRESULT CALLBACK subclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool mouseOnCheckBox(UINT message, LPARAM lParam);
    bool spaceKey(UINT message, WPARAM wParam);
    void userToggleTick(int index);
    void viewSelectionChanged(int from, int to, UINT oldState, UINT newState);
    void takeOverSelection();
    void giveDisplayInfo(LVITEMW& item);
    LRESULT customDraw(NMLVCUSTOMDRAW* draw);
    void markDirty(int index);
    void setSelectedBit(int index, bool on);
    // The tool tip of the cell under the mouse: a name cut off by its
    // column, and the reason of a marked "Neuer Name" cell.
    void makeCellTip();
    void trackCellTip(LPARAM lParam);
    std::wstring cellTipText(int index, int column) const;
    bool cutOff(int index, int column, const std::wstring& text) const;

    HWND list_;
    UINT dpi_;
    HWND tip_ = nullptr;
    std::function<void(EventKind)> report_;
    TableRows rows_;
    int shown_ = 0;                  // rows the list view knows
    int dirtyFirst_ = -1, dirtyLast_ = -1;
    bool selectionDirty_ = false;
    int selected_ = 0;
    bool syncing_ = false;           // the program's selection is being handed over
    std::wstring buffer_;            // text handed to the list view or the tip
    int tipRow_ = -1, tipColumn_ = -1;
};

}  // namespace platform::win32
