// The rename action and its undo on real files: exact undo files, the
// questions and their answers, names never renamed, chains, "%" in names,
// an undo that fails, and a property test over many random folders.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "engine/rename.h"
#include "engine/state.h"
#include "engine/table.h"
#include "platform/headless/headless.h"
#include "platform/process.h"
#include "support/ids.h"
#include "support/values.h"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;   // name -> content
using Rows = std::vector<std::pair<std::string, std::string>>;   // current -> new name
using Texts = std::vector<std::string>;

namespace {

const std::string Trenner = "REM " + std::string(80, '-') + "\r\n";
const std::string Zurueck = "Alle Änderungen rückgängig gemacht !";

class RenameTest : public ::testing::Test {
protected:
    platform::HeadlessWindowSystem h;
    std::string root, dir, temp;   // folders end with "/"; no path holds the product name

    void SetUp() override {
        std::string pattern = "/tmp/qbx-rename-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern + "/";
        temp = root + "temp/";
        fs::create_directories(temp);
        platform::useWindowSystem(&h);
        ASSERT_TRUE(app::OeffnenHauptfenster());
        h.setState(ids::OptPattern, 1);
        h.setState(ids::OptUpper, 1);
        h.setState(ids::OptRemoveStart, 1);
        h.enable(ids::UndoButton, false);
        h.setTick(1234567);
        platform::setNowSource([] { return platform::LocalTime{2024, 3, 9, 14, 5, 7}; });
        support::TempVerzeichnis = temp;
        engine::DateiListe.clear();
        engine::RenameErfolgt = 0;
        engine::UndoDatei.clear();
        useFolder("photos/");
    }
    void TearDown() override {
        platform::setNowSource({});
        platform::useWindowSystem(nullptr);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void useFolder(const std::string& name) {
        dir = root + name;
        fs::create_directories(dir);
        h.setText(ids::FolderTree, dir);
    }
    void fill(const Files& files) {
        for (const auto& [name, content] : files) std::ofstream(dir + name, std::ios::binary) << content;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    Files files() {
        Files out;
        for (const auto& e : fs::directory_iterator(dir)) out[e.path().filename().string()] = read(e.path());
        return out;
    }
    void rebuild() { engine::NeuAufbauen(engine::ModeFull, engine::DateiListe); }
    // Rows as a test wants them, all ticked; the list stays empty so the
    // refresh at the end of an action leaves them as they are.
    void setRows(const Rows& rows) {
        engine::DateiListe.clear();
        h.clearRows(ids::FileTable);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            h.addRow(ids::FileTable, -1, "\n\n");
            h.setCell(ids::FileTable, int(i), ids::ColCurrent, rows[i].first);
            h.setCell(ids::FileTable, int(i), ids::ColNew, rows[i].second);
            h.setRowState(ids::FileTable, int(i), platform::RowTicked);
        }
    }
    Texts column(int col) {
        Texts out;
        for (int r = 0; r < h.countRows(ids::FileTable); ++r) out.push_back(h.getCell(ids::FileTable, r, col));
        return out;
    }
    Texts boxTexts() {
        Texts out;
        for (const auto& b : h.shownBoxes()) out.push_back(b.text);
        return out;
    }
    std::string log() { return read(temp + "undo_quonabix.log"); }
    std::string scriptName(const char* tick) {
        return temp + "undo_Quonabix_2024_03_09_14_05_07_" + tick + ".bat";
    }
};

}  // namespace

TEST_F(RenameTest, RenameWritesExactUndoFilesAndUndoRestoresNames) {
    fill({{"b.jpg", "B"}, {"a.jpg", "A"}, {"c.txt", "C"}});
    rebuild();
    engine::RenameAusfuehren();

    EXPECT_EQ(files(), (Files{{"neu_001.jpg", "A"}, {"neu_002.jpg", "B"}, {"c.txt", "C"}}));
    EXPECT_EQ(column(ids::ColStatus), (Texts{"Ok", "Ok"}));
    EXPECT_EQ(column(ids::ColCurrent), (Texts{"a.jpg", "b.jpg"})) << "refreshed from the old list";
    EXPECT_TRUE(h.shownBoxes().empty());
    EXPECT_TRUE(h.isEnabled(ids::UndoButton));
    EXPECT_EQ(engine::RenameErfolgt, 1);
    const std::string script = scriptName("234567");
    ASSERT_EQ(engine::UndoDatei, script);
    EXPECT_EQ(read(script), "cd " + dir + "\r\n"
                            "ren \"neu_002.jpg\" \"b.jpg\"\r\n"
                            "ren \"neu_001.jpg\" \"a.jpg\"\r\n");
    EXPECT_EQ(log(), Trenner + "REM .Datei.:" + script + "\r\n" + Trenner + "cd " + dir + "\r\n"
                     "ren \"neu_001.jpg\" \"a.jpg\"\r\n"
                     "ren \"neu_002.jpg\" \"b.jpg\"\r\n");
    struct stat st;
    ASSERT_EQ(stat(script.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"a.jpg", "A"}, {"b.jpg", "B"}, {"c.txt", "C"}}));
    EXPECT_EQ(boxTexts(), Texts{Zurueck});
    EXPECT_FALSE(h.isEnabled(ids::UndoButton));
    EXPECT_EQ(engine::RenameErfolgt, 0);
    EXPECT_EQ(column(ids::ColNew), (Texts{"neu_001.jpg", "neu_002.jpg"}));
}

