// Qt window system: windows, menu, the event queue, fonts and message
// boxes. Controls are in qtcontrols.cpp, the table in qttable.cpp.
#include "platform/qt/qtwindowsystem.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <unistd.h>
#include <vector>

#include "platform/qt/qtstate.h"

namespace platform::qt {

namespace {

// The buttons of the program's message boxes.
const char* const OkText = "OK";
const char* const CancelText = "Abbrechen";

// Time the window manager gets to put its frame around a new window.
constexpr int FrameSettleMs = 250;

// A long action calls repaintNow for every row; painting more often than
// this would only slow the action down.
constexpr qint64 RepaintEveryMs = 40;

}  // namespace

QString lineBreaks(const std::string& text) {
    QString result = qs(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

TopWindow::TopWindow(int id, unsigned options)
    : QWidget(nullptr), id_(id), resizable_((options & WinResizable) != 0), area_(new QWidget(this)) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (options & WinCloseBox) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (options & WinMinMaxBoxes) flags |= Qt::WindowMinMaxButtonsHint;
    setWindowFlags(flags);
    setFont(controlFont());
}

// The layout is in pixels made for a small dialog font; the toolkit's
// default would cut captions off. Arial is left to fontconfig like every
// face the program names (Liberation Sans where it is installed).
QFont TopWindow::controlFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

void TopWindow::attachMenuBar(QMenuBar* bar) {
    menuBar_ = bar;
    layoutParts();
}

void TopWindow::setInnerSize(int width, int height) {
    if (resizable_) {
        resize(width, height);
    } else {
        setFixedSize(width, height);
    }
}

// The close box only asks; the program closes its windows itself.
void TopWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onClose) onClose();
}

// The window stays where the program put it, unless a part of it, frame
// included, would lie outside the screen's available area (a small laptop
// screen, a large scale factor): then it moves just enough to lie inside.
// A window larger than the area keeps its title bar and top-left corner
// on the screen.
void TopWindow::keepOnScreen() {
    const QScreen* screen = QGuiApplication::screenAt(frameGeometry().center());
    if (!screen) screen = this->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    if (frame == geometry() && !isVisible()) {
        // No frame yet: allow for a usual title bar.
        frame.adjust(0, -style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    }
    QPoint at = frame.topLeft();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - frame.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - frame.height())));
    // Moved by the inner area: window systems differ in whether a move
    // places the frame or the inner area, never in how the two are apart.
    if (at != frame.topLeft()) setGeometry(geometry().translated(at - frame.topLeft()));
}

void TopWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    keepOnScreen();
}

void TopWindow::resizeEvent(QResizeEvent* event) {
    if (onResize) onResize();
    layoutParts();
    QWidget::resizeEvent(event);
}

void TopWindow::layoutParts() {
    int top = 0;
    if (menuBar_) {
        top = menuBar_->heightForWidth(width());
        if (top <= 0) top = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, width(), top);
    }
    area_->setGeometry(0, top, width(), std::max(0, height() - top));
}

TopWindow* QtState::foreground() {
    QWidget* active = QApplication::activeWindow();
    for (auto& entry : windows) {
        if (active && entry.second.widget == active) return entry.second.widget;
    }
    if (TopWindow* last = window(lastWindow)) return last;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (it->second.widget) return it->second.widget;
    }
    return nullptr;
}

}  // namespace platform::qt

namespace platform {

using qt::qs;
using qt::ss;
using qt::TopWindow;

QtWindowSystem::QtWindowSystem() : QtWindowSystem(0, nullptr) {}

namespace qt {
namespace {

// While the application object is built, the toolkit's messages wait here:
// a fatal one (no display to connect to) ends the process with the
// program's own line, the others reach the usual handler afterwards.
struct StartMessages {
    std::string noDisplayLine;
    struct Held {
        QtMsgType type;
        const char *file, *function, *category;   // the toolkit's own static texts
        int line;
        QString text;
    };
    std::vector<Held> held;
};
StartMessages* startMessages = nullptr;

void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        const std::string line = startMessages->noDisplayLine + "\n";
        (void)!write(STDERR_FILENO, line.data(), line.size());
        _exit(1);
    }
    startMessages->held.push_back({type, context.file, context.function, context.category, context.line, text});
}

}  // namespace
}  // namespace qt

