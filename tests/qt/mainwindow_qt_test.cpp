// The main window as the Qt backend builds it: every control of the right
// kind with its caption and place, the option groups, the table columns.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeView>

#include "app/mainwindow.h"
#include "mainwindow_expect.h"
#include "platform/qt/qtwindowsystem.h"
#include "support/ids.h"

namespace {

// The widget class that shows each kind of control.
bool isOfKind(QWidget* w, platform::ControlKind kind) {
    using K = platform::ControlKind;
    switch (kind) {
        case K::TextField: return qobject_cast<QLineEdit*>(w) != nullptr;
        case K::Label: return qobject_cast<QLabel*>(w) != nullptr;
        case K::Button: return qobject_cast<QPushButton*>(w) != nullptr;
        case K::Option: return qobject_cast<QRadioButton*>(w) != nullptr;
        case K::Frame: return qobject_cast<QGroupBox*>(w) != nullptr;
        case K::FolderTree:
        case K::Table: return w->findChild<QTreeView*>() || qobject_cast<QTreeView*>(w);
        default: return false;
    }
}

std::string caption(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdString();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title().toStdString();
    return "";
}

class QtMainWindow : public ::testing::Test {
protected:
    platform::QtWindowSystem q;
    void SetUp() override {
        platform::useWindowSystem(&q);
        ASSERT_TRUE(app::OeffnenHauptfenster());
    }
    void TearDown() override {
        q.closeWindow(ids::MainWindow);
        platform::useWindowSystem(nullptr);
    }
};

}  // namespace

TEST_F(QtMainWindow, EveryControlHasItsKindCaptionAndPlace) {
    for (const auto& c : expect::Controls) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        QWidget* w = q.controlWidget(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(isOfKind(w, c.kind));
        if (c.caption) {
            EXPECT_EQ(caption(w), c.caption);
        }
        // The whole caption shows inside the control, the control after it
        // covering none of it.
        const int textWidth = QFontMetrics(w->font()).horizontalAdvance(QString::fromStdString(caption(w)));
        if (qobject_cast<QRadioButton*>(w)) {
            EXPECT_LE(w->sizeHint().width(), w->width()) << c.caption;
        } else if (qobject_cast<QPushButton*>(w)) {
            EXPECT_LE(textWidth + 2 * w->style()->pixelMetric(QStyle::PM_ButtonMargin), w->width()) << c.caption;
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_LE(textWidth, label->contentsRect().width()) << c.caption;
        }
        int x, y, width, height;
        ASSERT_TRUE(q.controlRect(c.id, x, y, width, height));
        EXPECT_EQ(std::vector<int>({x, y, width, height}), std::vector<int>({c.x, c.y, c.width, c.height}));
    }
    EXPECT_EQ(q.controlWidget(16), nullptr);
    const char* titles[] = {"Aktueller Name", "Neuer Name", "Rename"};
    const int widths[] = {355, 355, 60};
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(q.columnTitle(ids::FileTable, col), titles[col]) << col;
        EXPECT_EQ(q.columnWidth(ids::FileTable, col), widths[col]) << col;
    }
}

TEST_F(QtMainWindow, OptionGroupsFollowCreationOrder) {
    for (const auto& group : expect::Groups) {
        for (int on : group) {
            if (!on) continue;
            SCOPED_TRACE("turning on " + std::to_string(on));
            // Every other group keeps its member on.
            for (const auto& other : expect::Groups) {
                if (&other != &group) q.setState(other[0], 1);
            }
            q.setState(on, 1);
            for (int member : group) {
                if (member) {
                    EXPECT_EQ(q.getState(member), member == on ? 1 : 0) << member;
                }
            }
            for (const auto& other : expect::Groups) {
                if (&other != &group) {
                    EXPECT_EQ(q.getState(other[0]), 1) << other[0];
                }
            }
        }
    }
}