TEST_F(RenameTest, UnusualRowsEndOkAndUndoStillRestoresEverything) {
    useFolder("100% sure/");
    fill({{"same.jpg", "S"}, {"b.jpg", "B"}, {"50% off.jpg", "P"}, {"untouched", "U"}});
    setRows({{"same.jpg", "same.jpg"}, {"b.jpg", "B.JPG"}, {"50% off.jpg", "%%x%.jpg"}, {"untouched", "t"}});
    h.setRowState(ids::FileTable, 3, 0);
    h.setCell(ids::FileTable, 3, ids::ColStatus, "old");
    engine::RenameAusfuehren();
    EXPECT_EQ(column(ids::ColStatus), (Texts{"Ok", "Ok", "Ok", "old"}));
    EXPECT_EQ(files(), (Files{{"same.jpg", "S"}, {"B.JPG", "B"}, {"%%x%.jpg", "P"}, {"untouched", "U"}}));
    const std::string cd = "cd " + root + "100%% sure/\r\n";
    EXPECT_EQ(read(engine::UndoDatei), cd + "ren \"%%%%x%%.jpg\" \"50%% off.jpg\"\r\n"
                                            "ren \"B.JPG\" \"b.jpg\"\r\n"
                                            "ren \"same.jpg\" \"same.jpg\"\r\n");
    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"same.jpg", "S"}, {"b.jpg", "B"}, {"50% off.jpg", "P"}, {"untouched", "U"}}));
    EXPECT_EQ(boxTexts(), Texts{Zurueck});
}

TEST_F(RenameTest, UndoRestoresChainedRenames) {
    fill({{"neu_002.jpg", "was neu_002"}, {"x.jpg", "was x"}});
    rebuild();
    engine::RenameAusfuehren();
    EXPECT_EQ(files(), (Files{{"neu_001.jpg", "was neu_002"}, {"neu_002.jpg", "was x"}}));
    EXPECT_EQ(read(engine::UndoDatei), "cd " + dir + "\r\n"
                                       "ren \"neu_002.jpg\" \"x.jpg\"\r\n"
                                       "ren \"neu_001.jpg\" \"neu_002.jpg\"\r\n");
    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"neu_002.jpg", "was neu_002"}, {"x.jpg", "was x"}}));
    EXPECT_EQ(boxTexts(), Texts{Zurueck});
}

