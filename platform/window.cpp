// The registry behind platform::useWindowSystem / platform::win().
//
// Until a backend is installed, win() answers with a window system that has
// no windows at all: every operation is one on an unknown id, so it does
// nothing and returns 0 or "". That lets command-line tools run engine code
// without a window. Its message boxes answer as a closed box would.
#include "platform/window.h"

namespace platform {
namespace {

class NoWindowSystem final : public WindowSystem {
public:
    int openWindow(int, int, int, int, int, const std::string&, unsigned) override { return 0; }
    void setWindowTitle(int, const std::string&) override {}
    void closeWindow(int) override {}
    int windowInnerSize(int, int& w, int& h) override { w = h = 0; return 0; }
    void resizeWindow(int, int, int) override {}
    void setSizeHandler(int, std::function<void(int)>) override {}
    int createMenuBar(int) override { return 0; }
    void addMenuTitle(const std::string&) override {}
    void addMenuItem(int, const std::string&) override {}
    int createControl(ControlKind, int, int, int, int, int, const std::string&, unsigned) override {
        return 0;
    }
    void moveControl(int, int, int, int, int) override {}
    void setEditorReadOnly(int) override {}
    void addTableColumn(int, int, const std::string&, int) override {}
    void attachToolTip(int, const std::string&, const std::string&, IconKind) override {}
    std::string getText(int) override { return ""; }
    void setText(int, const std::string&) override {}
    void setState(int, int) override {}
    int getState(int) override { return 0; }
    void enable(int, bool) override {}
    void setFocus(int) override {}
    int countRows(int) override { return 0; }
    void clearRows(int) override {}
    int addRow(int, int, const std::string&) override { return 0; }
    std::string getCell(int, int, int) override { return ""; }
    void setCell(int, int, int, const std::string&) override {}
    int getRowState(int, int) override { return 0; }
    void setRowState(int, int, int) override {}
    void setRowMark(int, int, RowMark) override {}
    void setRowMarkTexts(int, std::function<std::string(int)>) override {}
    void setStatusTexts(int, std::function<std::string(int)>) override {}
    void dropQueuedClicks(int) override {}
    int dropWaitingChanges(int) override { return 0; }
    EventCode waitEvent(int) override { return EventCode::Close; }
    int eventId() override { return 0; }
    EventKind eventKind() override { return EventKind::None; }
    void repaintNow() override {}
    int loadFont(int, const std::string&, int, bool) override { return 0; }
    void setControlFont(int, int) override {}
    int messageBox(const std::string&, const std::string&, int kind) override {
        return kind == BoxOkCancel ? AnswerCancel : AnswerOk;
    }
    bool controlRect(int, int& x, int& y, int& w, int& h) override {
        x = y = w = h = 0;
        return false;
    }
    bool isEnabled(int) override { return false; }
    int focusedControl() override { return -1; }
    std::string windowTitle(int) override { return ""; }
    std::string columnTitle(int, int) override { return ""; }
    int columnWidth(int, int) override { return 0; }
    RowMark rowMark(int, int) override { return RowMark::None; }
    std::string rowMarkText(int, int) override { return ""; }
    std::string statusText(int, int) override { return ""; }
    bool rowGreyed(int, int) override { return false; }
};

NoWindowSystem noWindows;
WindowSystem* current = nullptr;

}  // namespace

void useWindowSystem(WindowSystem* system) { current = system; }

WindowSystem& win() { return current ? *current : noWindows; }

}  // namespace platform
