// Headless window system: an in-memory backend for tests.
//
// Pairs with platform/window.h. Implements every window operation on plain
// data (windows, controls, option groups, table rows, focus, fonts), keeps a
// queue of events that tests fill with user actions, answers message boxes
// from a script, and installs a tick clock that tests set instead of wait
// for. It draws nothing. When the event queue runs dry, waitEvent first
// serves a due wake-up by moving the clock forward, then reports the close
// request of the main window, so a scripted run of the main loop ends by
// itself.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

struct HeadlessState;

class HeadlessWindowSystem : public WindowSystem {
public:
    // Installs its clock as the process tick source; the destructor restores it.
    HeadlessWindowSystem();
    ~HeadlessWindowSystem() override;

    // ---- user actions: change the control as a user would and queue the event
    void userType(int id, const std::string& text);     // text field: new text, Change
    void userFocus(int id, bool gained);                // FocusGained / FocusLost
    void userClick(int id);                             // button or option (on when taken from the queue)
    void userSelectFolder(const std::string& path);     // folder tree, Change when it exists
    void userTickRow(int id, int row, bool ticked);     // check box click: LeftClick
    void userSelectRow(int id, int row);                // row selected: Change
    void userMenu(int itemId);
    void userClose(int windowId);                       // close box
    void userOther();                                   // mouse movement and the like
    void userResize(int windowId, int width, int height);   // runs the size handler
    void pushEvent(EventCode code, int id, EventKind kind);
    // Runs whenever waitEvent finds the queue empty, before the script's end
    // is reported; it may queue further actions.
    void onIdle(std::function<void()> hook);
    std::size_t pendingEvents() const;

    // ---- message boxes: answers are taken in order; none left means OK
    struct Box { std::string title, text; int kind; };
    void answerNext(int answer);
    const std::vector<Box>& shownBoxes() const;
    void clearBoxes();
    // Runs while a box is shown (a test may act "during" a modal box).
    void onMessageBox(std::function<void(const Box&)> hook);

    // ---- clock
    void setTick(uint32_t tick);
    void advance(uint32_t ms);
    uint32_t tick() const;

    // ---- inspection beyond the common interface
    bool exists(int id) const;
    bool windowOpen(int windowId) const;
    ControlKind kindOf(int id) const;
    std::string toolTipText(int id) const;
    std::string toolTipTitle(int id) const;
    std::vector<std::pair<int, std::string>> menuItems() const;   // item id, text
    std::vector<std::string> menuTitles() const;
    int controlFont(int id) const;
    bool isReadOnly(int id) const;
    int repaintCount() const;
    std::vector<int> creationOrder() const;

    // ---- WindowSystem
    int openWindow(int id, int x, int y, int innerWidth, int innerHeight,
                   const std::string& title, unsigned options) override;
    void setWindowTitle(int windowId, const std::string& text) override;
    void closeWindow(int windowId) override;
    int windowInnerSize(int windowId, int& width, int& height) override;
    void resizeWindow(int windowId, int width, int height) override;
    void setSizeHandler(int windowId, std::function<void(int)> handler) override;
    int createMenuBar(int windowId) override;
    void addMenuTitle(const std::string& text) override;
    void addMenuItem(int itemId, const std::string& text) override;
    int createControl(ControlKind kind, int id, int x, int y, int width, int height,
                      const std::string& caption, unsigned options) override;
    void moveControl(int id, int x, int y, int width, int height) override;
    void setEditorReadOnly(int id) override;
    void addTableColumn(int id, int position, const std::string& title, int width) override;
    void attachToolTip(int id, const std::string& text, const std::string& title,
                       IconKind icon) override;
    std::string getText(int id) override;
    void setText(int id, const std::string& text) override;
    void setState(int id, int state) override;
    int getState(int id) override;
    void enable(int id, bool on) override;
    void setFocus(int id) override;
    int countRows(int id) override;
    void clearRows(int id) override;
    int addRow(int id, int position, const std::string& cells) override;
    std::string getCell(int id, int row, int column) override;
    void setCell(int id, int row, int column, const std::string& text) override;
    int getRowState(int id, int row) override;
    void setRowState(int id, int row, int state) override;
    void setRowMark(int id, int row, RowMark mark) override;
    void setRowMarkTexts(int id, std::function<std::string(int row)> text) override;
    void setStatusTexts(int id, std::function<std::string(int row)> text) override;
    EventCode waitEvent(int wakeAfterMs) override;
    int eventId() override;
    EventKind eventKind() override;
    void repaintNow() override;
    void dropQueuedClicks(int id) override;
    int dropWaitingChanges(int id) override;
    int loadFont(int fontId, const std::string& face, int points, bool bold) override;
    void setControlFont(int id, int fontId) override;
    int messageBox(const std::string& title, const std::string& text, int kind) override;
    bool controlRect(int id, int& x, int& y, int& width, int& height) override;
    bool isEnabled(int id) override;
    int focusedControl() override;
    std::string windowTitle(int windowId) override;
    std::string columnTitle(int id, int column) override;
    int columnWidth(int id, int column) override;
    RowMark rowMark(int id, int row) override;
    std::string rowMarkText(int id, int row) override;
    std::string statusText(int id, int row) override;
    bool rowGreyed(int id, int row) override;

private:
    std::unique_ptr<HeadlessState> s_;
};

}  // namespace platform