TEST_F(RenameTest, InvalidNamesAskAndAreNeverRenamed) {
    const std::string alle = "Aktion wird komplett abgebrochen !";
    const std::string leer = "Fehler: Ungültiger neuer Dateiname !\r\n\r\n" + alle;
    auto ungueltig = [&](const std::string& alt, const std::string& neu) {
        return "Fehler: Ungültige Dateinamen !\r\n\r\nin Datei = " + dir + alt + "\r\noder " + dir +
               neu + "\r\n\r\n" + alle;
    };
    Rows rows;
    Texts expected;
    for (const char* neu : {"a:b", "a\\b", "a?b", "a*b", "a<b", "a>b", "a|b", "a\"b", "a/b",
                            "tab\tx", "\x1f", ".", ".."}) {
        rows.push_back({"f.jpg", neu});
        expected.push_back(ungueltig("f.jpg", neu));
    }
    rows.push_back({"f.jpg", ""});
    expected.push_back(leer);
    rows.push_back({"", "g.jpg"});
    expected.push_back(leer);
    rows.push_back({"x:y.jpg", "fine.jpg"});
    expected.push_back(ungueltig("x:y.jpg", "fine.jpg"));
    fill({{"f.jpg", "F"}, {"x:y.jpg", "X"}});
    setRows(rows);
    engine::RenameAusfuehren();
    EXPECT_EQ(boxTexts(), expected);
    for (const auto& b : h.shownBoxes()) EXPECT_TRUE(b.title == "Quonabix" && b.kind == 1) << b.text;
    EXPECT_EQ(column(ids::ColStatus), Texts(rows.size(), "Fehler"));
    EXPECT_EQ(files(), (Files{{"f.jpg", "F"}, {"x:y.jpg", "X"}}));
    EXPECT_EQ(read(engine::UndoDatei), "");
}

TEST_F(RenameTest, ProductNameInCurrentPathKeepsFilesAsTheyAre) {
    struct Case { const char* folder; Files before; Rows rows; Files after; bool renames; };
    const Case cases[] = {
        // Nothing renamed: no undo to offer.
        {"My QuoNaBix/", {{"a.jpg", "1"}, {"b.jpg", "2"}}, {{"a.jpg", "x.jpg"}, {"b.jpg", "y.jpg"}},
         {{"a.jpg", "1"}, {"b.jpg", "2"}}, false},
        // Only the current path counts: a new name holding the product name is renamed to.
        {"plain/", {{"a.jpg", "1"}, {"my_QUONABIX.jpg", "2"}},
         {{"a.jpg", "quonabix.jpg"}, {"my_QUONABIX.jpg", "y.jpg"}},
         {{"quonabix.jpg", "1"}, {"my_QUONABIX.jpg", "2"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        useFolder(c.folder);
        fill(c.before);
        setRows(c.rows);
        h.clearBoxes();
        engine::RenameAusfuehren();
        EXPECT_EQ(column(ids::ColStatus), (Texts{"Ok", "Ok"}));
        EXPECT_TRUE(h.shownBoxes().empty());
        EXPECT_EQ(files(), c.after);
        ASSERT_EQ(h.isEnabled(ids::UndoButton), c.renames);
        if (!c.renames) continue;
        engine::RenameRueckgaengig();
        EXPECT_EQ(boxTexts(), Texts{Zurueck}) << "no line renames back a file that never moved";
        EXPECT_EQ(files(), c.before);
    }
}

TEST_F(RenameTest, ExistingTargetAsksAndCancelRevertsEverythingDoneSoFar) {
    const Files before{{"a", "A"}, {"b", "B"}, {"c", "C"}, {"taken", "T"}};
    const std::string frage = "Fehler: Rename konnte nicht ausgeführt werden !\r\n\r\nRename \r\n" +
                              dir + "b\r\n=> " + dir + "taken\r\n\r\n"
                              "Rest Dateien umbenenen oder Aktion abbrechen ?";
    struct Case { int answer; Texts statusAtQuestion; Files after; Texts boxes; bool undoOn; };
    const Case cases[] = {
        {platform::AnswerOk, {"Ok", "Fehler", ""}, {{"x", "A"}, {"b", "B"}, {"z", "C"}, {"taken", "T"}},
         {frage}, true},
        {platform::AnswerCancel, {"Ok", "Fehler", ""}, before, {frage, Zurueck}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
        fill(before);
        setRows({{"a", "x"}, {"b", "taken"}, {"c", "z"}});
        h.clearBoxes();
        Texts atQuestion;
        std::string logAtQuestion;
        h.onMessageBox([&](const platform::HeadlessWindowSystem::Box&) {
            if (atQuestion.empty()) atQuestion = column(ids::ColStatus), logAtQuestion = log();
        });
        h.answerNext(c.answer);
        engine::RenameAusfuehren();
        h.onMessageBox({});
        EXPECT_EQ(atQuestion, c.statusAtQuestion);
        EXPECT_NE(logAtQuestion.find("ren \"x\" \"a\"\r\n"), std::string::npos)
            << "each rename-back line is in the log before the next rename";
        EXPECT_EQ(boxTexts(), c.boxes);
        EXPECT_EQ(files(), c.after);
        EXPECT_EQ(h.isEnabled(ids::UndoButton), c.undoOn);
        EXPECT_EQ(engine::RenameErfolgt, c.answer == platform::AnswerOk ? 1 : 0) << "mode 2, or 0 after a cancel";
    }
}

TEST_F(RenameTest, TwoActionsInOneRunGetTheirOwnScriptsAndUndoRevertsTheSecond) {
    fill({{"a.jpg", "A"}});
    // A link planted at the first script's name is neither followed nor reused.
    fs::create_symlink(root + "victim", scriptName("234567"));
    rebuild();
    engine::RenameAusfuehren();
    const std::string first = engine::UndoDatei;
    EXPECT_EQ(first, scriptName("234568"));
    h.setText(ids::PatternField, "z_%nr%.%erw%");
    rebuild();
    engine::RenameAusfuehren();
    EXPECT_EQ(engine::UndoDatei, scriptName("234569")) << "same second and tick: the next free name";
    EXPECT_EQ(read(engine::UndoDatei), "cd " + dir + "\r\nren \"z_001.jpg\" \"neu_001.jpg\"\r\n");
    EXPECT_EQ(read(first), "cd " + dir + "\r\nren \"neu_001.jpg\" \"a.jpg\"\r\n");
    EXPECT_FALSE(fs::exists(root + "victim"));
    const std::string l = log();
    EXPECT_EQ(l.find(Trenner + "REM .Datei.:" + first), 0u);
    EXPECT_NE(l.find(Trenner + "REM .Datei.:" + engine::UndoDatei + "\r\n" + Trenner + "cd " + dir),
              std::string::npos);
    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"neu_001.jpg", "A"}}));
}

