// Qt window system: creating the controls and the operations on them.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "platform/qt/qtfoldertree.h"
#include "platform/qt/qtstate.h"
#include "platform/qt/qttable.h"
#include "platform/qt/qttooltip.h"
#include "platform/qt/qtwindowsystem.h"

namespace platform::qt {

void keepSelectionVisible(QWidget* widget) {
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    widget->setPalette(palette);
}

namespace {

// A text field that reports when it gains or loses the keyboard focus.
class LineEdit : public QLineEdit {
public:
    LineEdit(QWidget* parent, std::function<void(EventKind)> report)
        : QLineEdit(parent), report_(std::move(report)) {}

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        if (event->reason() != Qt::PopupFocusReason) report_(EventKind::FocusGained);
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        // Its own context menu does not take the field away from the user.
        if (event->reason() != Qt::PopupFocusReason) report_(EventKind::FocusLost);
    }

private:
    std::function<void(EventKind)> report_;
};

// An option button that does not turn itself on or off when clicked: the
// click is queued, and the option turns on (and the others of its group off)
// when the program takes the click from the queue, so that events queued
// before it, such as a field of another rule losing the focus, take effect
// first.
class OptionButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override {}
};

// A push button takes a double click as one click: the second press of a
// double click, and so its release, do nothing. A double click on
// "Rename" is no request for a second action on a table it has just
// renamed.
class PushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
};

void makeReadOnly(QPlainTextEdit* editor) {
    editor->setReadOnly(true);
    editor->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

// Width a caption needs beside what the control draws around it.
int captionRoom(QWidget* w, int& textWidth) {
    const QFontMetrics metrics(w->font());
    if (auto* option = qobject_cast<QRadioButton*>(w)) {
        textWidth = metrics.horizontalAdvance(option->text());
        return w->width() - (option->sizeHint().width() - textWidth);
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        textWidth = metrics.horizontalAdvance(button->text());
        return w->width() - 2 * w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w) - 4;
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        textWidth = metrics.horizontalAdvance(label->text());
        return label->contentsRect().width();
    }
    textWidth = 0;
    return 0;
}

// The layout's pixel sizes were made for a narrower dialog font than the
// ones found here: a caption that would be cut off, or hidden under the
// control next to it, is set a little narrower instead, never by more than
// a quarter, and no control moves.
void fitCaption(QWidget* w) {
    int textWidth = 0;
    const int room = captionRoom(w, textWidth);
    if (textWidth <= 0 || textWidth <= room) return;
    QFont font = w->font();
    for (int stretch = 97; stretch >= 75; stretch -= 3) {
        font.setStretch(stretch);
        w->setFont(font);
        int width = 0;
        if (captionRoom(w, width) >= width) return;
    }
}

// Item views take their mouse (and tool-tip) events in the viewport.
QWidget* tipTarget(QWidget* control) {
    auto* area = qobject_cast<QAbstractScrollArea*>(control);
    return area ? area->viewport() : control;
}

}  // namespace

}  // namespace platform::qt