QtWindowSystem::QtWindowSystem(int argc, char** argv, const std::string& noDisplayLine)
    : s_(std::make_unique<qt::QtState>()) {
    if (argc > 0 && argv && argv[0] && argv[0][0]) s_->ownName = argv[0];
    s_->ownArgc = 1;
    s_->ownArgv[0] = s_->ownName.data();
    if (!QApplication::instance()) {
        if (noDisplayLine.empty()) {
            s_->ownApp = std::make_unique<QApplication>(s_->ownArgc, s_->ownArgv);
        } else {
            qt::StartMessages messages{noDisplayLine, {}};
            qt::startMessages = &messages;
            const QtMessageHandler usual = qInstallMessageHandler(qt::holdStartMessage);
            s_->ownApp = std::make_unique<QApplication>(s_->ownArgc, s_->ownArgv);
            qInstallMessageHandler(usual);
            qt::startMessages = nullptr;
            for (const auto& m : messages.held) {
                qt_message_output(m.type, QMessageLogContext(m.file, m.line, m.function, m.category), m.text);
            }
        }
    }
    QApplication::setQuitOnLastWindowClosed(false);
    // The icon of the menu entry, from the icon theme where the program is
    // installed; the desktop entry's name ties the windows to that entry.
    QApplication::setDesktopFileName(QStringLiteral("quonabix"));
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quonabix")));
    }
}

QtWindowSystem::~QtWindowSystem() {
    s_->controls.clear();
    for (auto& entry : s_->windows) delete entry.second.widget.data();
    s_->windows.clear();
    s_->fonts.clear();
    s_->menuBar = nullptr;
    s_->menu = nullptr;
    s_->ownApp.reset();   // last: everything above needs it
}

QWidget* QtWindowSystem::controlWidget(int id) const {
    qt::ControlRec* c = s_->find(id);
    return c ? c->widget.data() : nullptr;
}

QWidget* QtWindowSystem::windowWidget(int windowId) const { return s_->window(windowId); }

// ---- windows -------------------------------------------------------------------

int QtWindowSystem::openWindow(int id, int x, int y, int innerWidth, int innerHeight,
                               const std::string& title, unsigned options) {
    if (s_->windows.count(id)) return 0;
    auto* top = new TopWindow(id, options);
    top->setWindowTitle(qs(title));
    top->setInnerSize(innerWidth, innerHeight);
    QPoint at(x, y);
    if (options & WinCentreOverActive) {
        if (QWidget* active = QApplication::activeWindow())
            at = active->frameGeometry().center() - QPoint(innerWidth / 2, innerHeight / 2);
    }
    top->move(at);
    top->keepOnScreen();

    qt::QtState* s = s_.get();
    top->onClose = [s, id] { s->post(EventCode::Close, id, EventKind::None); };
    top->onResize = [s, id] {
        auto it = s->windows.find(id);
        if (it == s->windows.end() || !it->second.sizeHandler) return;
        const auto handler = it->second.sizeHandler;   // it may replace itself
        handler(id);
    };
    s_->windows[id] = qt::WindowRec{top, {}};
    s_->lastWindow = id;
    s_->lastWasOption = false;
    s_->menuBar = nullptr;
    s_->menu = nullptr;
    top->show();
    // The window manager adds its frame only now; look again once it has.
    QTimer::singleShot(qt::FrameSettleMs, top, [top] { top->keepOnScreen(); });
    return 1;
}

void QtWindowSystem::setWindowTitle(int windowId, const std::string& text) {
    if (TopWindow* top = s_->window(windowId)) top->setWindowTitle(qs(text));
}

void QtWindowSystem::closeWindow(int windowId) {
    auto it = s_->windows.find(windowId);
    if (it == s_->windows.end()) return;
    TopWindow* top = it->second.widget;
    s_->windows.erase(it);
    for (auto c = s_->controls.begin(); c != s_->controls.end();) {
        c = c->second.window == windowId ? s_->controls.erase(c) : std::next(c);
    }
    if (s_->lastWindow == windowId) s_->lastWindow = -1;
    delete top;
}

int QtWindowSystem::windowInnerSize(int windowId, int& width, int& height) {
    TopWindow* top = s_->window(windowId);
    if (!top) return 0;
    width = top->width();
    height = top->height();
    return 1;
}

// The size handler runs from the resize event, once per real change.
void QtWindowSystem::resizeWindow(int windowId, int width, int height) {
    if (TopWindow* top = s_->window(windowId)) top->setInnerSize(width, height);
}

void QtWindowSystem::setSizeHandler(int windowId, std::function<void(int)> handler) {
    auto it = s_->windows.find(windowId);
    if (it != s_->windows.end()) it->second.sizeHandler = std::move(handler);
}

std::string QtWindowSystem::windowTitle(int windowId) {
    TopWindow* top = s_->window(windowId);
    return top ? ss(top->windowTitle()) : std::string();
}

// ---- menu ------------------------------------------------------------------------

