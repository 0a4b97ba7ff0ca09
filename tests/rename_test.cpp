// The rename action and its undo on real files: exact undo files, the
// questions and their answers, names never renamed, chains, "%" in names,
// undo files and undos that fail, system calls that fall back or fail
// half-way, and a property test over many random folders.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "engine/recovery.h"
#include "engine/preview.h"
#include "engine/rename.h"
#include "engine/state.h"
#include "engine/table.h"
#include "platform/headless/headless.h"
#include "platform/posix/testhooks.h"
#include "platform/process.h"
#include "support/ids.h"
#include "support/values.h"
#include "testutil.h"

namespace fs = std::filesystem;
using testutil::Files;
using Rows = std::vector<std::pair<std::string, std::string>>;   // current -> new name
using Texts = std::vector<std::string>;

namespace {

const std::string RemLine = "REM " + std::string(80, '-') + "\r\n";
const std::string AllUndoneText = "Alle Änderungen rückgängig gemacht !";

class RenameTest : public ::testing::Test {
protected:
    platform::HeadlessWindowSystem h;
    testutil::TempDir folder;
    // Folders end with "/"; no path holds the product name.
    const std::string root = folder.path(), temp = root + "temp/";
    std::string dir;

    void SetUp() override {
        fs::create_directories(temp);
        testutil::prepareRenameAction(h, temp);
        useFolder("photos/");
    }
    void TearDown() override {
        platform::setNowSource({});
        platform::posix::setRenameCallHook({});
        platform::useWindowSystem(nullptr);
        unmountTemp();
    }
    void useFolder(const std::string& name) {
        dir = root + name;
        fs::create_directories(dir);
        h.setText(ids::FolderTree, dir);
    }
    void fill(const Files& files) { testutil::fillFolder(dir, files); }
    static std::string read(const std::string& path) { return testutil::readFile(testutil::fsPath(path)); }
    Files files() { return testutil::folderFiles(dir); }
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
    // A fresh temporary folder on a small tmpfs (false where mounting is not
    // allowed): the bad day of a full disk.
    bool mounted = false;
    bool mountTemp(const std::string& size) {
        unmountTemp();
        fs::remove_all(temp);
        fs::create_directories(temp);
        mounted = mount("tmpfs", temp.c_str(), "tmpfs", 0, ("size=" + size + ",mode=0700").c_str()) == 0;
        return mounted;
    }
    void unmountTemp() {
        if (mounted) umount2(temp.c_str(), MNT_DETACH);
        mounted = false;
    }
    static std::string numbered(int i) {
        char name[32];
        std::snprintf(name, sizeof name, "neu_%06d.jpg", i);
        return name;
    }
    // neu_000001.jpg ... renamed to neu_000000.jpg ...: each new name is
    // freed by the row before, so one file left behind blocks all the rest.
    Files renumbering(int n) {
        Files before;
        Rows rows;
        for (int i = 1; i <= n; ++i) {
            before[numbered(i)] = "photo " + std::to_string(i);
            rows.push_back({numbered(i), numbered(i - 1)});
        }
        fill(before);
        setRows(rows);
        return before;
    }
    // The rename's system calls as file systems without RENAME_NOREPLACE
    // answer them: with hard links (NTFS, sshfs) and without (exFAT, FAT).
    static int flagRefused(platform::posix::RenameCall call, int fd, const std::string& from, const std::string& to) {
        using platform::posix::RenameCall;
        return call == RenameCall::RenameNoReplace ? EINVAL : platform::posix::realRenameCall(call, fd, from, to);
    }
    static int noHardLinks(platform::posix::RenameCall call, int fd, const std::string& from, const std::string& to) {
        return call == platform::posix::RenameCall::Link ? EPERM : flagRefused(call, fd, from, to);
    }
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
    const std::string logged = RemLine + "REM .Datei.:" + script + "\r\n" + RemLine + "cd " + dir + "\r\n"
                               "ren \"neu_001.jpg\" \"a.jpg\"\r\n"
                               "ren \"neu_002.jpg\" \"b.jpg\"\r\n"
                               "REM .Ende.:" + script + "\r\n";
    EXPECT_EQ(log(), logged);
    struct stat st;
    ASSERT_EQ(stat(script.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"a.jpg", "A"}, {"b.jpg", "B"}, {"c.txt", "C"}}));
    EXPECT_EQ(boxTexts(), Texts{AllUndoneText});
    EXPECT_FALSE(h.isEnabled(ids::UndoButton));
    EXPECT_EQ(engine::RenameErfolgt, 0);
    EXPECT_EQ(column(ids::ColNew), (Texts{"neu_001.jpg", "neu_002.jpg"}));
    EXPECT_EQ(log(), logged + "REM .Rückgängig.:" + script + "\r\n") << "quonabix-undo --log leaves it alone";
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
    EXPECT_EQ(boxTexts(), Texts{AllUndoneText});
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
    EXPECT_EQ(boxTexts(), Texts{AllUndoneText});
}

TEST_F(RenameTest, InvalidNamesAskAndAreNeverRenamed) {
    const std::string actionAborted = "Aktion wird komplett abgebrochen !";
    const std::string emptyName = "Fehler: Ungültiger neuer Dateiname !\r\n\r\n" + actionAborted;
    auto invalidNames = [&](const std::string& oldName, const std::string& newName) {
        return "Fehler: Ungültige Dateinamen !\r\n\r\nin Datei = " + dir + oldName + "\r\noder " + dir +
               newName + "\r\n\r\n" + actionAborted;
    };
    Rows rows;
    Texts expected;
    for (const char* newName : {"a:b", "a\\b", "a?b", "a*b", "a<b", "a>b", "a|b", "a\"b", "a/b",
                                "tab\tx", "\x1f", ".", ".."}) {
        rows.push_back({"f.jpg", newName});
        expected.push_back(invalidNames("f.jpg", newName));
    }
    rows.push_back({"f.jpg", ""});
    expected.push_back(emptyName);
    rows.push_back({"", "g.jpg"});
    expected.push_back(emptyName);
    rows.push_back({"x:y.jpg", "fine.jpg"});
    expected.push_back(invalidNames("x:y.jpg", "fine.jpg"));
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
        EXPECT_EQ(boxTexts(), Texts{AllUndoneText}) << "no line renames back a file that never moved";
        EXPECT_EQ(files(), c.before);
    }
}

