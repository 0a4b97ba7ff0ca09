// Balloon tool tips of the Qt backend.
#include "platform/qt/qttooltip.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QHelpEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <memory>

namespace platform::qt {

namespace {

constexpr int WrapWidth = 180;
constexpr int Margin = 8;
constexpr int IconSize = 16;
constexpr int Gap = 6;
constexpr int ShowMs = 30000;

// Lines of at most WrapWidth pixels, broken at blanks only, as the balloons
// of the platform the program was written for break them: a word wider
// than that stands on a line of its own and widens the balloon.
QString wrapAtBlanks(const QString& text, const QFontMetrics& metrics) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        bool first = true;
        for (const QString& word : paragraph.split(QLatin1Char(' '))) {
            const QString longer = first ? word : line + QLatin1Char(' ') + word;
            if (!first && !line.isEmpty() && metrics.horizontalAdvance(longer) > WrapWidth) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
            first = false;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

// The text as plain text: an ampersand or a "<" is shown as it stands.
std::unique_ptr<QTextDocument> layoutText(const QString& text, const QFont& font) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    doc->setDefaultTextOption(option);
    doc->setPlainText(wrapAtBlanks(text, QFontMetrics(font)));
    return doc;
}

QFont boldOf(const QFont& font) {
    QFont bold = font;
    bold.setBold(true);
    return bold;
}

bool hasHeader(const QString& title) { return !title.isEmpty(); }

}  // namespace

BalloonTip::BalloonTip(const QString& title, const QString& text, IconKind icon)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), title_(title), text_(text), icon_(icon) {
    setObjectName("QuonabixBalloon");
    setProperty("title", title);
    setProperty("text", text);
    setProperty("lines", wrapAtBlanks(text, QFontMetrics(QToolTip::font())));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());

    const auto doc = layoutText(text_, font());
    int width = static_cast<int>(std::ceil(doc->idealWidth()));
    int height = static_cast<int>(std::ceil(doc->size().height()));
    if (hasHeader(title_)) {
        const QFontMetrics bold(boldOf(font()));
        const int iconWidth = icon_ == IconKind::Information ? IconSize + Gap : 0;
        width = std::max(width, iconWidth + bold.horizontalAdvance(title_));
        height += std::max(IconSize, bold.height()) + Gap;
    }
    resize(width + 2 * Margin, height + 2 * Margin);
}

void BalloonTip::showAt(const QPoint& globalPos) {
    QPoint at = globalPos + QPoint(0, 20);
    if (const QScreen* screen = QGuiApplication::screenAt(globalPos)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
        // No room below the mouse: the balloon goes above it.
        if (at.y() + height() > area.bottom()) at.setY(globalPos.y() - height() - 4);
    }
    move(at);
    show();
    raise();
}

void BalloonTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pal.color(QPalette::ToolTipText));
    painter.setBrush(pal.color(QPalette::ToolTipBase));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

    int top = Margin;
    if (hasHeader(title_)) {
        const QFont bold = boldOf(font());
        const int line = std::max(IconSize, QFontMetrics(bold).height());
        int left = Margin;
        if (icon_ == IconKind::Information) {
            const QIcon info = style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this);
            info.paint(&painter, QRect(left, top + (line - IconSize) / 2, IconSize, IconSize));
            left += IconSize + Gap;
        }
        painter.setFont(bold);
        painter.drawText(QRect(left, top, width() - left - Margin, line), Qt::AlignLeft | Qt::AlignVCenter,
                         title_);
        top += line + Gap;
    }
    const auto doc = layoutText(text_, font());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = pal;
    context.palette.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
    painter.translate(Margin, top);
    doc->documentLayout()->draw(&painter, context);
}

ToolTipWatcher::ToolTipWatcher(QWidget* control, const QString& text, const QString& title, IconKind icon)
    : QObject(control), text_(text), title_(title), icon_(icon) {
    setObjectName("QuonabixToolTip");
    control->installEventFilter(this);
}

ToolTipWatcher::~ToolTipWatcher() { delete tip_.data(); }

void ToolTipWatcher::setTip(const QString& text, const QString& title, IconKind icon) {
    hideTip();
    text_ = text;
    title_ = title;
    icon_ = icon;
}

bool ToolTipWatcher::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip: {
        hideTip();
        tip_ = new BalloonTip(title_, text_, icon_);
        tip_->showAt(static_cast<QHelpEvent*>(event)->globalPos());
        QTimer::singleShot(ShowMs, tip_.data(), [tip = tip_] { if (tip) tip->hide(); });
        return true;
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        hideTip();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ToolTipWatcher::hideTip() {
    if (tip_) {
        tip_->hide();
        tip_->deleteLater();
    }
    tip_ = nullptr;
}

}  // namespace platform::qt