TEST_F(RenameTest, UndoReportsFilesItCouldNotRenameBackAndLaterRunsOnlyThose) {
    fill({{"a", "A"}, {"b", "B"}, {"c", "C"}});
    setRows({{"a", "x"}, {"b", "y"}, {"c", "z"}});
    engine::RenameAusfuehren();
    fill({{"b", "blocker"}});
    fs::remove(dir + "z");
    engine::RenameRueckgaengig();
    ASSERT_EQ(h.shownBoxes().size(), 1u);
    const auto& box = h.shownBoxes()[0];
    EXPECT_EQ(box.title, "Quonabix");
    EXPECT_EQ(box.kind, 0);
    EXPECT_EQ(box.text.find("Fehler: Folgende Dateien konnten nicht zurück umbenannt werden:\r\n"), 0u);
    EXPECT_NE(box.text.find(dir + "y => b: Eine Datei dieses Namens existiert bereits"), std::string::npos);
    EXPECT_NE(box.text.find(dir + "z => c: Datei nicht gefunden"), std::string::npos);
    EXPECT_EQ(box.text.find(Zurueck), std::string::npos);
    EXPECT_TRUE(h.isEnabled(ids::UndoButton));
    EXPECT_EQ(files(), (Files{{"a", "A"}, {"b", "blocker"}, {"y", "B"}}));

    fs::rename(dir + "b", root + "blocker");
    fill({{"z", "C"}});
    h.clearBoxes();
    engine::RenameRueckgaengig();
    EXPECT_EQ(boxTexts(), Texts{Zurueck});
    EXPECT_FALSE(h.isEnabled(ids::UndoButton));
    EXPECT_EQ(files(), (Files{{"a", "A"}, {"b", "B"}, {"c", "C"}}));
}