// Cancel reverts what the action did so far; where a file took an old name
// while the question was open, that line fails, is reported, and stays for
// the undo button.
TEST_F(RenameTest, ExistingTargetAsksAndCancelRevertsEverythingDoneSoFar) {
    const Files before{{"a", "A"}, {"b", "B"}, {"c", "C"}, {"taken", "T"}};
    const std::string question = "Fehler: Rename konnte nicht ausgeführt werden !\r\n\r\nRename \r\n" +
                                 dir + "b\r\n=> " + dir + "taken\r\n\r\n"
                                 "Rest Dateien umbenenen oder Aktion abbrechen ?";
    const std::string undoFailed = "Fehler: Folgende Dateien konnten nicht zurück umbenannt werden:\r\n"
                                   "Zeile 2: " + dir + "x => a: Eine Datei dieses Namens existiert bereits\r\n\r\n"
                                   "Nach Beheben der Ursache führt \"Rückgängig\" nur diese Zeilen noch einmal aus.";
    struct Case { int answer; bool blockAtQuestion; Texts statusAtQuestion; Files after; Texts boxes; bool undoOn; };
    const Case cases[] = {
        {platform::AnswerOk, false, {"Ok", "Fehler", ""}, {{"x", "A"}, {"b", "B"}, {"z", "C"}, {"taken", "T"}},
         {question}, true},
        {platform::AnswerCancel, false, {"Ok", "Fehler", ""}, before, {question, AllUndoneText}, false},
        {platform::AnswerCancel, true, {"Ok", "Fehler", ""},
         {{"x", "A"}, {"a", "new"}, {"b", "B"}, {"c", "C"}, {"taken", "T"}}, {question, undoFailed}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blockAtQuestion ? "cancel, a new file a" : c.answer == platform::AnswerOk ? "ok" : "cancel");
        for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
        fill(before);
        setRows({{"a", "x"}, {"b", "taken"}, {"c", "z"}});
        h.clearBoxes();
        Texts atQuestion;
        std::string logAtQuestion;
        h.onMessageBox([&](const platform::HeadlessWindowSystem::Box&) {
            if (!atQuestion.empty()) return;
            atQuestion = column(ids::ColStatus), logAtQuestion = log();
            if (c.blockAtQuestion) fill({{"a", "new"}});
        });
        h.answerNext(c.answer);
        engine::RenameAusfuehren();
        h.onMessageBox({});
        EXPECT_EQ(atQuestion, c.statusAtQuestion);
        EXPECT_NE(logAtQuestion.find("ren \"x\" \"a\"\r\n"), std::string::npos)
            << "each rename-back line is in the log before the next rename";
        EXPECT_EQ(logAtQuestion.find("\"taken\" \"b\""), std::string::npos) << "the failed rename left no line";
        EXPECT_EQ(logAtQuestion.find("\"z\" \"c\"", logAtQuestion.rfind("REM .Datei.")), std::string::npos)
            << "nor one written ahead of it";
        EXPECT_EQ(boxTexts(), c.boxes);
        EXPECT_EQ(files(), c.after);
        EXPECT_EQ(h.isEnabled(ids::UndoButton), c.undoOn);
        EXPECT_EQ(engine::RenameErfolgt, c.answer == platform::AnswerOk ? 1 : 0) << "mode 2, or 0 after a cancel";
        const bool markedBack = log().find("REM .Rückgängig.:" + engine::UndoDatei) != std::string::npos;
        EXPECT_EQ(markedBack, c.answer != platform::AnswerOk && !c.undoOn) << "a complete cancel is marked in the log";
        if (!c.blockAtQuestion) continue;
        fs::remove(dir + "a");
        h.clearBoxes();
        engine::RenameRueckgaengig();
        EXPECT_EQ(boxTexts(), Texts{AllUndoneText});
        EXPECT_EQ(files(), before);
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
    EXPECT_EQ(l.find(RemLine + "REM .Datei.:" + first), 0u);
    EXPECT_NE(l.find(RemLine + "REM .Datei.:" + engine::UndoDatei + "\r\n" + RemLine + "cd " + dir),
              std::string::npos);
    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"neu_001.jpg", "A"}}));
}

