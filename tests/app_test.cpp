// The main window, the event loop and the dispatch, driven through the
// headless window system with real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/loop.h"
#include "app/mainwindow.h"
#include "engine/state.h"
#include "engine/table.h"
#include "mainwindow_expect.h"
#include "platform/headless/headless.h"
#include "platform/process.h"
#include "support/ids.h"
#include "support/texts.h"
#include "support/values.h"
#include "testutil.h"

namespace fs = std::filesystem;
using platform::EventCode;
using platform::EventKind;

namespace {

class LoopTest : public ::testing::Test {
protected:
    platform::HeadlessWindowSystem h;
    testutil::TempDir files;
    const fs::path dir = fs::path(files.path()).parent_path();   // without the trailing "/"

    void SetUp() override {
        platform::useWindowSystem(&h);
        ASSERT_TRUE(app::OeffnenHauptfenster());
        app::NeuAufbauenAb = {};
        engine::RenameErfolgt = 0;
        engine::DateiListe.clear();
        for (const char* name : {"IMG_1.jpg", "IMG_2.jpg", "notes.txt"}) std::ofstream(dir / name) << name;
    }
    void TearDown() override {
        platform::useWindowSystem(nullptr);
    }
    // As the folder tree gives it: with the platform's separator at the end.
    std::string folder() const { return testutil::utf8(dir) + platform::PathSeparator; }
    std::string newName(int row) { return h.getCell(ids::FileTable, row, ids::ColNew); }
    // Runs the loop over the events queued so far; the script's end closes the window.
    void run() { app::Hauptschleife(); }
};

}  // namespace

TEST(MainWindow, EveryControlHasItsKindCaptionPlaceAndOrder) {
    platform::HeadlessWindowSystem h;
    const testutil::UsingWindowSystem windows(h);
    ASSERT_TRUE(app::OeffnenHauptfenster());
    std::vector<int> ids;
    for (const auto& c : expect::Controls) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        ids.push_back(c.id);
        ASSERT_TRUE(h.exists(c.id));
        EXPECT_EQ(h.kindOf(c.id), c.kind);
        if (c.caption) {
            EXPECT_EQ(h.getText(c.id), c.caption);
        }
        int x, y, w, hh;
        ASSERT_TRUE(h.controlRect(c.id, x, y, w, hh));
        EXPECT_EQ(std::vector<int>({x, y, w, hh}), std::vector<int>({c.x, c.y, c.width, c.height}));
    }
    EXPECT_EQ(h.creationOrder(), ids);
    EXPECT_FALSE(h.exists(16));
    EXPECT_EQ(h.columnTitle(ids::FileTable, 0), "Aktueller Name");
    EXPECT_EQ(h.columnTitle(ids::FileTable, 1), "Neuer Name");
    EXPECT_EQ(h.columnTitle(ids::FileTable, 2), "Rename");
    EXPECT_EQ((std::vector<int>{h.columnWidth(ids::FileTable, 0), h.columnWidth(ids::FileTable, 1),
                                h.columnWidth(ids::FileTable, 2)}),
              (std::vector<int>{355, 355, 60}));
    EXPECT_EQ(h.menuTitles(), (std::vector<std::string>{"&Datei", "&Info"}));
    EXPECT_EQ(h.menuItems(), (std::vector<std::pair<int, std::string>>{{0, "&Quit"}, {1, "&Info"}}));
    EXPECT_EQ(h.toolTipTitle(ids::PatternField), "Platzhalter");
    EXPECT_NE(h.toolTipText(ids::PatternField).find("%dm%=Datum-Geändert"), std::string::npos);
    EXPECT_EQ(h.toolTipText(ids::OrderField),
              "%1%=1.Teil nach Trennung durch Trennzeichen, %2%=wie vor usw.,%erw%=Erweiterung");
    int w, hh;
    ASSERT_TRUE(h.windowInnerSize(ids::MainWindow, w, hh));
    EXPECT_EQ(w, 790);
    EXPECT_EQ(hh, 596);
}

TEST_F(LoopTest, PreparationTurnsOnOneOptionPerGroupAndDisablesUndo) {
    run();
    for (int id : {26, 36, 40}) EXPECT_EQ(h.getState(id), 1) << id;
    for (int id : {27, 28, 29, 30, 37, 38, 41, 42}) EXPECT_EQ(h.getState(id), 0) << id;
    EXPECT_FALSE(h.isEnabled(ids::UndoButton));
    EXPECT_EQ(h.getText(ids::DirectoryLabel), "Aktuelles Verzeichnis:");
}