namespace platform {

using namespace qt;

QWidget* QtWindowSystem::makeWidget(ControlKind kind, int id, QWidget* parent, const std::string& caption,
                                    unsigned options) {
    QtState* s = s_.get();
    const std::function<void(EventKind)> report = s->reporter(id);
    switch (kind) {
    case ControlKind::FolderTree:
        return new FolderTree(parent, [report] { report(EventKind::Change); });
    case ControlKind::TextField: {
        auto* edit = new LineEdit(parent, report);
        edit->setText(qs(caption));
        // Only the user's edits: a text set by the program reports nothing.
        QObject::connect(edit, &QLineEdit::textEdited, edit, [report] { report(EventKind::Change); });
        return edit;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(qs(caption), parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(((options & CtlCentred) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        return label;
    }
    case ControlKind::Button: {
        auto* button = new PushButton(qs(caption), parent);
        QObject::connect(button, &QPushButton::clicked, button, [report] { report(EventKind::LeftClick); });
        return button;
    }
    case ControlKind::Frame: {
        auto* frame = new QGroupBox(qs(caption), parent);
        // Controls created before it lie inside it: clicks go through to them.
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        return frame;
    }
    case ControlKind::Option: {
        // Groups follow the creation order, not Qt's parent: handled here.
        auto* option = new OptionButton(qs(caption), parent);
        option->setAutoExclusive(false);
        QObject::connect(option, &QRadioButton::clicked, option,
                         [s, id] { s->postControl(id, EventKind::LeftClick); });
        return option;
    }
    case ControlKind::Table:
        return new FileTable(parent, report);
    case ControlKind::Editor: {
        auto* editor = new QPlainTextEdit(parent);
        editor->setPlainText(lineBreaks(caption));
        if (options & CtlReadOnly) makeReadOnly(editor);
        return editor;
    }
    }
    return nullptr;
}

int QtWindowSystem::createControl(ControlKind kind, int id, int x, int y, int width, int height,
                                  const std::string& caption, unsigned options) {
    TopWindow* top = s_->window(s_->lastWindow);
    if (!top || s_->controls.count(id)) return 0;
    QWidget* widget = makeWidget(kind, id, top->area(), caption, options);
    if (!widget) return 0;
    widget->setGeometry(x, y, width, height);
    widget->setProperty(IdProperty, id);
    fitCaption(widget);
    if (kind == ControlKind::Frame) widget->lower();
    widget->show();

    ControlRec rec;
    rec.kind = kind;
    rec.window = s_->lastWindow;
    rec.widget = widget;
    if (kind == ControlKind::Table) rec.caption = caption;
    // Options created one directly after another form one group.
    if (kind == ControlKind::Option) {
        if (!s_->lastWasOption) ++s_->nextGroup;
        rec.group = s_->nextGroup;
    }
    s_->lastWasOption = kind == ControlKind::Option;
    s_->controls[id] = rec;
    return 1;
}

void QtWindowSystem::moveControl(int id, int x, int y, int width, int height) {
    if (ControlRec* c = s_->find(id)) c->widget->setGeometry(x, y, width, height);
}

void QtWindowSystem::setEditorReadOnly(int id) {
    if (auto* editor = s_->widget<QPlainTextEdit>(id, ControlKind::Editor)) makeReadOnly(editor);
}

void QtWindowSystem::attachToolTip(int id, const std::string& text, const std::string& title, IconKind icon) {
    ControlRec* c = s_->find(id);
    if (!c) return;
    QWidget* target = tipTarget(c->widget);
    // A balloon also shows while another program has the focus.
    target->window()->setAttribute(Qt::WA_AlwaysShowToolTips);
    if (auto* watcher = target->findChild<ToolTipWatcher*>(QString(), Qt::FindDirectChildrenOnly)) {
        watcher->setTip(qs(text), qs(title), icon);
    } else {
        new ToolTipWatcher(target, qs(text), qs(title), icon);
    }
}

std::string QtWindowSystem::getText(int id) {
    ControlRec* c = s_->find(id);
    if (!c) return "";
    QWidget* w = c->widget;
    switch (c->kind) {
    case ControlKind::FolderTree: return static_cast<FolderTree*>(w)->selectedPath();
    case ControlKind::TextField: return ss(static_cast<QLineEdit*>(w)->text());
    case ControlKind::Label: return ss(static_cast<QLabel*>(w)->text());
    case ControlKind::Button:
    case ControlKind::Option: return ss(static_cast<QAbstractButton*>(w)->text());
    case ControlKind::Frame: return ss(static_cast<QGroupBox*>(w)->title());
    case ControlKind::Table: return c->caption;
    case ControlKind::Editor: return ss(static_cast<QPlainTextEdit*>(w)->toPlainText());
    }
    return "";
}

void QtWindowSystem::setText(int id, const std::string& text) {
    ControlRec* c = s_->find(id);
    if (!c) return;
    QWidget* w = c->widget;
    switch (c->kind) {
    case ControlKind::FolderTree:
        // Reported like a selection by the user: the program's start relies on it.
        if (static_cast<FolderTree*>(w)->selectPath(text)) s_->postControl(id, EventKind::Change);
        break;
    case ControlKind::TextField: static_cast<QLineEdit*>(w)->setText(qs(text)); break;
    case ControlKind::Label: static_cast<QLabel*>(w)->setText(qs(text)); break;
    case ControlKind::Button:
    case ControlKind::Option: static_cast<QAbstractButton*>(w)->setText(qs(text)); break;
    case ControlKind::Frame: static_cast<QGroupBox*>(w)->setTitle(qs(text)); break;
    case ControlKind::Table: c->caption = text; break;
    case ControlKind::Editor: static_cast<QPlainTextEdit*>(w)->setPlainText(lineBreaks(text)); break;
    }
}

void QtWindowSystem::setState(int id, int state) {
    ControlRec* c = s_->find(id);
    if (!c || c->kind != ControlKind::Option) return;
    if (state == 1) {
        for (auto& entry : s_->controls) {
            ControlRec& other = entry.second;
            if (other.kind == ControlKind::Option && other.group == c->group && other.widget)
                static_cast<QRadioButton*>(other.widget.data())->setChecked(false);
        }
    }
    static_cast<QRadioButton*>(c->widget.data())->setChecked(state == 1);
}

int QtWindowSystem::getState(int id) {
    auto* option = s_->widget<QRadioButton>(id, ControlKind::Option);
    return option && option->isChecked() ? 1 : 0;
}

// Qt would hand the focus of a control it disables on to the next one in
// the tab chain, which may be a field of another rule whose focus event
// turns that rule on. The focus is taken away instead, silently: the user
// did not move it.
void QtWindowSystem::enable(int id, bool on) {
    ControlRec* c = s_->find(id);
    if (!c) return;
    QWidget* w = c->widget;
    if (!on) {
        QWidget* focus = w->window()->focusWidget();
        if (focus && (focus == w || w->isAncestorOf(focus))) {
            ++s_->muted;
            focus->clearFocus();
            --s_->muted;
        }
    }
    w->setEnabled(on);
}

void QtWindowSystem::setFocus(int id) {
    if (ControlRec* c = s_->find(id)) c->widget->setFocus(Qt::OtherFocusReason);
}

bool QtWindowSystem::controlRect(int id, int& x, int& y, int& width, int& height) {
    ControlRec* c = s_->find(id);
    if (!c) return false;
    const QRect r = c->widget->geometry();   // relative to the area below the menu bar
    x = r.x();
    y = r.y();
    width = r.width();
    height = r.height();
    return true;
}

bool QtWindowSystem::isEnabled(int id) {
    ControlRec* c = s_->find(id);
    return c && c->widget->isEnabled();
}

// The control with the keyboard focus; in a window that is not active the
// one that gets it when the window is activated.
int QtWindowSystem::focusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) {
        TopWindow* top = s_->foreground();
        focus = top ? top->focusWidget() : nullptr;
    }
    for (QWidget* w = focus; w; w = w->parentWidget()) {
        const QVariant id = w->property(IdProperty);
        if (id.isValid()) {
            ControlRec* c = s_->find(id.toInt());
            if (c && c->widget == w) return id.toInt();
        }
        if (w->isWindow()) break;
    }
    return -1;
}

}  // namespace platform