// An undo that fails on 23 lines lists the first 20 and counts the rest;
// pressed again it runs only the lines that failed, from a script of their
// own or, where that cannot be created, from memory.
TEST_F(RenameTest, UndoReportsFilesItCouldNotRenameBackAndLaterRunsOnlyThose) {
    for (const bool restScriptCreated : {true, false}) {
        SCOPED_TRACE(restScriptCreated ? "rest script created" : "rest script cannot be created");
        support::TempVerzeichnis = temp;
        useFolder(restScriptCreated ? "rest/" : "memory/");
        Files before{{"a", "A"}, {"b", "B"}, {"c", "C"}};
        Rows rows;
        for (int i = 1; i <= 21; ++i) {
            const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
            before["f" + n] = n;
            rows.push_back({"f" + n, "g" + n});
        }
        rows.insert(rows.end(), {{"a", "x"}, {"b", "y"}, {"c", "z"}});
        fill(before);
        setRows(rows);
        engine::RenameAusfuehren();
        const std::string script = engine::UndoDatei;
        for (const auto& [from, to] : rows)
            if (from != "a") fill({{from, "blocker"}});
        fs::remove(dir + "c");
        fs::remove(dir + "z");
        if (!restScriptCreated) support::TempVerzeichnis = root + "none/";
        h.clearBoxes();
        engine::RenameRueckgaengig();
        ASSERT_EQ(h.shownBoxes().size(), 1u);
        const auto& box = h.shownBoxes()[0];
        EXPECT_EQ(box.title, "Quonabix");
        EXPECT_EQ(box.kind, 0);
        EXPECT_EQ(box.text.find("Fehler: Folgende Dateien konnten nicht zurück umbenannt werden:\r\n"), 0u);
        EXPECT_NE(box.text.find(dir + "z => c: Datei nicht gefunden\r\n"), std::string::npos);
        EXPECT_NE(box.text.find(dir + "y => b: Eine Datei dieses Namens existiert bereits\r\n"), std::string::npos);
        EXPECT_NE(box.text.find(dir + "g04 => f04"), std::string::npos);
        EXPECT_EQ(box.text.find(dir + "g03 => f03"), std::string::npos) << "20 lines listed, no more";
        EXPECT_NE(box.text.find("\r\n... und weitere Zeilen: 3\r\n\r\nNach Beheben der Ursache"), std::string::npos)
            << box.text;
        EXPECT_EQ(box.text.find(AllUndoneText), std::string::npos);
        EXPECT_TRUE(h.isEnabled(ids::UndoButton));
        EXPECT_EQ(engine::UndoDatei != script, restScriptCreated) << engine::UndoDatei;
        EXPECT_EQ(files().at("a"), "A");

        for (const auto& [from, to] : rows)
            if (from != "a") fs::remove(dir + from);
        fill({{"z", "C"}});
        h.clearBoxes();
        engine::RenameRueckgaengig();
        EXPECT_EQ(boxTexts(), Texts{AllUndoneText}) << "the lines that were done are not run again";
        EXPECT_FALSE(h.isEnabled(ids::UndoButton));
        EXPECT_EQ(files(), before);
    }
}

TEST_F(RenameTest, UndoFilesThatCannotBeOpenedStopTheActionBeforeAnyRename) {
    fill({{"a.jpg", "A"}});
    std::ofstream(root + "victim") << "keep";
    const std::string log = temp + "undo_quonabix.log";
    int heldBy = -1;   // another run's hold on the log
    struct Case { const char* what; std::function<void()> prepare; std::string reason; };
    const Case cases[] = {
        {"missing temp folder", [&] { support::TempVerzeichnis = root + "none/"; }, ""},
        {"log is a link", [&] { fs::create_symlink(root + "victim", log); }, ""},
        {"log is a folder", [&] { fs::create_directory(log); }, ""},
        {"log is a second name of another file", [&] { fs::create_hard_link(root + "victim", log); }, ""},
        {"temp folder with a line break", [&] {
             support::TempVerzeichnis = root + "t\nren \"a.jpg\" \"b.jpg\"\nx/";
             fs::create_directories(support::TempVerzeichnis);
         }, ""},
        {"log held by another run", [&] {
             heldBy = open(log.c_str(), O_CREAT | O_RDWR, 0600);
             flock(heldBy, LOCK_EX);
         }, "Das Undo-Log wird gerade von einem anderen Quonabix-Programm benutzt:\r\n" + log + "\r\n\r\n"},
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
        if (heldBy >= 0) close(heldBy);
        heldBy = -1;
        EXPECT_EQ(boxTexts(), Texts{"Fehler: Konnte Undo-Datei nicht anlegen !\r\n\r\n" + c.reason +
                                    "Aktion wird komplett abgebrochen !"});
        EXPECT_EQ(files(), (Files{{"a.jpg", "A"}}));
        EXPECT_EQ(engine::UndoDatei, "earlier.bat") << "the earlier action's undo stays";
        EXPECT_TRUE(h.isEnabled(ids::UndoButton));
        EXPECT_EQ(read(root + "victim"), "keep");
    }
}

// Rename pressed again on the names of a finished action, or after its
// folder is gone: every row fails, the log keeps no line of it, and the
// undo of the first action survives it.
TEST_F(RenameTest, AnActionThatRenamedNothingKeepsTheUndoOfTheOneBefore) {
    for (const bool folderGone : {false, true}) {
        SCOPED_TRACE(folderGone ? "folder gone" : "names already renamed");
        useFolder(folderGone ? "gone/" : "again/");
        fill({{"a.jpg", "A"}, {"b.jpg", "B"}});
        rebuild();
        engine::RenameAusfuehren();
        const std::string first = engine::UndoDatei, logBefore = log();
        if (folderGone) fs::rename(dir, root + "away");
        h.clearBoxes();
        engine::RenameAusfuehren();
        ASSERT_EQ(h.shownBoxes().size(), 2u) << "one question per row";
        for (const auto& b : h.shownBoxes())
            EXPECT_EQ(b.text.find("Fehler: Rename konnte nicht ausgeführt werden !"), 0u) << b.text;
        EXPECT_EQ(column(ids::ColStatus), (Texts{"Fehler", "Fehler"}));
        const std::string added = log().substr(logBefore.size());
        EXPECT_EQ(added.find("ren "), std::string::npos) << added;
        EXPECT_EQ(engine::UndoDatei, first);
        EXPECT_TRUE(h.isEnabled(ids::UndoButton));
        if (folderGone) fs::rename(root + "away", dir);
        h.clearBoxes();
        engine::RenameRueckgaengig();
        EXPECT_EQ(boxTexts(), Texts{AllUndoneText});
        EXPECT_EQ(files(), (Files{{"a.jpg", "A"}, {"b.jpg", "B"}}));
    }
}