int QtWindowSystem::createMenuBar(int windowId) {
    TopWindow* top = s_->window(windowId);
    if (!top) return 0;
    auto* bar = new QMenuBar(top);
    bar->setNativeMenuBar(false);
    top->attachMenuBar(bar);
    bar->show();
    s_->menuBar = bar;
    s_->menu = nullptr;
    return 1;
}

void QtWindowSystem::addMenuTitle(const std::string& text) {
    if (!s_->menuBar) return;
    s_->menu = s_->menuBar->addMenu(qs(text));
    // The bar may have grown with its first title.
    if (auto* top = dynamic_cast<TopWindow*>(s_->menuBar->parentWidget())) top->layoutParts();
}

void QtWindowSystem::addMenuItem(int itemId, const std::string& text) {
    if (!s_->menu) return;
    QAction* action = s_->menu->addAction(qs(text));
    qt::QtState* s = s_.get();
    QObject::connect(action, &QAction::triggered, action,
                     [s, itemId] { s->post(EventCode::Menu, itemId, EventKind::None); });
}

// ---- events ----------------------------------------------------------------------

EventCode QtWindowSystem::waitEvent(int wakeAfterMs) {
    s_->flushTables();
    if (s_->queue.empty()) {
        bool woke = false;
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);   // the program counts on "more than" the delay
        QObject::connect(&wake, &QTimer::timeout, [&woke] { woke = true; });
        if (wakeAfterMs >= 0) wake.start(wakeAfterMs);
        while (s_->queue.empty() && !woke)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    if (s_->queue.empty()) {
        s_->last = {EventCode::Other, 0, EventKind::None};
    } else {
        s_->last = s_->queue.front();
        s_->queue.pop_front();
        // A clicked option turns on now, in the order of the queue.
        const qt::ControlRec* c = s_->find(s_->last.id);
        if (s_->last.code == EventCode::Control && s_->last.kind == EventKind::LeftClick && c &&
            c->kind == ControlKind::Option) {
            setState(s_->last.id, 1);
        }
    }
    return s_->last.code;
}

int QtWindowSystem::eventId() { return s_->last.id; }
EventKind QtWindowSystem::eventKind() { return s_->last.kind; }

// Paints what the program changed; the user's input stays queued in Qt
// until the action ends and the program waits for events again.
void QtWindowSystem::repaintNow() {
    if (s_->lastPump.isValid() && s_->lastPump.elapsed() < qt::RepaintEveryMs) return;
    s_->flushTables();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    s_->lastPump.start();
}

namespace {
// Swallows the mouse and key input of one widget while the waiting input
// is handed out.
class InputEater : public QObject {
public:
    explicit InputEater(QObject* target) : target_(target) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != target_) return false;
        switch (event->type()) {
            case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress: case QEvent::KeyRelease: return true;
            default: return false;
        }
    }
private:
    QObject* target_;
};
}  // namespace

void QtWindowSystem::dropQueuedClicks(int id) {
    qt::ControlRec* c = s_->find(id);
    if (c && c->widget) {
        InputEater eater(c->widget);
        QCoreApplication::instance()->installEventFilter(&eater);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::instance()->removeEventFilter(&eater);
    }
    auto& q = s_->queue;
    q.erase(std::remove_if(q.begin(), q.end(),
                           [id](const qt::Event& e) { return e.code == EventCode::Control && e.id == id; }),
            q.end());
}

int QtWindowSystem::dropWaitingChanges(int id) { return dropLeadingChanges(s_->queue, id); }

// ---- fonts and message boxes -------------------------------------------------------

// The face is asked for by name; fontconfig picks the nearest installed one.
int QtWindowSystem::loadFont(int fontId, const std::string& face, int points, bool bold) {
    QFont font(qs(face));
    if (points > 0) font.setPointSize(points);
    font.setBold(bold);
    s_->fonts[fontId] = font;
    return 1;
}

void QtWindowSystem::setControlFont(int id, int fontId) {
    qt::ControlRec* c = s_->find(id);
    auto font = s_->fonts.find(fontId);
    if (c && font != s_->fonts.end()) c->widget->setFont(font->second);
}

int QtWindowSystem::messageBox(const std::string& title, const std::string& text, int kind) {
    if (kind < 0) return 0;
    s_->flushTables();
    QMessageBox box(s_->foreground());
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(qs(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(qt::lineBreaks(text));
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton* ok = box.addButton(QString::fromUtf8(qt::OkText), QMessageBox::AcceptRole);
    QPushButton* cancel =
        kind == BoxOkCancel ? box.addButton(QString::fromUtf8(qt::CancelText), QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(ok);
    // Escape and the close box give Cancel where there is one.
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    return cancel && box.clickedButton() != ok ? AnswerCancel : AnswerOk;
}

}  // namespace platform