TEST_F(LoopTest, ClickOnEndeLeavesOtherGroupUntilTheHandlerSelectsRemove) {
    h.setState(ids::OptPattern, 1);
    h.setState(ids::OptRemoveStart, 1);
    h.userClick(ids::OptRemoveEnd);
    EXPECT_EQ(h.getState(ids::OptRemoveEnd), 0) << "the option turns on when the program takes the click";
    ASSERT_EQ(h.waitEvent(-1), EventCode::Control);
    EXPECT_EQ(h.getState(ids::OptRemoveEnd), 1);
    EXPECT_EQ(h.getState(ids::OptRemoveStart), 0);
    EXPECT_EQ(h.getState(ids::OptPattern), 1) << "another group must stay untouched by the click";
    app::ElementEreignis();
    EXPECT_EQ(h.getState(ids::OptRemove), 1);
    EXPECT_EQ(h.getState(ids::OptPattern), 0);
}

// Leaving a field of one rule by clicking the option of another queues the
// field's focus loss before the click; the click is handled last and wins.
TEST_F(LoopTest, OptionClickedOutOfAnotherRulesFieldStaysOn) {
    const struct { int field, option; const char* name; } cases[] = {
        {ids::RemoveField, ids::OptCase, "IMG_1.JPG"},
        {ids::OrderField, ids::OptPattern, "neu_001.jpg"},
        {ids::ReplaceFindField, ids::OptRemove, "IMG_1.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("field " + std::to_string(c.field) + ", option " + std::to_string(c.option));
        h.userSelectFolder(folder());
        h.userFocus(c.field, true);
        h.userFocus(c.field, false);
        h.userClick(c.option);
        run();
        EXPECT_EQ(h.getState(c.option), 1);
        EXPECT_EQ(newName(0), c.name);
    }
}

// Keys that wait while a rebuild runs are one rebuild, for the last text;
// a change that waits behind another event is a rebuild of its own.
TEST_F(LoopTest, FolderChangeFillsTableAndMaskRebuildsAtEveryKey) {
    h.userSelectFolder(folder());
    run();
    ASSERT_EQ(h.countRows(ids::FileTable), 2);
    EXPECT_EQ(newName(0), "neu_001.jpg");
    EXPECT_EQ(h.getText(ids::DirectoryLabel), "Aktuelles Verzeichnis: " + folder());
    h.userType(ids::MaskField, "*.txt");
    run();
    ASSERT_EQ(h.countRows(ids::FileTable), 1);
    EXPECT_EQ(h.getCell(ids::FileTable, 0, ids::ColCurrent), "notes.txt");
    for (const char* text : {"*", "*.", "*.j", "*.jp", "*.jpg"}) h.userType(ids::MaskField, text);
    h.userTickRow(ids::FileTable, 0, false);
    h.userType(ids::MaskField, "*.jpg");
    ASSERT_EQ(h.waitEvent(-1), EventCode::Control);
    app::ElementEreignis();
    EXPECT_EQ(h.countRows(ids::FileTable), 2);
    EXPECT_EQ(h.getRowState(ids::FileTable, 0), platform::RowTicked) << "the first row of the new table";
    ASSERT_EQ(h.waitEvent(-1), EventCode::Control);
    EXPECT_EQ(h.eventId(), ids::FileTable) << "the four waiting changes went with the first";
    app::ElementEreignis();
    ASSERT_EQ(h.waitEvent(-1), EventCode::Control);
    EXPECT_EQ(h.eventId(), ids::MaskField);
    app::ElementEreignis();
    EXPECT_EQ(h.countRows(ids::FileTable), 2);
    EXPECT_EQ(h.waitEvent(-1), EventCode::Close);
}

TEST_F(LoopTest, EnteringAReplaceFieldSelectsItsRuleWithoutRebuilding) {
    h.userSelectFolder(folder());
    h.userFocus(ids::ReplaceFindField, true);
    run();
    EXPECT_EQ(h.getState(ids::OptReplace), 1);
    EXPECT_EQ(newName(0), "neu_001.jpg") << "entering the field must not rebuild";
    h.setText(ids::ReplaceByField, "X");
    h.userType(ids::ReplaceFindField, "IMG");
    run();
    EXPECT_EQ(newName(0), "X_1.jpg");
}

TEST_F(LoopTest, RejectedStepKeepsNamesAndPutsFocusBack) {
    h.userSelectFolder(folder());
    h.userType(ids::StepField, "1.5");
    run();
    ASSERT_EQ(h.shownBoxes().size(), 1u);
    EXPECT_EQ(h.shownBoxes()[0].text, "Position 2 = .\r in 1.5\r ist ein ungültiges Zeichen !");
    EXPECT_EQ(h.focusedControl(), ids::StepField);
    EXPECT_EQ(h.getText(ids::StepField), "1.5");
    EXPECT_EQ(newName(1), "neu_002.jpg");
}

// Both rows get one name, so the second is marked while the first is
// ticked: the marks follow every change of the ticks.
TEST_F(LoopTest, TickButtonsTickAndUntickEveryRowAndDeselectIt) {
    h.setText(ids::PatternField, "x.jpg");
    h.userSelectFolder(folder());
    run();
    auto marked = [&](int row) { return h.rowMark(ids::FileTable, row) == platform::RowMark::Warning; };
    EXPECT_FALSE(marked(0));
    EXPECT_TRUE(marked(1));
    h.userSelectRow(ids::FileTable, 0);
    h.userClick(ids::TickNoneButton);
    run();
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(h.getRowState(ids::FileTable, row), 0) << row;
        EXPECT_FALSE(marked(row)) << row;
    }
    h.userClick(ids::TickAllButton);
    run();
    for (int row = 0; row < 2; ++row) EXPECT_EQ(h.getRowState(ids::FileTable, row), platform::RowTicked) << row;
    EXPECT_TRUE(marked(1));
    h.userTickRow(ids::FileTable, 0, false);
    run();
    EXPECT_FALSE(marked(1)) << "the first row no longer takes the name";
}

