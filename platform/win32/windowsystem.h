// Win32 window system: the program's own window system on Windows, the
// plain Win32 API (standard controls, common controls, no toolkit).
//
// Pairs with platform/window.h and implements every operation there:
// top-level windows with an optional menu bar, the eight control kinds
// (a list view with check boxes over a plain vector of rows for the table,
// a tree view of the folders of the drives), balloon tool tips, fonts by
// face name, modal message boxes, and the program's own FIFO queue of
// events that waitEvent fills by pumping the thread's message queue. The
// program's row changes reach the list view in batches when the event loop
// is entered, so 100,000 rows do not stall.
//
// Does not implement: a second thread, drag and drop beyond reporting the
// start of a drag, sorting of the table, icons in message boxes.
//
// No Windows header here: app/main.cpp includes this file.
#pragma once

#include <memory>
#include <string>

#include "platform/window.h"

namespace platform {

namespace win32 { struct WindowState; }

class Win32WindowSystem : public WindowSystem {
public:
    Win32WindowSystem();
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    // The window handles behind the ids (an HWND as a pointer), for tests
    // that act as the user would; nullptr for an unknown id.
    void* controlHandle(int id) const;
    void* windowHandle(int windowId) const;

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
    std::unique_ptr<win32::WindowState> s_;
};

}  // namespace platform