// A full disk under the temporary folder: no signal, no rename without its
// line in the log, a message that says what was done, and the undo button
// takes back exactly that, from memory where the script could not be written.
TEST_F(RenameTest, FullTempFolderStopsBeforeARenameItCannotRecord) {
    constexpr int Rows = 3000;
    struct Case { const char* what; const char* tmpfs; rlim_t sizeLimit; bool logFills; };
    const Case cases[] = {
        {"tmpfs filled by the log", "48k", 0, true},
        {"tmpfs filled by the script", "120k", 0, false},
        {"file size limit", nullptr, 24 << 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.tmpfs && !mountTemp(c.tmpfs)) {
            std::cout << "not root: no tmpfs for \"" << c.what << "\"\n";
            continue;
        }
        useFolder(std::string("full ") + c.what + "/");
        const Files before = renumbering(Rows);
        engine::UndoDatei.clear();
        h.enable(ids::UndoButton, false);
        h.clearBoxes();
        struct rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        if (c.sizeLimit) {
            struct rlimit limit = old;
            limit.rlim_cur = c.sizeLimit;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        engine::RenameAusfuehren();
        setrlimit(RLIMIT_FSIZE, &old);
        const Texts status = column(ids::ColStatus);
        const int ok = int(std::count(status.begin(), status.end(), "Ok"));
        ASSERT_EQ(h.shownBoxes().size(), 1u);
        const std::string box = h.shownBoxes()[0].text;
        if (c.logFills) {
            EXPECT_EQ(box.find("Fehler: Undo-Log konnte nicht geschrieben werden"), 0u) << box;
            EXPECT_NE(box.find("Umbenannt wurden " + std::to_string(ok) + " Dateien"), std::string::npos) << box;
            ASSERT_TRUE(ok > 0 && ok < Rows) << ok;
            EXPECT_EQ(status[ok], "Fehler");
            EXPECT_EQ(status[ok + 1], "");
        } else {
            EXPECT_EQ(box.find("Fehler: Undo-Datei konnte nicht vollständig geschrieben werden"), 0u) << box;
            EXPECT_EQ(ok, Rows);
        }
        const Files after = files();
        EXPECT_EQ(after.at(numbered(ok - 1)), "photo " + std::to_string(ok));
        EXPECT_EQ(after.count(numbered(ok)), 0u) << "renamed exactly the rows that say Ok";
        const std::string l = log();
        EXPECT_EQ(l.substr(l.size() - 2), "\r\n") << "no line cut in the middle";
        std::size_t lines = 0;
        for (std::size_t p = l.find("\nren "); p != std::string::npos; p = l.find("\nren ", p + 1)) ++lines;
        EXPECT_EQ(lines, std::size_t(ok)) << "one line for each rename, none for a rename not done";
        h.clearBoxes();
        engine::RenameRueckgaengig();
        EXPECT_EQ(boxTexts(), Texts{AllUndoneText});
        EXPECT_EQ(files(), before);
        unmountTemp();
        fs::remove_all(dir);
    }
}

// The program killed at random moments of a renumbering: one run of the
// recovery from the log brings every name and content back.
TEST_F(RenameTest, KillDuringARenumberingIsTakenBackFromTheLog) {
    std::mt19937 rnd(7);
    int killedMidway = 0;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        useFolder("kill" + std::to_string(round) + "/");
        const Files before = renumbering(3000);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            engine::RenameAusfuehren();
            _exit(0);
        }
        usleep(std::uniform_int_distribution<unsigned>(500, 30000)(rnd));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const Files atKill = files();
        if (atKill != before && atKill.count(numbered(3000))) ++killedMidway;
        const engine::LogUndoResult r = engine::undoFromLog(temp + "undo_quonabix.log");
        EXPECT_TRUE(r.failures.empty()) << r.failures.front();
        EXPECT_EQ(files(), before);
        // Taken back and marked so (unless the kill came before the first
        // rename): run again, there is nothing left to take back.
        if (!r.script.empty()) {
            const std::string mark = "REM .Rückgängig.:" + r.script + "\r\n";
            EXPECT_EQ(r.script.rfind(temp + "undo_Quonabix_", 0), 0u) << r.script;
            EXPECT_EQ(log().substr(log().size() - mark.size()), mark);
        }
        const engine::LogUndoResult again = engine::undoFromLog(temp + "undo_quonabix.log");
        EXPECT_EQ(again.script, "");
        EXPECT_TRUE(again.failures.empty());
        EXPECT_EQ(files(), before);
        fs::remove_all(dir);
        fs::remove_all(temp);
        fs::create_directories(temp);
    }
    EXPECT_GT(killedMidway, 0) << "no kill landed in the middle of the renames";
}