TEST_F(LoopTest, TableEventAfterRenameRebuildsFullyOnce) {
    h.userSelectFolder(folder());
    run();
    h.setRowState(ids::FileTable, 0, 0);
    engine::RenameErfolgt = 1;
    h.userTickRow(ids::FileTable, 1, false);
    run();
    EXPECT_EQ(engine::RenameErfolgt, 0);
    EXPECT_EQ(h.getRowState(ids::FileTable, 0), platform::RowTicked) << "a full rebuild ticks every row again";
    EXPECT_EQ(h.getRowState(ids::FileTable, 1), platform::RowTicked);
    h.userTickRow(ids::FileTable, 1, false);
    run();
    EXPECT_EQ(h.getRowState(ids::FileTable, 1), 0) << "later table events do nothing";
}

// The second click of a double click on "Rename" waits while the first
// one's action runs: it is dropped, not a second action on the old table
// with one question per row.
TEST_F(LoopTest, ADoubleClickOnRenameIsOneAction) {
    const std::string temp = files.path() + "temp/";
    fs::create_directories(temp);
    support::TempVerzeichnis = temp;
    h.userSelectFolder(folder());
    run();
    h.userClick(ids::RenameButton);
    h.userClick(ids::RenameButton);
    run();
    EXPECT_TRUE(h.shownBoxes().empty()) << h.shownBoxes().front().text;
    EXPECT_TRUE(fs::exists(dir / "neu_001.jpg") && fs::exists(dir / "neu_002.jpg"));
    std::ifstream in(temp + "undo_quonabix.log", std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), {});
    std::size_t actions = 0;
    for (std::size_t p = log.find("REM .Datei.:"); p != std::string::npos; p = log.find("REM .Datei.:", p + 1)) ++actions;
    EXPECT_EQ(actions, 1u);
}

// ---- the delayed rebuild of the name pattern field ---------------------------

namespace {

struct DelayCase {
    const char* name;
    uint32_t start;       // tick of the key stroke
    uint32_t waited;      // ms until the next event
    bool rebuilt;
};

}  // namespace

TEST_F(LoopTest, PatternRebuildsOnlyAfterStrictlyMoreThan1500ms) {
    const DelayCase cases[] = {
        {"at 1500 ms", 5000, 1500, false},
        {"at 1501 ms", 5000, 1501, true},
        {"across the tick wrap-around, 1501 ms", 0xFFFFFF00u, 1501, true},
        {"across the tick wrap-around, 1000 ms", 0xFFFFFF00u, 1000, false},
    };
    h.userSelectFolder(folder());
    run();
    for (const DelayCase& c : cases) {
        SCOPED_TRACE(c.name);
        h.setText(ids::PatternField, "neu_%nr%.%erw%");
        engine::NeuAufbauen(engine::ModeNames, engine::DateiListe);
        h.setTick(c.start);
        h.userType(ids::PatternField, "x%nr%");
        h.pushEvent(EventCode::Other, 0, EventKind::None);   // a mouse move, right away
        ASSERT_EQ(h.waitEvent(-1), EventCode::Control);
        app::ElementEreignis();
        app::runDueRebuild();
        ASSERT_EQ(h.waitEvent(-1), EventCode::Other);
        app::runDueRebuild();
        EXPECT_EQ(newName(0), "neu_001.jpg") << "no rebuild while typing";
        h.advance(c.waited);
        app::runDueRebuild();
        EXPECT_EQ(newName(0), c.rebuilt ? "x001" : "neu_001.jpg");
        app::NeuAufbauenAb = {};
    }
}

