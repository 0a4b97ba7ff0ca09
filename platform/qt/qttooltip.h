// Balloon tool tips of the Qt backend: a title in bold beside the
// information icon, the text below it exactly as given and wrapped at 180
// pixels, in the system's tool-tip colours, shown while the mouse rests on
// the control.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/window.h"

namespace platform::qt {

class BalloonTip : public QWidget {
    Q_OBJECT
public:
    BalloonTip(const QString& title, const QString& text, IconKind icon);
    void showAt(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_, text_;
    IconKind icon_;
};

// Watches one control and shows its balloon on the tool-tip event.
class ToolTipWatcher : public QObject {
    Q_OBJECT
public:
    ToolTipWatcher(QWidget* control, const QString& text, const QString& title, IconKind icon);
    ~ToolTipWatcher() override;
    void setTip(const QString& text, const QString& title, IconKind icon);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hideTip();

    QString text_, title_;
    IconKind icon_;
    QPointer<BalloonTip> tip_;
};

}  // namespace platform::qt