// The newest action of the log only, in reverse order, without the crash
// tail, and without the line whose rename never started; marked as taken
// back, so the next run takes back the action before it, and a header-only
// action (a double click that renamed nothing) is never the newest.
TEST_F(RenameTest, LogRecoverySkipsACrashTailAndARenameThatNeverStarted) {
    const std::string older = RemLine + "REM .Datei.:x.bat\r\n" + RemLine + "cd " + dir + "\r\nren \"c\" \"old\"\r\n";
    // b became neu_1 and neu_1 became neu_2; the line for a => neu_1 was
    // written, then the program died.
    const std::string newest = RemLine + "REM .Datei.:y.bat\r\n" + RemLine + "cd " + dir +
                               "\r\nren \"neu_2\" \"neu_1\"\r\nren \"neu_1\" \"b\"\r\nren \"neu_9\" \"a\"\r\n";
    const std::string doubleClick = RemLine + "REM .Datei.:z.bat\r\n" + RemLine + "REM .Ende.:z.bat\r\n";
    const std::string log = temp + "undo_quonabix.log";
    const Files before{{"a", "A"}, {"neu_1", "N"}, {"b", "B"}, {"c", "C"}};
    const Files crashed{{"a", "A"}, {"neu_2", "N"}, {"neu_1", "B"}, {"c", "C"}};
    for (const std::string& tail : {std::string(), std::string("ren \"neu_3\" \"x"), std::string(700, '\0')}) {
        SCOPED_TRACE(tail.size());
        for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
        fill(crashed);
        std::ofstream(log, std::ios::binary) << older + newest + tail;
        const engine::LogUndoResult r = engine::undoFromLog(log);
        EXPECT_TRUE(r.started);
        EXPECT_EQ(r.failures, Texts{});
        EXPECT_EQ(r.script, "y.bat");
        EXPECT_EQ(files(), before);
        EXPECT_EQ(read(log), older + newest + "REM .Rückgängig.:y.bat\r\n") << "the crash tail is cut off";
    }
    EXPECT_EQ(engine::logUndoScript(older + newest), "cd " + dir + "\r\nren \"neu_9\" \"a\"\r\n"
                                                      "ren \"neu_1\" \"b\"\r\nren \"neu_2\" \"neu_1\"\r\n");
    EXPECT_FALSE(engine::undoFromLog(temp + "missing.log").started);
    EXPECT_FALSE(fs::exists(temp + "missing.log"));

    // Run after run, one action after the other, the double click passed over.
    for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
    fill(crashed);
    std::ofstream(log, std::ios::binary) << older + newest + doubleClick;
    struct Run { std::string script; Files after; };
    const Run runs[] = {
        {"y.bat", before},
        {"x.bat", {{"a", "A"}, {"neu_1", "N"}, {"b", "B"}, {"old", "C"}}},
        {"", {{"a", "A"}, {"neu_1", "N"}, {"b", "B"}, {"old", "C"}}},
    };
    std::string marks;
    for (const Run& run : runs) {
        SCOPED_TRACE(run.script);
        const engine::LogUndoResult r = engine::undoFromLog(log);
        EXPECT_TRUE(r.started && r.failures.empty());
        EXPECT_EQ(r.script, run.script);
        EXPECT_EQ(files(), run.after);
        if (!run.script.empty()) marks += "REM .Rückgängig.:" + run.script + "\r\n";
        EXPECT_EQ(read(log), older + newest + doubleClick + marks);
    }

    // Killed before the first line, or before the header was complete.
    for (const std::string& text : {std::string(), std::string("REM ---"), std::string(300, '\0')}) {
        std::ofstream(log, std::ios::binary) << text;
        const engine::LogUndoResult r = engine::undoFromLog(log);
        EXPECT_TRUE(r.started && r.failures.empty()) << text.size();
        EXPECT_EQ(r.script, "");
    }
    EXPECT_EQ(files(), runs[2].after);
}

// A folder name with a line break would become a second command of the
// undo files' cd line: its rows are invalid, nothing is renamed or written.
TEST_F(RenameTest, FolderWithALineBreakIsNeverRenamedIn) {
    useFolder("evil\nren \"secret.txt\" \"pwned.txt\"\nx/");
    fill({{"a.jpg", "A"}});
    setRows({{"a.jpg", "b.jpg"}});
    engine::RenameAusfuehren();
    EXPECT_EQ(boxTexts(), Texts{"Fehler: Ungültige Dateinamen !\r\n\r\nin Datei = " + dir + "a.jpg\r\noder " +
                                dir + "b.jpg\r\n\r\nAktion wird komplett abgebrochen !"});
    EXPECT_EQ(column(ids::ColStatus), Texts{"Fehler"});
    EXPECT_EQ(files(), (Files{{"a.jpg", "A"}}));
    EXPECT_EQ(log().find("secret"), std::string::npos);
    EXPECT_FALSE(h.isEnabled(ids::UndoButton));
}