TEST_F(LoopTest, PendingRebuildRunsWithoutAnyFurtherEvent) {
    h.userSelectFolder(folder());
    h.userType(ids::PatternField, "abc%nr%");
    const uint32_t typed = h.tick();
    run();   // nothing else queued: the loop's wake-up has to do it
    EXPECT_EQ(newName(0), "abc001");
    EXPECT_GT(h.tick() - typed, 1500u);
}

TEST_F(LoopTest, RejectedKeyDoesNotDisarmThePendingRebuild) {
    h.userSelectFolder(folder());
    run();
    const auto typeAndHandle = [&](const char* text) {
        h.userType(ids::PatternField, text);
        ASSERT_EQ(h.waitEvent(-1), EventCode::Control);
        app::ElementEreignis();
        app::runDueRebuild();
    };
    typeAndHandle("ab%nr%");
    typeAndHandle("a b%nr%");   // a blank is not allowed
    ASSERT_EQ(h.shownBoxes().size(), 1u);
    EXPECT_EQ(h.shownBoxes()[0].text, "Position 2 =  \r in a b%nr%\r ist ein ungültiges Zeichen !");
    EXPECT_EQ(h.focusedControl(), ids::PatternField);
    EXPECT_EQ(h.getText(ids::PatternField), "a b%nr%") << "the text is kept";
    EXPECT_TRUE(app::NeuAufbauenAb.armed) << "the rejected key leaves the rebuild armed";
    run();
    EXPECT_FALSE(app::NeuAufbauenAb.armed);
    EXPECT_EQ(newName(0), "a b001") << "the rebuild reads the field as it stands then";
}

TEST_F(LoopTest, EveryWayToEndLeavesTheLoop) {
    struct End { const char* name; std::function<void()> act; };
    const End ends[] = {
        {"close box", [&] { h.userClose(ids::MainWindow); }},
        {"menu Quit", [&] { h.userMenu(ids::MenuQuit); }},
        {"button Programm beenden", [&] { h.userClick(ids::QuitButton); }},
    };
    for (const End& e : ends) {
        SCOPED_TRACE(e.name);
        e.act();
        h.userType(ids::MaskField, "*.never");   // must not be reached
        run();
        EXPECT_EQ(h.pendingEvents(), 1u);
        while (h.pendingEvents()) h.waitEvent(-1);
    }
}

// ---- the whole program: start-up, loop, settings save ------------------------

TEST(Program, EachWayToEndSavesTheSettingsAndExitsWithZero) {
    const testutil::TempDir temp, programFolder;
    const testutil::ProgramIn program(programFolder.path());
    const fs::path folder = fs::path(temp.path()).parent_path();
    std::ofstream(folder / "a.t1") << "a";
    const std::string ini = programFolder.path() + "quonabix.ini";
    using Ender = std::function<void(platform::HeadlessWindowSystem&)>;
    const std::pair<const char*, Ender> ends[] = {
        {"close box", [](auto& h) { h.userClose(ids::MainWindow); }},
        {"menu Quit", [](auto& h) { h.userMenu(ids::MenuQuit); }},
        {"button Programm beenden", [](auto& h) { h.userClick(ids::QuitButton); }},
    };
    int round = 0;
    for (const auto& [name, ending] : ends) {
        SCOPED_TRACE(name);
        const auto& end = ending;   // a lambda may not capture a structured binding in C++20
        platform::HeadlessWindowSystem h;
        const testutil::UsingWindowSystem windows(h);
        const std::string mask = "*.t" + std::to_string(++round);
        bool acted = false;
        // Once the loop waits for the first time, the user picks a folder,
        // types a mask and ends the program one of the three ways.
        h.onIdle([&] {
            if (acted) return;
            acted = true;
            h.userSelectFolder(folder.string());
            h.userType(ids::MaskField, mask);
            end(h);
            h.pushEvent(EventCode::Control, ids::MaskField, EventKind::Change);   // never reached
        });
        EXPECT_EQ(app::runProgram(), 0);
        EXPECT_EQ(h.pendingEvents(), 1u) << "the loop ends right after the end request";
        EXPECT_EQ(h.windowTitle(ids::MainWindow), "Quonabix  V 2.09");
        EXPECT_EQ(support::VersionText, support::texts::VersionList[0]) << "one place for the version";
        std::ifstream in(ini, std::ios::binary);
        const std::string saved((std::istreambuf_iterator<char>(in)), {});
        EXPECT_NE(saved.find("Start-Verzeichnis=" + testutil::utf8(folder) + platform::PathSeparator + "\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Datei-Muster=" + mask + "\r\n"), std::string::npos) << saved;
        std::ifstream startLog(programFolder.path() + "lauf.txt", std::ios::binary);
        const std::string lines((std::istreambuf_iterator<char>(startLog)), {});
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), round) << "one line per start: " << lines;
    }
}

