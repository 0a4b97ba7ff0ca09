// The window operations the program relies on, run against both window
// systems: the headless one that the logic tests use and the program's own
// (Qt on Linux, Win32 on Windows). A case that fails names the backend in its test name.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/window.h"
#include "testutil.h"
#include "testwindow.h"

namespace {

using namespace platform;
using namespace testwindow;

struct Backend {
    const char* name;
    std::function<std::unique_ptr<WindowSystem>()> make;
};

void PrintTo(const Backend& backend, std::ostream* os) { *os << backend.name; }

class WindowContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        w = GetParam().make();
        useWindowSystem(w.get());
    }
    void TearDown() override {
        useWindowSystem(nullptr);
        w.reset();
    }
    std::vector<Seen> events() { return drain(*w); }

    std::unique_ptr<WindowSystem> w;
};

TEST_P(WindowContract, TextsAndCaptionsChangeWithoutEvents) {
    open(*w);
    const struct { int id; std::string caption, next; } cases[] = {
        {Field, "*.jpg", "a&b <i>ü</i>"},
        {Caption, "Rename Dateien", "Aktuelles Verzeichnis: /tmp/&x/"},
        {Button, "Alle Auswählen", "Keine Auswählen"},
        {OptA1, "Neuer Name", "Ersetze"},
        {Frame, "", "Rahmen"},
        {Table, "Aktueller Name", "Tabelle"},
        {Editor, "Zeile 1\nZeile 2", "eins\nzwei\n\nvier"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        EXPECT_EQ(w->getText(c.id), c.caption);
        w->setText(c.id, c.next);
        EXPECT_EQ(w->getText(c.id), c.next);
        w->setText(c.id, "");
        EXPECT_EQ(w->getText(c.id), "");
    }
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_P(WindowContract, FolderTreeSelectsOnlyExistingFoldersAndReportsThem) {
    open(*w);
    testutil::TempDir dir;
    dir.folder("a/b");
    dir.folder("a/.versteckt");
    const std::string file = dir.file("a/datei.txt", "x");
    const std::string top = dir.path();   // ends with "/"
    const struct { std::string given, text; bool reported; } cases[] = {
        {top + "a", top + "a/", true},
        {top + "a/b/", top + "a/b/", true},
        {top + "a/.versteckt", top + "a/.versteckt/", true},
        {top + "fehlt", "", false},
        {top + "a", top + "a/", true},
        {file, "", false},
        {"", "", false},
        {top.substr(0, top.size() - 1), top, true},
        // A hand-edited settings file can hold any spelling of a folder; the
    // tree gives it in the platform's own.
        {top + "a//b", top + "a/b/", true},
        {top + "a/./b/../.versteckt", top + "a/.versteckt/", true},
        {top + "a/fehlt/../b", top + "a/b/", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("path \"" + c.given + "\"");
        w->setText(Tree, c.given);
        EXPECT_EQ(w->getText(Tree), folderText(c.text));
        EXPECT_EQ(events(), c.reported ? std::vector<Seen>{change(Tree)} : std::vector<Seen>{});
    }
}

TEST_P(WindowContract, DisabledControlsReportNothing) {
    open(*w);
    testutil::TempDir dir;
    w->enable(Tree, false);
    EXPECT_FALSE(w->isEnabled(Tree));
    w->setText(Tree, dir.path());
    EXPECT_EQ(w->getText(Tree), folderText(dir.path())) << "the folder is still selected";
    // The focus of the disabled tree may move on to another control,
    // which may say so; the tree itself stays silent.
    EXPECT_FALSE(contains(events(), change(Tree)));
    w->enable(Tree, true);
    EXPECT_TRUE(w->isEnabled(Tree));
    w->setText(Tree, dir.path());
    EXPECT_EQ(events(), std::vector<Seen>{change(Tree)});
}

TEST_P(WindowContract, OptionGroupsFollowCreationOrder) {
    open(*w);
    const int ids[] = {OptA1, OptA2, OptA3, OptB1, OptB2};
    const struct { int id, state; std::vector<int> expected; } steps[] = {
        {OptA1, 1, {1, 0, 0, 0, 0}},
        {OptB2, 1, {1, 0, 0, 0, 1}},   // another group: A1 stays on
        {OptA3, 1, {0, 0, 1, 0, 1}},
        {OptB1, 1, {0, 0, 1, 1, 0}},
        {OptA3, 1, {0, 0, 1, 1, 0}},   // on again: stays on
        {OptA3, 0, {0, 0, 0, 1, 0}},   // off: nothing else turns on
        {OptA2, 5, {0, 0, 0, 1, 0}},   // only 1 means on
    };
    for (const auto& step : steps) {
        w->setState(step.id, step.state);
        std::vector<int> states;
        for (int id : ids) states.push_back(w->getState(id));
        EXPECT_EQ(states, step.expected) << "after setState(" << step.id << ", " << step.state << ")";
    }
    // A new window starts a new group even when an option came last.
    ASSERT_EQ(w->openWindow(1, 0, 0, 200, 100, "Zwei", WinCloseBox), 1);
    ASSERT_EQ(w->createControl(ControlKind::Option, 50, 5, 5, 80, 15, "C", 0), 1);
    w->setState(50, 1);
    EXPECT_EQ(w->getState(OptB1), 1);
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_P(WindowContract, TableRowsHoldThreeCells) {
    open(*w);
    const struct { int position; std::string text; std::vector<std::string> row0, row1; } cases[] = {
        {-1, "a.jpg\nneu_001.jpg\n", {"a.jpg", "neu_001.jpg", ""}, {}},
        {-1, "nur", {"a.jpg", "neu_001.jpg", ""}, {"nur", "", ""}},
        {5, "1\n2\n3\n4", {"a.jpg", "neu_001.jpg", ""}, {"nur", "", ""}},
        {0, "vorn\nx\ny", {"vorn", "x", "y"}, {"a.jpg", "neu_001.jpg", ""}},
    };
    int count = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("addRow \"" + c.text + "\"");
        EXPECT_EQ(w->addRow(Table, c.position, c.text), 1);
        EXPECT_EQ(w->countRows(Table), ++count);
        for (int col = 0; col < 3; ++col) {
            EXPECT_EQ(w->getCell(Table, 0, col), c.row0[col]) << "column " << col;
            if (!c.row1.empty()) {
                EXPECT_EQ(w->getCell(Table, 1, col), c.row1[col]) << "column " << col;
            }
        }
    }
    EXPECT_EQ(w->getCell(Table, 3, 2), "3") << "a fourth cell is dropped";

    w->setCell(Table, 2, 2, "Ok");
    EXPECT_EQ(w->getCell(Table, 2, 2), "Ok");
    const std::pair<int, int> outside[] = {{4, 0}, {-1, 0}, {0, 3}, {0, -1}};
    for (auto [row, col] : outside) {
        w->setCell(Table, row, col, "x");
        EXPECT_EQ(w->getCell(Table, row, col), "") << "row " << row << " column " << col;
    }
    EXPECT_EQ(w->countRows(Table), 4);
    EXPECT_EQ(events(), std::vector<Seen>{}) << "the program's changes report nothing";

    w->clearRows(Table);
    EXPECT_EQ(w->countRows(Table), 0);
    EXPECT_EQ(w->getCell(Table, 0, 0), "");
    EXPECT_EQ(w->addRow(Table, -1, "neu"), 1);
    EXPECT_EQ(w->getCell(Table, 0, 0), "neu");

    // Texts replaced by shorter, longer and equal ones, round after round,
    // until the table packs its texts again: every cell keeps its own.
    w->clearRows(Table);
    constexpr int Rows = 2000;
    std::vector<std::array<std::string, 3>> mirror(Rows);
    for (int r = 0; r < Rows; ++r) {
        mirror[r] = {"bild_" + std::to_string(r) + ".jpg", "", ""};
        w->addRow(Table, -1, mirror[r][0] + "\n\n");
    }
    const std::string texts[] = {"", "a", "\xC3\xA4", "Ok!", "Fehler", std::string(200, 'x'), std::string(900, 'y')};
    for (int round = 0; round < 8; ++round) {
        for (int r = 0; r < Rows; ++r) {
            const int col = (r + round) % 3;
            mirror[r][col] = texts[(r * 7 + round * 3) % 7] + std::to_string(round % 2 ? r : 0).substr(0, round % 3);
            w->setCell(Table, r, col, mirror[r][col]);
        }
    }
    const std::string huge(1500 * 1024, 'h');
    w->setCell(Table, 7, 1, huge);
    mirror[7][1] = huge;
    w->addRow(Table, 700, "mitte\n" + std::string(40, 'm') + "\nOk");
    mirror.insert(mirror.begin() + 700, {"mitte", std::string(40, 'm'), "Ok"});
    ASSERT_EQ(w->countRows(Table), Rows + 1);
    for (int r = 0; r < Rows + 1; ++r)
        for (int col = 0; col < 3; ++col)
            ASSERT_EQ(w->getCell(Table, r, col), mirror[r][col]) << "row " << r << " column " << col;
}

TEST_P(WindowContract, RowStateBitsAreIndependent) {
    open(*w);
    for (int i = 0; i < 3; ++i) w->addRow(Table, -1, "f" + std::to_string(i));
    const struct { int state, expected; } cases[] = {
        {RowTicked, RowTicked},                   // ticking does not select
        {RowSelected | RowTicked, 3},
        {RowSelected, RowSelected},               // selecting does not tick
        {0, 0},
        {7, 3},                                   // other bits are dropped
        {RowTicked, RowTicked},                   // tick and deselect
    };
    for (const auto& c : cases) {
        w->setRowState(Table, 1, c.state);
        EXPECT_EQ(w->getRowState(Table, 1), c.expected) << "state " << c.state;
        EXPECT_EQ(w->getRowState(Table, 0), 0);
        EXPECT_EQ(w->getRowState(Table, 2), 0);
        // Handing the rows to the view must not change them.
        EXPECT_EQ(events(), std::vector<Seen>{}) << "state " << c.state;
        EXPECT_EQ(w->getRowState(Table, 1), c.expected) << "state " << c.state << " after the view saw it";
    }
    w->setRowState(Table, 0, RowSelected);
    w->setRowState(Table, 2, RowSelected | RowTicked);
    events();
    EXPECT_EQ(w->getRowState(Table, 0), RowSelected) << "several rows stay selected";
    EXPECT_EQ(w->getRowState(Table, 2), RowSelected | RowTicked);
    w->setRowState(Table, 3, 3);
    w->setRowState(Table, -1, 3);
    EXPECT_EQ(w->getRowState(Table, 3), 0);
    EXPECT_EQ(w->getRowState(Table, -1), 0);
}

TEST_P(WindowContract, RowMarksStayUntilSetAgainAndUntickedRowsAreGreyed) {
    open(*w);
    for (int i = 0; i < 3; ++i) w->addRow(Table, -1, "f" + std::to_string(i) + "\ng\n");
    const struct { int row; RowMark mark; std::string text, expected; } steps[] = {
        {1, RowMark::Warning, "Name schon vorhanden: g", "Name schon vorhanden: g"},
        {2, RowMark::Warning, "Name kommt mehrfach vor (Zeilen 2 und 3)", "Name kommt mehrfach vor (Zeilen 2 und 3)"},
        {1, RowMark::Warning, "Ungültiger Name", "Ungültiger Name"},   // replaced
        {2, RowMark::None, "ignored", ""},                             // no mark, no text
        {0, RowMark::Warning, "", ""},
    };
    std::map<int, std::string> texts;   // what the program would say of each row
    w->setRowMarkTexts(Table, [&texts](int row) { return texts[row]; });
    for (const auto& s : steps) {
        SCOPED_TRACE("row " + std::to_string(s.row) + " \"" + s.text + "\"");
        texts[s.row] = s.text;
        w->setRowMark(Table, s.row, s.mark);
        EXPECT_EQ(events(), std::vector<Seen>{});   // the view saw it, nothing reported
        EXPECT_EQ(w->rowMark(Table, s.row), s.mark);
        EXPECT_EQ(w->rowMarkText(Table, s.row), s.expected);
    }
    EXPECT_EQ(w->rowMark(Table, 1), RowMark::Warning) << "a mark stays when others change";
    EXPECT_EQ(w->getCell(Table, 1, 1), "g") << "the cell keeps its text";
    for (int state : {0, RowTicked, RowSelected, RowSelected | RowTicked}) {
        w->setRowState(Table, 1, state);
        events();
        EXPECT_EQ(w->rowGreyed(Table, 1), (state & RowTicked) == 0) << "state " << state;
        EXPECT_EQ(w->rowMark(Table, 1), RowMark::Warning) << "state " << state;
    }
    w->setRowMark(Table, 3, RowMark::Warning);
    w->setRowMark(Table, -1, RowMark::Warning);
    EXPECT_EQ(w->rowMark(Table, 3), RowMark::None);
    EXPECT_EQ(w->rowMarkText(Table, -1), "");
    EXPECT_FALSE(w->rowGreyed(Table, 3));
    w->clearRows(Table);
    w->addRow(Table, -1, "neu");
    EXPECT_EQ(w->rowMark(Table, 0), RowMark::None) << "a new row has no mark";
    EXPECT_EQ(w->rowMarkText(Table, 0), "");
    EXPECT_TRUE(w->rowGreyed(Table, 0)) << "a new row is not ticked until the program ticks it";
    w->setRowMark(Table, 0, RowMark::Warning);
    texts[0] = "Datei nicht mehr vorhanden";
    EXPECT_EQ(w->rowMarkText(Table, 0), "Datei nicht mehr vorhanden") << "asked for when needed";
    w->setRowMarkTexts(Table, {});
    EXPECT_EQ(w->rowMarkText(Table, 0), "") << "no texts, no tool tip";
}

TEST_P(WindowContract, TableColumnsGoWhereTheyAreInserted) {
    ASSERT_EQ(w->openWindow(0, 0, 0, 790, 596, "Test", WinCloseBox), 1);
    ASSERT_EQ(w->createControl(ControlKind::Table, Table, 5, 280, 770, 255, "", 0), 1);
    w->addTableColumn(Table, 0, "Aktueller Name", 355);
    w->addTableColumn(Table, 1, "Rename", 60);
    w->addTableColumn(Table, 1, "Neuer Name", 355);
    w->addTableColumn(Table, 9, "Ende", 40);   // past the end: appended
    const std::pair<std::string, int> expected[] = {
        {"Aktueller Name", 355}, {"Neuer Name", 355}, {"Rename", 60}, {"Ende", 40}};
    for (int col = 0; col < 4; ++col) {
        EXPECT_EQ(w->columnTitle(Table, col), expected[col].first) << "column " << col;
        EXPECT_EQ(w->columnWidth(Table, col), expected[col].second) << "column " << col;
    }
    EXPECT_EQ(w->columnTitle(Table, 4), "");
    EXPECT_EQ(w->columnWidth(Table, -1), 0);
}

TEST_P(WindowContract, EnableAndFocus) {
    open(*w);
    w->enable(Button, false);
    EXPECT_FALSE(w->isEnabled(Button));
    EXPECT_TRUE(w->isEnabled(Field));
    w->enable(Button, true);
    EXPECT_TRUE(w->isEnabled(Button));

    const int order[] = {Field, Field2, Unknown, Table};
    const int expected[] = {Field, Field2, Field2, Table};
    for (int i = 0; i < 4; ++i) {
        w->setFocus(order[i]);
        EXPECT_EQ(w->focusedControl(), expected[i]) << "after setFocus(" << order[i] << ")";
    }
    events();
    // A control that is disabled while it has the focus hands it to nobody:
    // the option after the button must not be focused without the user.
    for (int id : {Button, Field}) {
        w->setFocus(id);
        events();
        w->enable(id, false);
        EXPECT_EQ(w->focusedControl(), -1) << "after disabling " << id;
        EXPECT_EQ(events(), std::vector<Seen>{}) << "after disabling " << id;
        w->enable(id, true);
    }
}

TEST_P(WindowContract, WindowTitleAndSize) {
    open(*w);
    EXPECT_EQ(w->windowTitle(0), "Test");
    w->setWindowTitle(0, "Quonabix  V 2.09");
    EXPECT_EQ(w->windowTitle(0), "Quonabix  V 2.09");
    int width = 0, height = 0;
    EXPECT_EQ(w->windowInnerSize(0, width, height), 1);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(790, 596)) << "menu bar included";
}

// The information window keeps a minimum size from its size handler.
TEST_P(WindowContract, SizeHandlerRunsOnEveryChangeAndMayResizeAgain) {
    open(*w);
    ASSERT_EQ(w->openWindow(1, 256, 19, 670, 386, "Quonabix", WinCloseBox | WinResizable | WinMinMaxBoxes), 1);
    std::vector<std::pair<int, int>> seen;
    w->setSizeHandler(1, [&](int id) {
        int width = 0, height = 0;
        w->windowInnerSize(id, width, height);
        seen.emplace_back(width, height);
        if (width < 670 || height < 386) w->resizeWindow(id, std::max(width, 670), std::max(height, 386));
    });
    const struct { int width, height; std::pair<int, int> first, final; bool called; } cases[] = {
        {800, 500, {800, 500}, {800, 500}, true},
        {800, 500, {}, {800, 500}, false},   // no change, no call
        {300, 200, {300, 200}, {670, 386}, true},
        {900, 300, {900, 300}, {900, 386}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        seen.clear();
        w->resizeWindow(1, c.width, c.height);
        ASSERT_EQ(!seen.empty(), c.called);
        if (c.called) {
            EXPECT_EQ(seen.front(), c.first);
        }
        int width = 0, height = 0;
        w->windowInnerSize(1, width, height);
        EXPECT_EQ(std::make_pair(width, height), c.final);
    }
}

TEST_P(WindowContract, ClosingAWindowRemovesItsControlsOnly) {
    open(*w);
    ASSERT_EQ(w->openWindow(1, 256, 19, 670, 386, "Quonabix", WinCloseBox | WinResizable), 1);
    ASSERT_EQ(w->createControl(ControlKind::Button, 4802, 270, 350, 130, 30, "Fenster schließen", 0), 1);
    w->closeWindow(1);
    int x = -1, y = -1, width = -1, height = -1;
    EXPECT_FALSE(w->controlRect(4802, x, y, width, height));
    EXPECT_EQ(w->getText(4802), "");
    EXPECT_EQ(w->windowInnerSize(1, width, height), 0);
    EXPECT_EQ(w->windowTitle(1), "");
    EXPECT_EQ(w->getText(Field), "*.jpg");
    EXPECT_EQ(w->createControl(ControlKind::Label, 60, 0, 0, 10, 10, "x", 0), 0)
        << "no window to put it in";
    w->closeWindow(1);
    w->closeWindow(7);
    EXPECT_EQ(w->openWindow(1, 256, 19, 670, 386, "Quonabix", WinCloseBox), 1) << "the id is free again";
    EXPECT_EQ(w->createControl(ControlKind::Button, 4802, 270, 350, 130, 30, "Fenster schließen", 0), 1);
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_P(WindowContract, UnknownIdsAndWrongKindsDoNothing) {
    open(*w);
    w->addRow(Table, -1, "a\nb\nc");
    const int ids[] = {Unknown, -1, Field, Caption, Button, OptA1};
    for (int id : ids) {
        SCOPED_TRACE("id " + std::to_string(id));
        const std::string before = w->getText(id);
        EXPECT_EQ(w->countRows(id), 0);
        EXPECT_EQ(w->addRow(id, -1, "a"), 0);
        w->clearRows(id);
        w->setCell(id, 0, 0, "x");
        EXPECT_EQ(w->getCell(id, 0, 0), "");
        w->setRowState(id, 0, 3);
        EXPECT_EQ(w->getRowState(id, 0), 0);
        w->setRowMark(id, 0, RowMark::Warning);
        w->setRowMarkTexts(id, [](int) { return std::string("x"); });
        EXPECT_EQ(w->rowMark(id, 0), RowMark::None);
        EXPECT_EQ(w->rowMarkText(id, 0), "");
        EXPECT_FALSE(w->rowGreyed(id, 0));
        w->addTableColumn(id, 0, "Spalte", 50);
        EXPECT_EQ(w->columnTitle(id, 0), "");
        EXPECT_EQ(w->columnWidth(id, 0), 0);
        w->setEditorReadOnly(id);
        w->setControlFont(id, 77);
        if (id != OptA1) {
            w->setState(id, 1);
            EXPECT_EQ(w->getState(id), 0);
        }
        EXPECT_EQ(w->getText(id), before);
    }
    EXPECT_EQ(w->getText(Unknown), "");
    w->setText(Unknown, "x");
    w->enable(Unknown, true);
    EXPECT_FALSE(w->isEnabled(Unknown));
    w->moveControl(Unknown, 1, 2, 3, 4);
    w->attachToolTip(Unknown, "x", "y", IconKind::Information);
    int x = -1, y = -1, width = -1, height = -1;
    EXPECT_FALSE(w->controlRect(Unknown, x, y, width, height));
    EXPECT_EQ(w->windowInnerSize(5, width, height), 0);
    w->resizeWindow(5, 10, 10);
    w->setWindowTitle(5, "x");
    EXPECT_EQ(w->windowTitle(5), "");
    w->setSizeHandler(5, [](int) { ADD_FAILURE() << "handler of an unknown window ran"; });
    w->closeWindow(5);
    EXPECT_EQ(w->createMenuBar(5), 0);
    EXPECT_EQ(w->countRows(Table), 1) << "the table was not touched";
    EXPECT_EQ(w->getCell(Table, 0, 2), "c");
    EXPECT_EQ(events(), std::vector<Seen>{});
}

TEST_P(WindowContract, IdsAreTakenOnce) {
    EXPECT_EQ(w->createControl(ControlKind::Label, 3, 0, 0, 10, 10, "x", 0), 0) << "no window yet";
    open(*w);
    EXPECT_EQ(w->openWindow(0, 0, 0, 100, 100, "Zwei", WinCloseBox), 0);
    EXPECT_EQ(w->windowTitle(0), "Test");
    EXPECT_EQ(w->createControl(ControlKind::Label, Field, 0, 0, 10, 10, "zweites", 0), 0);
    EXPECT_EQ(w->getText(Field), "*.jpg");
}

TEST_P(WindowContract, ControlsSitWhereTheyArePut) {
    open(*w);
    for (const ControlRow& c : Controls) {
        int x = -1, y = -1, width = -1, height = -1;
        ASSERT_TRUE(w->controlRect(c.id, x, y, width, height)) << "control " << c.id;
        EXPECT_EQ((std::vector<int>{x, y, width, height}), (std::vector<int>{c.x, c.y, c.width, c.height}))
            << "control " << c.id;
    }
    w->moveControl(Editor, 10, 10, 650, 330);
    int x = -1, y = -1, width = -1, height = -1;
    w->controlRect(Editor, x, y, width, height);
    EXPECT_EQ((std::vector<int>{x, y, width, height}), (std::vector<int>{10, 10, 650, 330}));
}

TEST_P(WindowContract, WaitWithWakeUpReturnsOtherWhenNothingIsQueued) {
    open(*w);
    for (int ms : {0, 1, 20}) {
        EXPECT_EQ(w->waitEvent(ms), EventCode::Other) << ms << " ms";
        EXPECT_EQ(w->eventId(), 0);
        EXPECT_EQ(w->eventKind(), EventKind::None);
    }
}

TEST_P(WindowContract, MenuBarNeedsAnOpenWindow) {
    EXPECT_EQ(w->createMenuBar(0), 0);
    ASSERT_EQ(w->openWindow(0, 0, 0, 100, 100, "Test", WinCloseBox), 1);
    EXPECT_EQ(w->createMenuBar(0), 1);
    w->addMenuItem(0, "ohne Titel");   // no title yet: ignored
    EXPECT_EQ(events(), std::vector<Seen>{});
}

const Backend Backends[] = {
    {"Headless", [] { return std::unique_ptr<WindowSystem>(new HeadlessWindowSystem); }},
    {ownWindowSystemName(), [] { return makeOwnWindowSystem(); }},
};

INSTANTIATE_TEST_SUITE_P(Backends, WindowContract, ::testing::ValuesIn(Backends),
                         [](const ::testing::TestParamInfo<Backend>& info) { return info.param.name; });

}  // namespace
