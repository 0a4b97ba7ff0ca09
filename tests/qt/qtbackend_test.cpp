// What only the Qt window system can show: events that come from the user
// (driven here through the backend's own widgets), the look of the window,
// message boxes, balloon tips and the table's hand-over to its view.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QFontInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QProcess>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

#include "platform/qt/qtwindowsystem.h"
#include "testutil.h"
#include "testwindow.h"

namespace {

using namespace platform;
using namespace testwindow;

class QtBackend : public ::testing::Test {
protected:
    void SetUp() override { open(q); }
    std::vector<Seen> events() { return drain(q); }
    template <class W>
    W* widget(int id) {
        auto* w = qobject_cast<W*>(q.controlWidget(id));
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    QTreeView* table() { return widget<QTreeView>(Table); }
    QAbstractItemModel* tableModel() { return table()->model(); }

    // Presses and releases a mouse button on the table's viewport.
    void clickTable(QPoint at, Qt::MouseButton button, bool twice = false) {
        QWidget* viewport = table()->viewport();
        const QPointF local(at), global(viewport->mapToGlobal(at));
        auto send = [&](QEvent::Type type) {
            QMouseEvent e(type, local, global, button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
            QApplication::sendEvent(viewport, &e);
        };
        send(QEvent::MouseButtonPress);
        send(QEvent::MouseButtonRelease);
        if (twice) {
            send(QEvent::MouseButtonDblClick);
            send(QEvent::MouseButtonRelease);
        }
    }
    QRect checkBoxOf(int row) {
        QTreeView* view = table();
        view->doItemsLayout();
        QStyleOptionViewItem option;
        option.initFrom(view->viewport());
        option.rect = view->visualRect(view->model()->index(row, 0));
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        return view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    }

    QtWindowSystem q;
};

TEST_F(QtBackend, TypingReportsChangeButTheProgramsTextDoesNot) {
    auto* field = widget<QLineEdit>(Field);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(field, &key);
    EXPECT_EQ(q.getText(Field), "*.jpgx");
    EXPECT_EQ(events(), std::vector<Seen>{change(Field)});
    q.setText(Field, "*.png");
    EXPECT_EQ(events(), std::vector<Seen>{});
    // Keys that wait behind the one handled go with it; a click between stops that.
    for (const char* k : {"a", "b", "c"}) {
        QKeyEvent more(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, k);
        QApplication::sendEvent(field, &more);
    }
    widget<QAbstractButton>(Button)->click();
    QKeyEvent last(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d");
    QApplication::sendEvent(field, &last);
    ASSERT_EQ(q.waitEvent(-1), EventCode::Control);
    EXPECT_EQ(q.dropWaitingChanges(Field), 2);
    EXPECT_EQ(q.getText(Field), "*.pngabcd");
    EXPECT_EQ(events(), (std::vector<Seen>{click(Button), change(Field)}));
}

TEST_F(QtBackend, ClickedOptionTurnsOthersOfItsGroupOff) {
    q.setState(OptA1, 1);
    q.setState(OptB1, 1);
    const struct { int clicked; std::vector<int> expected; } clicks[] = {
        {OptA2, {0, 1, 0, 1, 0}},
        {OptA2, {0, 1, 0, 1, 0}},   // a click on the option that is on keeps it on
        {OptB2, {0, 1, 0, 0, 1}},
    };
    const auto states = [this] {
        std::vector<int> states;
        for (int id : {OptA1, OptA2, OptA3, OptB1, OptB2}) states.push_back(q.getState(id));
        return states;
    };
    for (const auto& c : clicks) {
        const std::vector<int> before = states();
        // The field left by the click lost its focus first; the option turns
        // on only when the program takes the click, after that focus loss.
        QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(q.controlWidget(Field), &leave);
        widget<QRadioButton>(c.clicked)->click();
        EXPECT_EQ(states(), before) << "a click on " << c.clicked << " still queued";
        ASSERT_EQ(q.waitEvent(0), EventCode::Control);
        EXPECT_EQ(q.eventKind(), EventKind::FocusLost);
        EXPECT_EQ(states(), before) << "a click on " << c.clicked << " still queued";
        EXPECT_EQ(events(), std::vector<Seen>{click(c.clicked)}) << "after a click on " << c.clicked;
        EXPECT_EQ(states(), c.expected) << "after a click on " << c.clicked;
    }
}

TEST_F(QtBackend, ButtonClickIsALeftClickUnlessDisabled) {
    widget<QAbstractButton>(Button)->click();
    EXPECT_EQ(events(), std::vector<Seen>{click(Button)});
    q.enable(Button, false);
    widget<QAbstractButton>(Button)->click();
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_F(QtBackend, FolderTreeShowsFoldersOnlyAndReportsTheUsersChoice) {
    testutil::TempDir dir;
    dir.folder("Bilder");
    dir.folder("alt");
    dir.folder(".versteckt");
    dir.file("datei.txt");
    std::filesystem::create_directory_symlink(dir.path() + "Bilder", dir.path() + "verweis");
    q.setText(Tree, dir.path());
    events();

    auto* tree = widget<QTreeWidget>(Tree);
    QTreeWidgetItem* item = tree->currentItem();
    ASSERT_NE(item, nullptr);
    item->setExpanded(true);
    std::vector<std::string> names;
    for (int i = 0; i < item->childCount(); ++i) names.push_back(item->child(i)->text(0).toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"alt", "Bilder"})) << "no files, links or hidden folders";

    tree->setCurrentItem(item->child(1));   // as a click does
    EXPECT_EQ(q.getText(Tree), dir.path() + "Bilder/");
    EXPECT_EQ(events(), std::vector<Seen>{change(Tree)});

    // Folders made and removed while the program runs: opening the parent
    // again shows them as they are now, and the choice stays.
    dir.folder("neu");
    dir.folder("Bilder/unten");
    std::filesystem::remove(dir.path() + "alt");
    item->setExpanded(false);
    item->setExpanded(true);
    names.clear();
    for (int i = 0; i < item->childCount(); ++i) names.push_back(item->child(i)->text(0).toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"Bilder", "neu"}));
    item->child(0)->setExpanded(true);
    ASSERT_EQ(item->child(0)->childCount(), 1);
    EXPECT_EQ(item->child(0)->child(0)->text(0).toStdString(), "unten");
    EXPECT_EQ(q.getText(Tree), dir.path() + "Bilder/");
    EXPECT_EQ(events(), std::vector<Seen>{}) << "reading the tree again is no choice of the user";
}

TEST_F(QtBackend, FolderTreeTopLevelHoldsTheRootAndTheHomeOrDocuments) {
    auto* tree = widget<QTreeWidget>(Tree);
    std::vector<std::string> tops;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) tops.push_back(tree->topLevelItem(i)->text(0).toStdString());
    EXPECT_NE(std::find(tops.begin(), tops.end(), "/"), tops.end());
    ASSERT_GE(tops.size(), 2u);
    EXPECT_EQ(tops[0].front(), '/') << tops[0];
}