// Others may share the temporary folder, and the folder itself can be
// swapped for a link to another one: neither moves a file it should not.
TEST_F(RenameTest, SwappedFoldersAndTamperedScriptsMoveNothing) {
    const std::string other = root + "other/";
    auto swapFolder = [&] {
        fs::rename(dir, root + "moved");
        fs::create_directories(other);
        std::ofstream(other + "a.jpg") << "other a";
        std::ofstream(other + "neu_001.jpg") << "other neu";
        fs::create_symlink(other, dir.substr(0, dir.size() - 1));
    };
    struct Case { const char* what; bool beforeRename; std::function<void()> tamper; std::string box; };
    const Case cases[] = {
        {"folder swapped before Rename", true, swapFolder,
         "Fehler: Das Verzeichnis ist nicht mehr das eingelesene !\r\n"},
        {"folder swapped before Undo", false, swapFolder, "Verzeichnis wurde ersetzt"},
        {"script is a link to /dev/zero", false, [&] {
             fs::remove(engine::UndoDatei);
             fs::create_symlink("/dev/zero", engine::UndoDatei);
         }, "Fehler: Undo-Datei konnte nicht gelesen werden !"},
        {"script longer than written", false, [&] {
             std::ofstream(engine::UndoDatei, std::ios::app) << "ren \"x\" \"y\"\r\n";
         }, "Fehler: Undo-Datei konnte nicht gelesen werden !"},
        {"script of another user", false, [&] {
             if (chown(engine::UndoDatei.c_str(), 65534, 65534) != 0) std::cout << "not root: no chown\n";
         }, "Fehler: Undo-Datei konnte nicht gelesen werden !"},
        {"script deleted", false, [&] { fs::remove(engine::UndoDatei); },
         "Fehler: Undo-Datei konnte nicht gelesen werden !"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root + "moved");
        fs::remove_all(other);
        useFolder("s" + std::to_string(++n) + "/");
        fill({{"a.jpg", "A"}});
        rebuild();
        engine::UndoDatei.clear();
        h.enable(ids::UndoButton, false);
        if (c.beforeRename) c.tamper();
        h.clearBoxes();
        engine::RenameAusfuehren();
        if (!c.beforeRename) c.tamper();
        if (h.isEnabled(ids::UndoButton)) engine::RenameRueckgaengig();
        ASSERT_FALSE(h.shownBoxes().empty());
        EXPECT_NE(h.shownBoxes().back().text.find(c.box), std::string::npos) << h.shownBoxes().back().text;
        EXPECT_EQ(h.isEnabled(ids::UndoButton), !c.beforeRename) << "the undo stays for another try";
        if (fs::exists(other)) {
            EXPECT_EQ(read(other + "a.jpg"), "other a");
            EXPECT_EQ(read(other + "neu_001.jpg"), "other neu");
            EXPECT_EQ(read(root + "moved/" + (c.beforeRename ? "a.jpg" : "neu_001.jpg")), "A");
        } else {
            EXPECT_EQ(files(), (Files{{"neu_001.jpg", "A"}})) << "an unreadable script moves nothing";
        }
    }
}