TEST_F(RenameTest, UndoFilesThatCannotBeOpenedStopTheActionBeforeAnyRename) {
    fill({{"a.jpg", "A"}});
    std::ofstream(root + "victim") << "keep";
    struct Case { const char* what; std::function<void()> prepare; };
    const Case cases[] = {
        {"missing temp folder", [&] { support::TempVerzeichnis = root + "none/"; }},
        {"log is a link", [&] { fs::create_symlink(root + "victim", temp + "undo_quonabix.log"); }},
        {"log is a folder", [&] { fs::create_directory(temp + "undo_quonabix.log"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        support::TempVerzeichnis = temp;
        fs::remove_all(temp);
        fs::create_directories(temp);
        c.prepare();
        engine::UndoDatei = "earlier.bat";
        h.enable(ids::UndoButton, true);
        h.clearBoxes();
        rebuild();
        engine::RenameAusfuehren();
        EXPECT_EQ(boxTexts(), Texts{"Fehler: Konnte Undo-Datei nicht anlegen !\r\n\r\n"
                                    "Aktion wird komplett abgebrochen !"});
        EXPECT_EQ(files(), (Files{{"a.jpg", "A"}}));
        EXPECT_EQ(engine::UndoDatei, "earlier.bat") << "the earlier action's undo stays";
        EXPECT_TRUE(h.isEnabled(ids::UndoButton));
        EXPECT_EQ(read(root + "victim"), "keep");
    }
}

TEST_F(RenameTest, LongActionLetsTheWindowRepaint) {
    Rows rows;
    for (int i = 0; i < 1000; ++i) {
        const std::string name = "f" + std::to_string(i);
        std::ofstream(dir + name) << i;
        rows.push_back({name, "g" + std::to_string(i)});
    }
    setRows(rows);
    uint32_t clock = 0;
    platform::setTickSource([&clock] { return clock += 60; });
    const int before = h.repaintCount();
    engine::RenameAusfuehren();
    platform::setTickSource({});
    EXPECT_GE(h.repaintCount() - before, 4) << "every 200 rows once 50 ms have passed";
    EXPECT_EQ(files().count("g999"), 1u);
}

// Random folders, random new names (chains, swaps, clashes, invalid names,
// unticked rows) and random answers: whatever happens, rename then undo
// (or a cancel) leaves every name and every content as it was.
TEST_F(RenameTest, RenameThenUndoAlwaysRestoresTheFolder) {
    const char* pool[] = {"a", "b", "c", "d", "e", "f", "neu_001", "neu_002", "x%y", "A", "b:c"};
    const std::size_t poolSize = sizeof pool / sizeof *pool;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rnd(seed);
        auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rnd); };
        useFolder("p" + std::to_string(seed) + "/");
        h.advance(1000);
        Files before;
        for (std::size_t i = 0; i < poolSize; ++i)
            if (pick(2) && std::string(pool[i]) != "b:c") before[pool[i]] = "content " + std::to_string(i);
        fill(before);
        Rows rows;
        for (const auto& [name, content] : before) rows.push_back({name, pool[pick(poolSize)]});
        std::shuffle(rows.begin(), rows.end(), rnd);
        setRows(rows);
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (pick(5) == 0) h.setRowState(ids::FileTable, int(r), 0);
        h.clearBoxes();
        bool cancelled = false;
        h.onMessageBox([&](const platform::HeadlessWindowSystem::Box& b) {
            if (b.kind != 1) return;
            cancelled = pick(6) == 0;
            h.answerNext(cancelled ? platform::AnswerCancel : platform::AnswerOk);
        });
        engine::RenameAusfuehren();
        h.onMessageBox({});
        // Without a renamed file there is nothing to undo, and no button for it.
        const bool undone = cancelled || h.isEnabled(ids::UndoButton);
        if (!cancelled && undone) engine::RenameRueckgaengig();
        EXPECT_EQ(files(), before);
        if (undone) {
            ASSERT_FALSE(h.shownBoxes().empty());
            EXPECT_EQ(h.shownBoxes().back().text, Zurueck);
        }
        EXPECT_FALSE(h.isEnabled(ids::UndoButton));
        if (HasFailure()) break;
    }
}