TEST_F(QtBackend, RowsReachTheViewWhenTheLoopIsEntered) {
    for (int i = 0; i < 3; ++i) q.addRow(Table, -1, "f" + std::to_string(i) + "\nneu\n");
    q.repaintNow();
    ASSERT_EQ(tableModel()->rowCount(), 3) << "a long action shows its rows";
    q.setCell(Table, 1, 2, "Ok");
    q.setRowState(Table, 2, RowTicked | RowSelected);
    events();
    EXPECT_EQ(tableModel()->index(1, 2).data().toString(), "Ok");
    EXPECT_EQ(tableModel()->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(table()->selectionModel()->isRowSelected(2, QModelIndex()));
    q.setRowState(Table, 2, RowTicked);
    events();
    EXPECT_FALSE(table()->selectionModel()->hasSelection());
    // A marked "Neuer Name" cell: warning background and the reason as its
    // tool tip; the row's other cells stay plain. Unticked rows are greyed.
    q.setRowMarkTexts(Table, [](int row) { return "Name schon vorhanden: neu" + std::to_string(row); });
    q.setRowMark(Table, 2, RowMark::Warning);
    events();
    const QModelIndex marked = tableModel()->index(2, 1);
    EXPECT_TRUE(marked.data(Qt::BackgroundRole).value<QColor>().isValid());
    EXPECT_EQ(marked.data(Qt::ToolTipRole).toString(), "Name schon vorhanden: neu2");
    EXPECT_FALSE(tableModel()->index(2, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(tableModel()->index(2, 1).data(Qt::ForegroundRole).isValid()) << "ticked: not greyed";
    EXPECT_EQ(tableModel()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(),
              QApplication::palette().color(QPalette::Disabled, QPalette::Text));
    q.setRowMark(Table, 2, RowMark::None);
    events();
    EXPECT_FALSE(marked.data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(marked.data(Qt::ToolTipRole).isValid());
    q.clearRows(Table);
    events();
    EXPECT_EQ(tableModel()->rowCount(), 0);
}

TEST_F(QtBackend, UserSelectionAndTicksOfSelectedRowsReportChange) {
    for (int i = 0; i < 3; ++i) q.addRow(Table, -1, "f" + std::to_string(i));
    events();
    QItemSelectionModel* selection = table()->selectionModel();
    selection->select(tableModel()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(q.getRowState(Table, 1), RowSelected);
    EXPECT_EQ(events(), std::vector<Seen>{change(Table)});

    tableModel()->setData(tableModel()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(q.getRowState(Table, 0), RowTicked);
    EXPECT_EQ(events(), std::vector<Seen>{}) << "a row that is not selected";
    tableModel()->setData(tableModel()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(q.getRowState(Table, 1), RowSelected | RowTicked);
    EXPECT_EQ(events(), std::vector<Seen>{change(Table)});

    selection->clearSelection();
    EXPECT_EQ(q.getRowState(Table, 1), RowTicked);
    EXPECT_EQ(events(), std::vector<Seen>{}) << "a row that became unselected";
}

TEST_F(QtBackend, MouseOnTheTable) {
    for (int i = 0; i < 3; ++i) q.addRow(Table, -1, "f" + std::to_string(i) + "\nneu");
    events();
    clickTable(checkBoxOf(0).center(), Qt::LeftButton);
    EXPECT_EQ(q.getRowState(Table, 0), RowTicked) << "the check box ticks without selecting";
    EXPECT_EQ(events(), std::vector<Seen>{click(Table)});

    const QRect second = table()->visualRect(tableModel()->index(2, 1));
    clickTable(second.center(), Qt::LeftButton);
    EXPECT_EQ(q.getRowState(Table, 2), RowSelected);
    EXPECT_EQ(events(), (std::vector<Seen>{change(Table), click(Table)}));

    clickTable(second.center(), Qt::RightButton);
    EXPECT_TRUE(contains(events(), {EventCode::Control, Table, EventKind::RightClick}));
    clickTable(second.center(), Qt::LeftButton, true);
    EXPECT_TRUE(contains(events(), {EventCode::Control, Table, EventKind::LeftDoubleClick}));

    // Pressing on the selected row and moving away starts a drag.
    QWidget* viewport = table()->viewport();
    const QPoint from = second.center(), to = from + QPoint(0, 40);
    QMouseEvent press(QEvent::MouseButtonPress, from, viewport->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    for (const QPoint at : {from + QPoint(0, 5), to}) {
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    EXPECT_TRUE(contains(events(), {EventCode::Control, Table, EventKind::DragStart}));
    QMouseEvent release(QEvent::MouseButtonRelease, to, viewport->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

// A name cut off by its column shows whole in a tool tip on hover, and a
// marked "Neuer Name" cell gives its reason there.
TEST_F(QtBackend, CutOffNamesAndMarkedRowsShowAToolTip) {
    const std::string longName = "Urlaub_am_Meer_mit_der_ganzen_Familie_und_den_Nachbarn_" + std::string(40, 'x') + ".jpg";
    q.addRow(Table, -1, "kurz.jpg\nneu_001.jpg");
    q.addRow(Table, -1, longName + "\n" + longName);
    q.addRow(Table, -1, "a.jpg\nneu_001.jpg");
    q.addRow(Table, -1, "b.jpg\n" + longName);
    q.setRowMarkTexts(Table, [](int row) { return "Name kommt mehrfach vor (Zeilen 1 und " + std::to_string(row + 1) + ")"; });
    q.setRowMark(Table, 2, RowMark::Warning);
    q.setRowMark(Table, 3, RowMark::Warning);
    events();
    table()->doItemsLayout();
    const struct { int row, column; std::string tip; } cases[] = {
        {0, 0, ""}, {0, 1, ""}, {2, 0, ""}, {1, 0, longName}, {1, 1, longName},
        {2, 1, "Name kommt mehrfach vor (Zeilen 1 und 3)"},
        {3, 1, longName + "\nName kommt mehrfach vor (Zeilen 1 und 4)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " column " + std::to_string(c.column));
        const QPoint at = table()->visualRect(tableModel()->index(c.row, c.column)).center();
        QHelpEvent rest(QEvent::ToolTip, at, table()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table()->viewport(), &rest);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string(), c.tip);
    }
    QToolTip::hideText();
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_F(QtBackend, SpaceTicksTheCurrentRow) {
    q.addRow(Table, -1, "a\nb");
    events();
    table()->setCurrentIndex(tableModel()->index(0, 1));
    events();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(table(), &space);
    EXPECT_EQ(q.getRowState(Table, 0) & RowTicked, RowTicked);
}

// The file table of a big folder: 100,000 rows added, ticked, selected all
// at once by the user, unselected by the program and cleared, with the row
// states and cells right at both ends. (How fast is the bench's business.)
TEST_F(QtBackend, HundredThousandRows) {
    constexpr int N = 100000;
    for (int i = 0; i < N; ++i) q.addRow(Table, -1, "IMG_" + std::to_string(i) + ".jpg\nneu_" + std::to_string(i));
    for (int i = 0; i < N; ++i) q.setRowState(Table, i, RowTicked);
    EXPECT_EQ(q.countRows(Table), N);
    EXPECT_EQ(events(), std::vector<Seen>{});
    EXPECT_EQ(tableModel()->rowCount(), N);
    EXPECT_EQ(q.getRowState(Table, N - 1), RowTicked);
    EXPECT_EQ(q.getCell(Table, N - 1, 1), "neu_" + std::to_string(N - 1));

    // "Alle Auswählen" after the user selected everything.
    table()->selectAll();
    EXPECT_EQ(events(), std::vector<Seen>{change(Table)});
    EXPECT_EQ(q.getRowState(Table, N / 2), RowSelected | RowTicked);
    for (int i = 0; i < N; ++i) q.setRowState(Table, i, RowTicked);
    events();
    EXPECT_FALSE(table()->selectionModel()->hasSelection());
    EXPECT_EQ(q.getRowState(Table, N / 2), RowTicked);
    for (int i = 0; i < N; i += 1000) q.setCell(Table, i, 2, "Ok");
    q.clearRows(Table);
    EXPECT_EQ(q.countRows(Table), 0);
}

TEST_F(QtBackend, MenuItemsAndCloseBoxAreReported) {
    auto* bar = q.windowWidget(0)->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    std::vector<std::string> titles;
    for (QAction* title : bar->actions()) titles.push_back(title->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"&Datei", "&Info"}));
    bar->actions().at(1)->menu()->actions().at(0)->trigger();
    bar->actions().at(0)->menu()->actions().at(0)->trigger();
    EXPECT_EQ(events(), (std::vector<Seen>{{EventCode::Menu, 1, EventKind::None}, {EventCode::Menu, 0, EventKind::None}}));

    EXPECT_FALSE(q.windowWidget(0)->close());
    EXPECT_TRUE(q.windowWidget(0)->isVisible()) << "the program closes its windows itself";
    EXPECT_EQ(events(), (std::vector<Seen>{{EventCode::Close, 0, EventKind::None}}));
}

TEST_F(QtBackend, MainWindowIsFixedAndItsMenuBarTakesFromTheInnerArea) {
    QWidget* window = q.windowWidget(0);
    EXPECT_EQ(window->minimumSize(), QSize(790, 596));
    EXPECT_EQ(window->maximumSize(), QSize(790, 596));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    const QRect area = q.controlWidget(Button)->parentWidget()->geometry();
    const int menuHeight = window->findChild<QMenuBar*>()->height();
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(area.top(), menuHeight);
    EXPECT_EQ(area.bottom() + 1, 596);
    EXPECT_GE(area.height(), 570) << "the buttons end at y = 570";
    // Asked for at 307, 237: on a screen too small for that (the offscreen
    // screen is 800 x 600) the window moves just enough to be whole on it.
    const QRect screen = window->screen()->availableGeometry();
    ASSERT_GE(screen.width(), 790);
    ASSERT_GE(screen.height(), 596);
    EXPECT_TRUE(screen.contains(window->frameGeometry()))
        << window->frameGeometry().x() << "," << window->frameGeometry().y() << " " << window->frameGeometry().width() << "x" << window->frameGeometry().height() << " on "
        << screen.width() << "x" << screen.height();
    if (screen.width() >= 307 + 790 && screen.height() >= 237 + 596 + 40) {
        EXPECT_EQ(window->pos(), QPoint(307, 237)) << "room enough: the given place";
    }

    ASSERT_EQ(q.openWindow(1, 256, 19, 670, 386, "Info", WinCloseBox | WinResizable | WinMinMaxBoxes), 1);
    EXPECT_NE(q.windowWidget(1)->minimumSize(), q.windowWidget(1)->maximumSize());
    EXPECT_TRUE(q.windowWidget(1)->windowFlags() & Qt::WindowMaximizeButtonHint);
}

// Answers a message box once it is shown, then lets the test look at it.
void answerBox(std::function<void(QMessageBox*)> act, std::string* seenText = nullptr) {
    QTimer::singleShot(0, [act, seenText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box shown";
            return;
        }
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        if (seenText) *seenText = box->text().toStdString();
        act(box);
    });
}

QAbstractButton* buttonNamed(QMessageBox* box, const char* text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == QString::fromUtf8(text)) return b;
    ADD_FAILURE() << "no button " << text;
    return box->buttons().first();
}

TEST_F(QtBackend, MessageBoxAnswers) {
    const auto ok = [](QMessageBox* b) { buttonNamed(b, "OK")->click(); };
    const auto cancel = [](QMessageBox* b) { buttonNamed(b, "Abbrechen")->click(); };
    const auto close = [](QMessageBox* b) { b->close(); };
    const auto escape = [](QMessageBox* b) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(b, &key);
    };
    const struct { const char* name; int kind; std::function<void(QMessageBox*)> act; int expected; } cases[] = {
        {"OK", BoxOkCancel, ok, AnswerOk},
        {"Abbrechen", BoxOkCancel, cancel, AnswerCancel},
        {"close box", BoxOkCancel, close, AnswerCancel},
        {"Escape", BoxOkCancel, escape, AnswerCancel},
        {"OK alone", BoxOk, ok, AnswerOk},
        {"close box of OK alone", BoxOk, close, AnswerOk},
    };
    for (const auto& c : cases) {
        answerBox(c.act);
        EXPECT_EQ(q.messageBox("Quonabix", "Weiter?", c.kind), c.expected) << c.name;
    }
    EXPECT_EQ(q.messageBox("Quonabix", "nur Ausgabe", -1), 0) << "the caller writes it";
}

TEST_F(QtBackend, MessageBoxBreaksLinesAtCarriageReturns) {
    const struct { const char* given; const char* shown; } cases[] = {
        {"Rename \r\n/tmp/a & b", "Rename \n/tmp/a & b"},
        {"eins\rzwei", "eins\nzwei"},
        {"a\r\n\r\nb", "a\n\nb"},
        {"<b>fett</b>", "<b>fett</b>"},
    };
    for (const auto& c : cases) {
        std::string shown;
        answerBox([](QMessageBox* b) { b->close(); }, &shown);
        q.messageBox("Quonabix", c.given, BoxOk);
        EXPECT_EQ(shown, c.shown);
    }
}

QWidget* shownBalloon() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "QuonabixBalloon" && w->isVisible()) return w;
    return nullptr;
}

TEST_F(QtBackend, ToolTipIsABalloonWithTitleAndTheTextUnchanged) {
    const std::string text = "%nr%=Nummerierung, %dateinamen%=DateinamenKomplett,%datei%=DateinamenOhneErweiterung, "
                             "a & b <i>c</i>";
    q.attachToolTip(Field2, text, "Platzhalter", IconKind::Information);
    QWidget* field = q.controlWidget(Field2);
    QHelpEvent rest(QEvent::ToolTip, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field, &rest);
    QWidget* balloon = shownBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->property("title").toString().toStdString(), "Platzhalter");
    EXPECT_EQ(balloon->property("text").toString().toStdString(), text);
    // Lines break at blanks only, each within 180 pixels unless it is one
    // word that is wider by itself.
    const QString lines = balloon->property("lines").toString();
    EXPECT_EQ(QString(lines).replace('\n', ' ').toStdString(), text) << "no break inside a word";
    const QFontMetrics metrics(balloon->font());
    int widest = 0;
    for (const QString& line : lines.split('\n')) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
        if (line.contains(' ')) {
            EXPECT_LE(metrics.horizontalAdvance(line), 180) << line.toStdString();
        }
    }
    EXPECT_GE(lines.count('\n'), 2) << "the text is wrapped";
    EXPECT_LE(balloon->width(), std::max(180, widest) + 2 * 8 + 1);
    EXPECT_GT(balloon->height(), 3 * metrics.height());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(field, &leave);
    EXPECT_EQ(shownBalloon(), nullptr);
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_F(QtBackend, EditorIsReadOnlyButSelectableAndBreaksAtCarriageReturns) {
    auto* editor = widget<QPlainTextEdit>(Editor);
    EXPECT_TRUE(editor->isReadOnly());
    EXPECT_TRUE(editor->textInteractionFlags() & Qt::TextSelectableByMouse);
    q.setText(Editor, "Zeile 1\rZeile 2\r\nZeile 3");
    EXPECT_EQ(editor->document()->blockCount(), 3);
    EXPECT_EQ(q.getText(Editor), "Zeile 1\nZeile 2\nZeile 3");

    ASSERT_EQ(q.createControl(ControlKind::Editor, 4803, 0, 0, 100, 50, "", 0), 1);
    auto* plain = widget<QPlainTextEdit>(4803);
    EXPECT_FALSE(plain->isReadOnly());
    q.setEditorReadOnly(4803);
    EXPECT_TRUE(plain->isReadOnly());
    EXPECT_TRUE(plain->textInteractionFlags() & Qt::TextSelectableByKeyboard);
}

// A font is asked for by name; a font id never loaded leaves the control's
// font as it is.
TEST_F(QtBackend, CourierNewComesOutFixedPitch) {
    EXPECT_EQ(q.loadFont(1, "Courier New", 9, false), 1);
    q.setControlFont(Editor, 1);
    q.setControlFont(Editor, 2);
    const QFont font = q.controlWidget(Editor)->font();
    EXPECT_EQ(font.family(), "Courier New");
    EXPECT_EQ(font.pointSize(), 9);
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
}

TEST_F(QtBackend, TextFieldsReportFocus) {
    QWidget* window = q.windowWidget(0);
    window->activateWindow();
    QApplication::setActiveWindow(window);
    events();
    if (!window->isActiveWindow()) GTEST_SKIP() << "the platform gives no active window";
    q.setFocus(Field);
    q.setFocus(Field2);
    q.setFocus(Table);
    EXPECT_EQ(events(), (std::vector<Seen>{{EventCode::Control, Field, EventKind::FocusGained},
                                           {EventCode::Control, Field, EventKind::FocusLost},
                                           {EventCode::Control, Field2, EventKind::FocusGained},
                                           {EventCode::Control, Field2, EventKind::FocusLost}}));
    // Disabling the focused field moves the focus to no other field and
    // reports nothing: the user did not move it.
    q.setFocus(Field);
    events();
    q.enable(Field, false);
    EXPECT_EQ(events(), std::vector<Seen>{});
    EXPECT_EQ(q.focusedControl(), -1);
}

TEST_F(QtBackend, WakeUpDoesNotComeEarly) {
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(q.waitEvent(30), EventCode::Other);
    EXPECT_GE(clock.elapsed(), 30);
}

// The program reads no command line: toolkit options such as "-reverse"
// (a mirrored window) or "-geometry" must not reach Qt.
TEST(QtToolkit, ReadsNoneOfTheCommandLine) {
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUONABIX_TOOLKIT_ARGUMENTS", "1");
    run.setProcessEnvironment(env);
    run.start(QCoreApplication::applicationFilePath(), {"-reverse", "-geometry", "200x100+5+5"});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
}

}  // namespace
