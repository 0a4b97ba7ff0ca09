// Qt window system: the product's backend, Qt 6 Widgets.
//
// Pairs with platform/window.h and implements every operation there on real
// widgets: top-level windows with an optional menu bar (window 0 fixed in
// size, others resizable on request), the eight control kinds, balloon tool
// tips, fonts by face name, modal message boxes, and the program's own FIFO
// queue of events that waitEvent fills by pumping Qt. The file table is a
// model over a plain vector; the program's row changes reach the view in
// batches when the event loop is entered, so 100,000 rows do not stall.
//
// Does not implement: a second thread, drag and drop beyond reporting the
// start of a drag, sorting of the table, icons in message boxes.
#pragma once

#include <memory>
#include <string>

#include "platform/window.h"

class QWidget;

namespace platform {

namespace qt { struct QtState; }

class QtWindowSystem : public WindowSystem {
public:
    // Uses the running QApplication, or creates one that is given the
    // program's name (argv[0]) and nothing else of the command line. Where
    // the toolkit finds no display to open, the process writes
    // `noDisplayLine` to standard error and ends with exit code 1, instead
    // of the toolkit's abort.
    QtWindowSystem();
    QtWindowSystem(int argc, char** argv, const std::string& noDisplayLine = {});
    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    // The widgets behind the ids, for tests that act as the user would.
    QWidget* controlWidget(int id) const;
    QWidget* windowWidget(int windowId) const;

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
    QWidget* makeWidget(ControlKind kind, int id, QWidget* parent, const std::string& caption,
                        unsigned options);

    std::unique_ptr<qt::QtState> s_;
};

}  // namespace platform
