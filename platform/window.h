// The window-system door of Quonabix.
//
// Everything the program shows goes through this interface: windows,
// controls, menu items and fonts are addressed by the program's own small
// integer ids, texts are UTF-8 std::string, and no toolkit type appears
// here. Two backends implement it: platform/qt (the product, Qt 6 Widgets)
// and platform/headless (an in-memory window system for tests). An
// operation on an id that does not exist does nothing and returns 0 or "".
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

enum class ControlKind { FolderTree, TextField, Label, Button, Frame, Option, Table, Editor };

// Creation options of a control, or-ed together.
enum ControlOption : unsigned {
    CtlNone = 0,
    CtlCentred = 1,   // label: text centred
    CtlReadOnly = 2,  // editor: text can be selected and copied, not changed
};

// Creation options of a window, or-ed together.
enum WindowOption : unsigned {
    WinCloseBox = 1,            // caption with system menu and close box
    WinCentreOverActive = 2,    // centred over the program's active window, if any
    WinResizable = 4,           // sizing border
    WinMinMaxBoxes = 8,         // minimise and maximise buttons
};

enum class EventCode { Menu, Control, Close, Other };

enum class EventKind {
    None, Change, LeftClick, RightClick, LeftDoubleClick, RightDoubleClick,
    FocusGained, FocusLost, DragStart
};

enum class IconKind { None, Information };

// Message box button styles and answers.
constexpr int BoxOk = 0;
constexpr int BoxOkCancel = 1;
constexpr int AnswerOk = 1;
constexpr int AnswerCancel = 2;

// Row state bits of a table row.
constexpr int RowSelected = 1;
constexpr int RowTicked = 2;

// The mark of a table row, shown on its "Neuer Name" cell: none, or a
// warning drawn in the platform's warning colour with a tool tip that
// says why.
enum class RowMark { None, Warning };

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Windows. The window opened last is the parent of the menu bar and the
    // controls created next.
    virtual int openWindow(int id, int x, int y, int innerWidth, int innerHeight,
                           const std::string& title, unsigned options) = 0;
    virtual void setWindowTitle(int windowId, const std::string& text) = 0;
    virtual void closeWindow(int windowId) = 0;
    virtual int windowInnerSize(int windowId, int& width, int& height) = 0;
    virtual void resizeWindow(int windowId, int width, int height) = 0;
    // Runs on every size change of the window, before the default handling.
    virtual void setSizeHandler(int windowId, std::function<void(int windowId)> handler) = 0;

    // Menu bar of the window opened last; items go under the last title.
    virtual int createMenuBar(int windowId) = 0;
    virtual void addMenuTitle(const std::string& text) = 0;
    virtual void addMenuItem(int itemId, const std::string& text) = 0;

    // Controls.
    virtual int createControl(ControlKind kind, int id, int x, int y, int width, int height,
                              const std::string& caption, unsigned options) = 0;
    virtual void moveControl(int id, int x, int y, int width, int height) = 0;
    virtual void setEditorReadOnly(int id) = 0;
    virtual void addTableColumn(int id, int position, const std::string& title, int width) = 0;
    virtual void attachToolTip(int id, const std::string& text, const std::string& title,
                               IconKind icon) = 0;
    virtual std::string getText(int id) = 0;
    // Text field and label: replaced, no event. Folder tree: opens the tree
    // down to the folder, selects it and reports a change; a path that is
    // not a folder selects nothing and reports nothing.
    virtual void setText(int id, const std::string& text) = 0;
    virtual void setState(int id, int state) = 0;   // option: 1 on, others of its group off
    virtual int getState(int id) = 0;
    virtual void enable(int id, bool on) = 0;
    virtual void setFocus(int id) = 0;

    // Table rows. A row's text for addRow holds its cells separated by "\n".
    virtual int countRows(int id) = 0;
    virtual void clearRows(int id) = 0;
    virtual int addRow(int id, int position, const std::string& cells) = 0;
    virtual std::string getCell(int id, int row, int column) = 0;
    virtual void setCell(int id, int row, int column, const std::string& text) = 0;
    virtual int getRowState(int id, int row) = 0;
    virtual void setRowState(int id, int row, int state) = 0;
    // A new row has no mark; the mark stays until it is set again or the
    // row is removed. Unticked rows are drawn greyed, whatever their mark.
    virtual void setRowMark(int id, int row, RowMark mark) = 0;
    // The tool tip of a marked row, asked for only when it is shown: a
    // table of 100,000 marked rows keeps no 100,000 texts.
    virtual void setRowMarkTexts(int id, std::function<std::string(int row)> text) = 0;
    // The tool tip of a row's "Rename" cell (why it failed), asked for in
    // the same way; "" shows none.
    virtual void setStatusTexts(int id, std::function<std::string(int row)> text) = 0;

    // Events. Blocks until the next event; with wakeAfterMs >= 0 it returns
    // EventCode::Other once that many milliseconds have passed without one.
    virtual EventCode waitEvent(int wakeAfterMs) = 0;
    virtual int eventId() = 0;        // menu item, control or window id of the last event
    virtual EventKind eventKind() = 0;
    // Lets the window repaint during a long action; user input keeps waiting.
    virtual void repaintNow() = 0;
    // Drops the clicks on a button that wait, in the toolkit or the queue:
    // clicks that arrived while an action ran were not meant for the next.
    virtual void dropQueuedClicks(int id) = 0;
    // Drops the changes of a text field that wait in the queue right behind
    // the one being handled (no other event between them): its handler reads
    // the text as it is now, the last one already. Returns how many.
    virtual int dropWaitingChanges(int id) = 0;

    // Fonts and message boxes.
    virtual int loadFont(int fontId, const std::string& face, int points, bool bold) = 0;
    virtual void setControlFont(int id, int fontId) = 0;
    virtual int messageBox(const std::string& title, const std::string& text, int kind) = 0;

    // Inspection, for tests and checks of the layout.
    virtual bool controlRect(int id, int& x, int& y, int& width, int& height) = 0;
    virtual bool isEnabled(int id) = 0;
    virtual int focusedControl() = 0;   // -1 when none
    virtual std::string windowTitle(int windowId) = 0;
    virtual std::string columnTitle(int id, int column) = 0;
    virtual int columnWidth(int id, int column) = 0;
    virtual RowMark rowMark(int id, int row) = 0;
    virtual std::string rowMarkText(int id, int row) = 0;   // "" without a mark or texts
    virtual std::string statusText(int id, int row) = 0;    // "" without texts
    virtual bool rowGreyed(int id, int row) = 0;
};

// Drops the change events of control id at the front of a backend's queue
// of program events (dropWaitingChanges); shared by the backends.
template <class Queue>
int dropLeadingChanges(Queue& queue, int id) {
    int dropped = 0;
    while (!queue.empty() && queue.front().code == EventCode::Control && queue.front().id == id &&
           queue.front().kind == EventKind::Change) {
        queue.pop_front();
        ++dropped;
    }
    return dropped;
}

// The window system in use; the program sets it once at start-up, tests per case.
void useWindowSystem(WindowSystem* system);
WindowSystem& win();

}  // namespace platform