// The rename's system calls as other file systems answer them: one that
// refuses RENAME_NOREPLACE (link + unlink instead), one that ignores letter
// case (a case-only rename goes through a temporary name), steps that fail
// half-way, a file that vanishes while the action runs. No file is lost or
// left under a temporary name, "Ok" means the file has its new name, and
// the undo brings every name back.
TEST_F(RenameTest, SystemCallsThatFallBackOrFailHalfWayLoseNoFile) {
    using platform::posix::RenameCall;
    using Hook = platform::posix::RenameCallHook;
    const auto real = platform::posix::realRenameCall;
    const Hook refusesFlag = flagRefused;
    // A folder that ignores case finds "a.jpg" as "A.JPG" too: here the
    // second spelling is a hard link, and it goes when the file is moved.
    const auto ignoresCase = [this](Hook calls) -> Hook {
        fs::create_hard_link(dir + "a.jpg", dir + "A.JPG");
        return [this, calls](RenameCall call, int fd, const std::string& from, const std::string& to) {
            const int err = calls(call, fd, from, to);
            if (err == 0 && from == "a.jpg" && call != RenameCall::Link && call != RenameCall::Reserve)
                fs::remove(dir + "A.JPG");
            return err;
        };
    };
    // `calls`, but a call of `what` from a name that starts with `from` to
    // `to` fails with `err`.
    const auto failing = [](Hook calls, RenameCall what, std::string from, std::string to, int err) -> Hook {
        return [=](RenameCall call, int fd, const std::string& f, const std::string& t) {
            return call == what && f.find(from) == 0 && t == to ? err : calls(call, fd, f, t);
        };
    };
    const Hook vanishing = [this, real](RenameCall call, int fd, const std::string& from, const std::string& to) {
        if (from == "b") fs::remove(dir + "b");
        return real(call, fd, from, to);
    };
    // exFAT and FAT: neither the flag nor hard links; the new name is reserved first.
    const Hook noLinks = noHardLinks;
    struct Case { const char* what; std::function<Hook()> hook; Texts status; Files after; Texts why; };
    const Texts takenWhy{"", "", "Ziel existiert schon"};
    const Case cases[] = {
        {"flag refused: link and unlink", [&] { return refusesFlag; }, {"Ok", "Ok", "Fehler"},
         {{"A.JPG", "A"}, {"c", "B"}, {"d", "D"}, {"taken", "T"}}, takenWhy},
        {"folder ignores case", [&] { return ignoresCase(real); }, {"Ok", "Ok", "Fehler"},
         {{"A.JPG", "A"}, {"c", "B"}, {"d", "D"}, {"taken", "T"}}, takenWhy},
        {"folder ignores case and refuses the flag", [&] { return ignoresCase(refusesFlag); },
         {"Ok", "Ok", "Fehler"}, {{"A.JPG", "A"}, {"c", "B"}, {"d", "D"}, {"taken", "T"}}, takenWhy},
        {"no hard links: the new name reserved first", [&] { return noLinks; }, {"Ok", "Ok", "Fehler"},
         {{"A.JPG", "A"}, {"c", "B"}, {"d", "D"}, {"taken", "T"}}, takenWhy},
        {"no hard links and case ignored", [&] { return ignoresCase(noLinks); }, {"Ok", "Ok", "Fehler"},
         {{"A.JPG", "A"}, {"c", "B"}, {"d", "D"}, {"taken", "T"}}, takenWhy},
        {"a failed rename gives its reservation back",
         [&] { return failing(noLinks, RenameCall::Rename, "b", "c", EACCES); }, {"Ok", "Fehler", "Fehler"},
         {{"A.JPG", "A"}, {"b", "B"}, {"d", "D"}, {"taken", "T"}}, {"", "Keine Berechtigung", "Ziel existiert schon"}},
        {"old name stays after the link", [&] { return failing(refusesFlag, RenameCall::Unlink, "b", "", EACCES); },
         {"Ok", "Fehler", "Fehler"}, {{"A.JPG", "A"}, {"b", "B"}, {"d", "D"}, {"taken", "T"}},
         {"", "Keine Berechtigung", "Ziel existiert schon"}},
        {"second step of a case-only rename fails",
         [&] { return ignoresCase(failing(real, RenameCall::RenameNoReplace, ".quonabix-", "A.JPG", EIO)); },
         {"Fehler", "Ok", "Fehler"}, {{"a.jpg", "A"}, {"c", "B"}, {"d", "D"}, {"taken", "T"}},
         {"Umbenennen nicht möglich", "", "Ziel existiert schon"}},
        {"file vanishes during the action", [&] { return vanishing; }, {"Ok", "Fehler", "Fehler"},
         {{"A.JPG", "A"}, {"d", "D"}, {"taken", "T"}}, {"", "Datei nicht mehr vorhanden", "Ziel existiert schon"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useFolder("calls" + std::to_string(++n) + "/");
        Files before{{"a.jpg", "A"}, {"b", "B"}, {"d", "D"}, {"taken", "T"}};
        fill(before);
        setRows({{"a.jpg", "A.JPG"}, {"b", "c"}, {"d", "taken"}});
        platform::posix::setRenameCallHook(c.hook());
        h.clearBoxes();
        engine::RenameAusfuehren();
        EXPECT_EQ(column(ids::ColStatus), c.status);
        Texts why;
        for (int r = 0; r < 3; ++r) why.push_back(h.statusText(ids::FileTable, r));
        EXPECT_EQ(why, c.why) << "the tool tip of each \"Fehler\"";
        EXPECT_EQ(files(), c.after) << "every file under its old or its new name, nothing else";
        EXPECT_EQ(h.shownBoxes().size(), std::size_t(std::count(c.status.begin(), c.status.end(), "Fehler")));
        h.clearBoxes();
        engine::RenameRueckgaengig();
        platform::posix::setRenameCallHook({});
        EXPECT_EQ(boxTexts(), Texts{AllUndoneText});
        if (!c.after.count("b") && !c.after.count("c")) before.erase("b");
        EXPECT_EQ(files(), before);
    }
}

// Killed before any one system call of either fallback way, the program
// leaves a folder that one run of the recovery from the log brings back:
// no file lost, none left under two names, no reservation left behind.
// So does the never-replacing rename, whose lines after the first go to
// the log together, ahead of a chain of renames.
TEST_F(RenameTest, KilledBetweenAnyTwoStepsOfAFallbackWayRecoveryRestoresTheFolder) {
    using platform::posix::RenameCall;
    using Hook = platform::posix::RenameCallHook;
    const Hook links = flagRefused, reserves = noHardLinks, direct = platform::posix::realRenameCall;
    const Files before{{"a", "A"}, {"b", ""}, {"taken", "T"}};
    for (const auto& [way, hook] : {std::pair{"link + unlink", links}, std::pair{"reservation", reserves},
                                    std::pair{"never replacing", direct}}) {
        for (int step = 1;; ++step) {
            SCOPED_TRACE(std::string(way) + ", killed before call " + std::to_string(step));
            useFolder(std::string(1, way[0]) + std::to_string(step) + "/");
            fill(before);
            setRows({{"a", "c"}, {"b", "a"}, {"taken", "b"}});
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                int calls = 0;
                platform::posix::setRenameCallHook(
                    [&, hook = hook](RenameCall call, int fd, const std::string& from, const std::string& to) {
                        if (++calls == step) _exit(9);
                        return hook(call, fd, from, to);
                    });
                h.answerNext(platform::AnswerOk);
                engine::RenameAusfuehren();
                _exit(0);
            }
            int status = 0;
            waitpid(child, &status, 0);
            const engine::BatchResult r = engine::undoFromLog(temp + "undo_quonabix.log");
            EXPECT_TRUE(r.failures.empty()) << r.failures.front();
            EXPECT_EQ(files(), before);
            fs::remove(temp + "undo_quonabix.log");
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) break;   // every call was reached
            ASSERT_LT(step, 40);
        }
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
    // So does a full rebuild, in each of its steps: 1,000 entries listed,
    // sorted (some 10,000 comparisons), previewed and put in the table.
    platform::setTickSource([&clock] { return clock += 60; });
    const int atRebuild = h.repaintCount();
    h.setText(ids::MaskField, "*");
    rebuild();
    platform::setTickSource({});
    EXPECT_GE(h.repaintCount() - atRebuild, 8) << "every 1,024 entries or comparisons once 50 ms have passed";
    EXPECT_EQ(h.countRows(ids::FileTable), 1000);
}

// Random folders, random new names (chains, swaps, clashes, invalid names,
// unticked rows), random answers and a log that fills up at a random row:
// whatever happens, rename then undo (or a cancel) leaves every name and
// every content as it was.
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
        // Now and then the log fills up at a random row.
        struct rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        if (pick(4) == 0) {
            struct rlimit limit = old;
            limit.rlim_cur = rlim_t(std::max<long long>(0, platform::fileSize(temp + "undo_quonabix.log"))) + pick(400);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        engine::RenameAusfuehren();
        setrlimit(RLIMIT_FSIZE, &old);
        h.onMessageBox({});
        // Without a renamed file there is nothing to undo, and no button for it.
        const bool undone = cancelled || h.isEnabled(ids::UndoButton);
        if (!cancelled && undone) engine::RenameRueckgaengig();
        EXPECT_EQ(files(), before);
        if (undone) {
            ASSERT_FALSE(h.shownBoxes().empty());
            EXPECT_EQ(h.shownBoxes().back().text, AllUndoneText);
        }
        EXPECT_FALSE(h.isEnabled(ids::UndoButton));
        if (HasFailure()) break;
    }
}

