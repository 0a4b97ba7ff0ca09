// Internal to the Qt backend: the one struct that holds all of its state,
// and the small top-level window class. Nothing outside platform/qt sees it.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/window.h"

class QApplication;

namespace platform::qt {

inline QString qs(const std::string& text) { return QString::fromStdString(text); }
inline std::string ss(const QString& text) { return text.toStdString(); }

// Window texts use CR LF or a lone CR as line break; Qt wants LF.
QString lineBreaks(const std::string& text);

// The selection keeps its colours when the widget loses the focus.
void keepSelectionVisible(QWidget* widget);

// Property that marks a control's widget with the program's id.
constexpr const char* IdProperty = "quonabixId";

// A top-level window of the program: optional menu bar on top, the control
// area below it. Its size is the inner size the program asked for, menu bar
// included, as on the platform the program was written for.
class TopWindow : public QWidget {
    Q_OBJECT
public:
    TopWindow(int id, unsigned options);
    int id() const { return id_; }
    bool resizable() const { return resizable_; }
    QWidget* area() const { return area_; }
    QMenuBar* menuBar() const { return menuBar_; }
    void attachMenuBar(QMenuBar* bar);
    void layoutParts();   // menu bar on top, control area below it
    void setInnerSize(int width, int height);
    void keepOnScreen();
    static QFont controlFont();

    std::function<void()> onClose;    // close box: the program decides
    std::function<void()> onResize;   // runs before the default handling

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int id_;
    bool resizable_;
    QWidget* area_;
    QMenuBar* menuBar_ = nullptr;
};

struct Event {
    EventCode code;
    int id;
    EventKind kind;
};

struct ControlRec {
    ControlKind kind = ControlKind::Label;
    int window = 0;
    QPointer<QWidget> widget;
    int group = -1;          // option group number, -1 for other kinds
    std::string caption;     // kinds whose widget has no text of its own (table)
};

struct WindowRec {
    QPointer<TopWindow> widget;
    std::function<void(int)> sizeHandler;
};

struct QtState {
    std::unique_ptr<QApplication> ownApp;
    // The toolkit is given the program's name only: the program reads no
    // command line, so "-reverse" or "-geometry" must not change the window.
    int ownArgc = 1;
    std::string ownName = "quonabix";
    char* ownArgv[2] = {nullptr, nullptr};

    std::map<int, WindowRec> windows;
    std::map<int, ControlRec> controls;
    int lastWindow = -1;            // parent of the menu bar and controls created next
    int nextGroup = 0;
    bool lastWasOption = false;
    QPointer<QMenuBar> menuBar;     // of the window opened last
    QPointer<QMenu> menu;           // the last title
    std::map<int, QFont> fonts;

    std::deque<Event> queue;
    Event last{EventCode::Other, 0, EventKind::None};
    int muted = 0;                  // > 0: the program's own focus moves report nothing
    QElapsedTimer lastPump;         // since the last repaintNow pump

    ControlRec* find(int id) {
        auto it = controls.find(id);
        return it == controls.end() || !it->second.widget ? nullptr : &it->second;
    }
    template <class W>
    W* widget(int id, ControlKind kind) {
        ControlRec* c = find(id);
        return c && c->kind == kind ? static_cast<W*>(c->widget.data()) : nullptr;
    }
    TopWindow* window(int id) {
        auto it = windows.find(id);
        return it == windows.end() ? nullptr : it->second.widget.data();
    }
    void post(EventCode code, int id, EventKind kind) { queue.push_back({code, id, kind}); }
    // A disabled control reports nothing.
    void postControl(int id, EventKind kind) {
        ControlRec* c = find(id);
        if (c && c->widget->isEnabled() && muted == 0) post(EventCode::Control, id, kind);
    }
    std::function<void(EventKind)> reporter(int id) {
        return [this, id](EventKind kind) { postControl(id, kind); };
    }
    // The window the program shows in front: the active one if it is ours,
    // else the one opened last that is still open.
    TopWindow* foreground();
    // Hands the rows and selections that the program changed to the views.
    void flushTables();
};

}  // namespace platform::qt