TEST(Program, WithoutItsWindowNeitherLoopsNorSaves) {
    struct NoWindow : platform::HeadlessWindowSystem {
        int openWindow(int, int, int, int, int, const std::string&, unsigned) override { return 0; }
    } h;
    const testutil::UsingWindowSystem windows(h);
    const testutil::TempDir programFolder;
    const testutil::ProgramIn program(programFolder.path());
    const std::string ini = programFolder.path() + "quonabix.ini";
    { std::ofstream(ini, std::ios::binary) << "[Standard]\r\nDatei-Muster=*.keep\r\n"; }
    h.userOther();
    EXPECT_NE(app::runProgram(), 0);
    EXPECT_EQ(h.pendingEvents(), 1u) << "no event may be taken without a window";
    std::ifstream in(ini, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "[Standard]\r\nDatei-Muster=*.keep\r\n");
}

TEST(StartLog, FallsBackToTheLaufDateiFolderWithoutAMessage) {
    platform::HeadlessWindowSystem h;
    const testutil::UsingWindowSystem windows(h);
    const testutil::TempDir programFolder, otherFolder;
    const fs::path program = fs::path(programFolder.path()).parent_path(),
                   other = fs::path(otherFolder.path()).parent_path();
    support::ProgrammVerzeichnis = testutil::utf8(program) + platform::PathSeparator;
    support::BenutzerName = "anna";
    platform::setNowSource([] { return platform::LocalTime{2006, 3, 14, 9, 5, 7}; });
    const auto read = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };

    app::writeStartLog();
    app::writeStartLog();
    EXPECT_EQ(read(program / "lauf.txt"),
              "2006-03-14-09:05:07;Quonabix;anna\r\n2006-03-14-09:05:07;Quonabix;anna\r\n");

    // A folder in the way of "lauf.txt" makes the append fail.
    fs::remove(program / "lauf.txt");
    fs::create_directory(program / "lauf.txt");
    std::ofstream(program / "Quonabix.ini", std::ios::binary)
        << "[standard]\r\nlaufdatei = " << other.string() << "/\r\n";
    app::writeStartLog();
    EXPECT_EQ(read(other / "lauf.txt"), "2006-03-14-09:05:07;Quonabix;anna\r\n");
    EXPECT_TRUE(h.shownBoxes().empty());

    platform::setNowSource({});
}

#ifndef _WIN32
// The package's program lies in a folder the user may not write: its
// settings and start log live in the user's own folder, and a second start
// finds the folder and mask of the first there.
TEST(Program, InstalledKeepsSettingsAndStartLogInTheUsersFolder) {
    const testutil::TempDir programFolder, config;
    const testutil::ProgramIn program(programFolder.path());
    platform::setInstalledFolderSource([&] { return programFolder.path(); });
    const char* savedConfig = getenv("XDG_CONFIG_HOME");
    const std::string restore = savedConfig ? savedConfig : "";
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const std::string own = config.path() + "quonabix/", pictures = config.folder("bilder/");
    for (const std::string mask : {"*.jpg", ""}) {
        platform::HeadlessWindowSystem h;
        const testutil::UsingWindowSystem windows(h);
        h.onIdle([&, done = false]() mutable {
            if (done) return;
            done = true;
            if (mask.empty()) {
                EXPECT_EQ(h.getText(ids::FolderTree), pictures) << "the first start's folder";
                EXPECT_EQ(h.getText(ids::MaskField), "*.jpg");
            } else {
                h.userSelectFolder(pictures);
                h.userType(ids::MaskField, mask);
            }
            h.userClick(ids::QuitButton);
        });
        EXPECT_EQ(app::runProgram(), 0);
    }
    EXPECT_TRUE(fs::is_empty(programFolder.path())) << "nothing beside the installed program";
    std::ifstream startLog(own + "lauf.txt", std::ios::binary);
    const std::string lines((std::istreambuf_iterator<char>(startLog)), {});
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
    EXPECT_TRUE(fs::exists(own + "quonabix.ini"));
    savedConfig ? setenv("XDG_CONFIG_HOME", restore.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    platform::setInstalledFolderSource({});
}
#endif