// Random folders, rules and ticks: the rows the preview marks are exactly
// the rows that "Rename" then reports "Fehler" when every question is
// answered with OK. Every other case runs a second action on the table as
// the first one left it (old names, a rule changed), where the preview
// must read the folder again.
TEST_F(RenameTest, PreviewMarksExactlyTheRowsRenameReportsAsFailed) {
    const char* pool[] = {"a.jpg", "b.jpg", "A.JPG", "c.txt", "neu_000.jpg", "neu_001.jpg", "neu_002.jpg",
                          "neu_003.jpg", "neu_004.jpg", "Neu_005.JPG", "x_y.jpg", "y_x.jpg", "1.jpg", "0.jpg",
                          "2.jpg", ".jpg", "quonabix.jpg", "d d.jpg", "IMG_0001.jpg", "IMG_0002.jpg", "neu_1.jpg"};
    const char* patterns[] = {"neu_%nr%.%erw%", "neu_%nr%.%erw%", "%nr%.jpg", "neu_%nr%.jpg", "a.jpg", "%datei%.%erw%",
                              "x:%nr%", "%DATEI%_%nr%.%erw%", "", "%nr%", "IMG_%nr%.jpg", "%dateinamen%"};
    const char* texts[] = {"a", "jpg", "_", "neu_", "x", ".", "A", "1", ":", "IMG_000"};
    const char* orders[] = {"%2%_%1%.%erw%", "%1%.%erw%", "%2%.jpg", "%1%_%1%.%erw%"};
    const char* masks[] = {"*.jpg", "*.*", "*"};
    // The test command runs all of them; a single run of the case, a few.
    const int cases = std::getenv("QUONABIX_ALL_CASES") ? 400 : 60;
    int predictedFailures = 0, secondActions = 0;
    for (int seed = 1; seed <= cases; ++seed) {
        std::mt19937 rnd(static_cast<unsigned>(seed));
        auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rnd); };
        auto any = [&](const auto& list) { return list[pick(std::size(list))]; };
        useFolder("v" + std::to_string(seed) + "/");
        Files before;
        for (const char* name : pool)
            if (pick(3) != 0) before[name] = name;
        fill(before);
        if (const char* folder = any(pool); pick(4) == 0 && !before.count(folder))
            fs::create_directories(dir + folder);   // a folder where a file could go
        // A rule with its fields, the numbers, the mask.
        const int options[] = {ids::OptPattern, ids::OptReplace, ids::OptRemove, ids::OptCase, ids::OptSwap};
        const int rule = pick(2) ? ids::OptPattern : options[pick(5)];   // numbering most often
        h.setState(rule, 1);
        h.setText(ids::PatternField, any(patterns));
        h.setText(ids::StartField, std::to_string(int(pick(14)) - 3));
        h.setText(ids::StepField, std::to_string(int(pick(5)) - 2));
        h.setText(ids::DigitsField, std::to_string(pick(2) ? 3 : pick(4)));
        h.setText(ids::ReplaceFindField, any(texts));
        h.setText(ids::ReplaceByField, any(texts));
        h.setText(ids::RemoveField, any(texts));
        h.setState(any(std::array{ids::OptRemoveStart, ids::OptRemoveEnd, ids::OptRemoveAll}), 1);
        h.setState(any(std::array{ids::OptUpper, ids::OptLower, ids::OptCapitalFirst}), 1);
        h.setText(ids::SeparatorField, pick(2) ? "_" : ".");
        h.setText(ids::OrderField, any(orders));
        h.setText(ids::MaskField, any(masks));
        const std::string what = "seed " + std::to_string(seed) + ", rule " + std::to_string(rule) + ", pattern \"" +
                                 h.getText(ids::PatternField) + "\"";
        SCOPED_TRACE(what);
        rebuild();
        const int rows = h.countRows(ids::FileTable);
        for (int r = 0; r < rows; ++r)
            if (pick(4) == 0) h.setRowState(ids::FileTable, r, 0);
        if (pick(2)) {
            engine::refreshPreview();
        } else {
            engine::NeuAufbauen(engine::ModeNames, engine::DateiListe);
        }
        const int actions = pick(2) ? 2 : 1;
        for (int action = 1; action <= actions; ++action) {
            SCOPED_TRACE("action " + std::to_string(action));
            Texts predicted, failed, ok;
            for (int r = 0; r < rows; ++r) {
                const bool marked = h.rowMark(ids::FileTable, r) == platform::RowMark::Warning;
                predicted.push_back(marked ? "Fehler" : "");
                const bool ticked = h.getRowState(ids::FileTable, r) & platform::RowTicked;
                ok.push_back(ticked && !marked ? "Ok" : "");
                predictedFailures += marked;
            }
            engine::RenameAusfuehren();   // no answers given: every question is answered with OK
            for (int r = 0; r < rows; ++r) {
                const std::string status = h.getCell(ids::FileTable, r, ids::ColStatus);
                failed.push_back(status == "Fehler" ? status : "");
                if (status != "Fehler" && !ok[std::size_t(r)].empty()) {
                    EXPECT_EQ(status, "Ok") << "row " << r + 1;
                }
            }
            EXPECT_EQ(predicted, failed) << "rows marked before, and rows that failed";
            if (action == 2 || HasFailure()) break;
            // The table still shows the names before the action; a changed
            // rule computes new names from them.
            ++secondActions;
            engine::LoeschenRenameSpalte();
            h.setText(ids::StartField, std::to_string(int(pick(14)) - 3));
            engine::NeuAufbauen(engine::ModeNames, engine::DateiListe);
        }
        if (HasFailure()) break;
    }
    EXPECT_GT(predictedFailures, cases) << "the cases must fail often enough to mean something";
    EXPECT_GT(secondActions, cases / 3);
}
