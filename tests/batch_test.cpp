// The undo-script interpreter on its own: what it accepts, what it refuses,
// which lines it reports, the script of the lines still to do; the undo
// log's actions, taking them back one after the other, its foreign lines
// and the rename a crash interrupted; and quonabix-undo, which runs both
// by hand.
#include <gtest/gtest.h>
#include <stdlib.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/batch.h"
#include "engine/recovery.h"
#include "engine/texts.h"
#include "platform/process.h"
#include "testutil.h"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;   // name -> content

namespace {

// A fresh folder whose path never holds the product name.
class BatchTest : public ::testing::Test {
protected:
    testutil::TempDir folder;
    const std::string dir = folder.path();   // ends with "/"

    void put(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    void fill(const std::string& folder, const Files& files) {
        fs::create_directories(folder);
        for (const auto& [name, content] : files) put(folder + name, content);
    }
    Files files(const std::string& folder) {
        Files out;
        for (const auto& e : fs::directory_iterator(folder)) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path(), std::ios::binary);
            out[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
        }
        return out;
    }
    std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
#ifndef _WIN32
    // quonabix-undo run as a user runs it: in the test folder, with the
    // temporary directory there too; its exit code and what it printed.
    struct Run { int code; std::string out, err; };
    Run undoTool(const std::vector<std::string>& args) {
        std::string command = "cd '" + dir + "' && TEMP='" + dir + "' '" QUONABIX_UNDO "'";
        for (const std::string& a : args) command += " '" + a + "'";
        command += " >'" + dir + "out' 2>'" + dir + "err'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(dir + "out"), read(dir + "err")};
    }
#endif
    // An action of the undo log as the rename action writes it: header,
    // cd line before the first rename line, rename-back lines, end line.
    static std::string header(const std::string& script) {
        const std::string rem = "REM " + std::string(80, '-') + "\r\n";
        return rem + "REM .Datei.:" + engine::batchEscape(script) + "\r\n" + rem;
    }
    static std::string action(const std::string& script, const std::string& folder,
                              const std::vector<std::pair<std::string, std::string>>& backLines, bool ended,
                              bool reservations = false) {
        std::string text = header(script) + (reservations ? "REM .Platzhalter.\r\n" : "");
        if (!backLines.empty()) text += engine::directoryLines(folder);
        for (const auto& [now, was] : backLines) text += engine::batchRenLine(now, was) + "\r\n";
        return text + (ended ? engine::actionEndLine(script) : "");
    }
    static std::string takenBack(const std::string& script) {
        return "REM .Rückgängig.:" + engine::batchEscape(script) + "\r\n";
    }
    std::string scriptAt(const char* time) { return dir + "undo_Quonabix_" + time + "_1234.bat"; }
    // Line numbers of the failures, read from their "Zeile n: " prefix.
    static std::vector<int> failedLines(const engine::BatchResult& r) {
        std::vector<int> out;
        for (const std::string& f : r.failures) out.push_back(std::stoi(f.substr(6)));
        return out;
    }
};

}  // namespace

TEST(BatchLines, WritersEscapePercentAndKnowNoDriveOnLinux) {
    EXPECT_EQ(engine::batchEscape("50% off %%x"), "50%% off %%%%x");
    EXPECT_EQ(engine::batchRenLine("neu 1%.jpg", "a.jpg"), "ren \"neu 1%%.jpg\" \"a.jpg\"");
    // Windows quotes the folder: "&" in its name is no command there.
    if (platform::PathSeparator == '/') {
        EXPECT_EQ(engine::batchCdLine("/tmp/100%/"), "cd /tmp/100%%/");
        EXPECT_EQ(engine::directoryLines("/tmp/a&b/"), "cd /tmp/a&b/\r\n");
    } else {
        EXPECT_EQ(engine::batchCdLine("C:\\100%\\"), "cd \"C:\\100%%\\\"");
        EXPECT_EQ(engine::directoryLines("C:\\a&b\\"), "C:\r\ncd \"C:\\a&b\\\"\r\n");
    }
    struct Case { const char* path; const char* drive; };
    for (const Case& c : {Case{"/home/x/", ""}, Case{"C:\\Bilder\\", "C:"}, Case{"d:/x", "d:"},
                          Case{"1:/x", ""}, Case{"", ""}, Case{"C", ""}})
        EXPECT_EQ(engine::batchDrive(c.path), c.drive) << c.path;
}

TEST_F(BatchTest, RunsWhatTheProgramWrites) {
    fill(dir + "a b/", {{"neu 100%.jpg", "1"}, {"neu_2.jpg", "2"}, {"same", "3"}});
    const std::string script = dir + "undo.bat";
    put(script, "C:\r\n"
                "cd " + dir + "a b/\r\n"
                "REM a comment with \"quotes\"\r\n"
                "rem\r\n"
                "\r\n"
                "   \r\n"
                "ren \"neu 100%%.jpg\" \"x 100%.jpg\"\r\n"
                "RENAME neu_2.jpg   \"  y.jpg\"\r\n"
                "ren \"same\" \"same\"\r\n");
    const engine::BatchResult r = engine::runBatchScript(script, dir);
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.failures.empty()) << r.failures.front();
    EXPECT_EQ(r.restScript, "");
    EXPECT_EQ(files(dir + "a b/"), (Files{{"x 100%.jpg", "1"}, {"  y.jpg", "2"}, {"same", "3"}}));
}

TEST_F(BatchTest, ReportsEveryFailingLineAndRunsTheOthers) {
    fill(dir + "d/", {{"a", "A"}, {"b", "B"}, {"taken", "T"}, {"c", "C"}});
    fill(dir, {{"w", "W"}, {"q\"x\"", "Q"}});
    const std::string script = dir + "undo.bat";
    constexpr int Padding = 40000;
    std::string padding;
    for (int i = 0; i < Padding; ++i) padding += "REM " + std::string(31, 'p') + "\r\n";
    put(script, "cd " + dir + "d/\r\n"         // 1
                "ren \"a\" \"taken\"\r\n"      // 2 target exists
                "ren \"gone\" \"x\"\r\n"       // 3 source missing
                "ren \"b\" \"b2\"\r\n"         // 4 runs
                "ren \"c\" \"../c\"\r\n"       // 5 a path: refused
                "ren \"c\" \"*.jpg\"\r\n"      // 6 a wildcard: refused
                "ren \"c\"\r\n"                // 7 one name only
                "del \"c\"\r\n"                // 8 unknown
                "cd " + dir + "missing/\r\n"   // 9 missing folder
                "ren \"w\" \"w2\"\r\n"         // 10 not run in the folder we were in
                "cd ..\r\n"                    // 11 relative to the missing one: still missing
                "cd " + dir + "\r\n"           // 12
                "ren w w3\r\n"                 // 13 runs
                // More than a megabyte of comments: the script is read in
                // pieces, and a line is cut by none of them.
                + padding +
                "ren q\"x\" q2\r\n"              // 14 a quote inside a name
                "ren \"w3\" \"w4.");              // 15 cut short: no closing quote
    const engine::BatchResult r = engine::runBatchScript(script, dir);
    EXPECT_EQ(failedLines(r), (std::vector<int>{2, 3, 5, 6, 7, 8, 9, 10, 11, 14 + Padding, 15 + Padding}));
    EXPECT_EQ(files(dir + "d/"), (Files{{"a", "A"}, {"b2", "B"}, {"taken", "T"}, {"c", "C"}}));
    EXPECT_EQ(files(dir).count("w3"), 1u);
    ASSERT_GE(r.failures.size(), 2u);
    EXPECT_EQ(r.failures[0], "Zeile 2: " + dir + "d/a => taken: Eine Datei dieses Namens existiert bereits");
    EXPECT_EQ(r.failures[1], "Zeile 3: " + dir + "d/gone => x: Datei nicht gefunden");
}

TEST_F(BatchTest, RestScriptHoldsOnlyLinesThatMayRunAgain) {
    // Undo of a renumbering: "neu_002" was "x", "neu_001" was "neu_002".
    // The user deleted the file now called neu_002, and something took "q".
    fill(dir, {{"neu_001", "was neu_002"}, {"p2", "was p"}, {"q", "blocker"}});
    const std::string script = dir + "undo.bat";
    put(script, "cd " + dir + "\r\n"
                "ren \"neu_002\" \"x\"\r\n"         // fails: gone, and its name is restored next
                "ren \"neu_001\" \"neu_002\"\r\n"
                "ren \"p2\" \"q\"\r\n");            // fails: blocked, may run again
    const engine::BatchResult r = engine::runBatchScript(script, dir);
    EXPECT_EQ(failedLines(r), (std::vector<int>{2, 4}));
    EXPECT_EQ(r.restScript, engine::directoryLines(dir) + "ren \"p2\" \"q\"\r\n");

    fs::remove(dir + "q");
    put(dir + "rest.bat", r.restScript);
    const engine::BatchResult again = engine::runBatchScript(dir + "rest.bat", "/");
    EXPECT_TRUE(again.failures.empty());
    EXPECT_EQ(files(dir).at("q"), "was p");
    EXPECT_EQ(files(dir).at("neu_002"), "was neu_002") << "the restored file is not touched again";
}

TEST_F(BatchTest, StartCommandRunsQuotedAndRelativeScriptsAndWaits) {
    fill(dir + "with blank/", {{"s.bat", "ren \"a\" \"b\"\r\n"}, {"a", "1"}});
    struct Case { std::string program, parameters, workdir; };
    const Case cases[] = {
        {"cmd.exe", "/c call \"" + dir + "with blank/s.bat\"", dir + "with blank"},
        {"CMD.EXE", "/C CALL s.bat", dir + "with blank/"},
        {"cmd.exe", "/c \"s.bat\"", dir + "with blank/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parameters);
        put(dir + "with blank/a", "1");
        fs::remove(dir + "with blank/b");
        const engine::BatchResult r = engine::startCommand(c.program, c.parameters, c.workdir);
        EXPECT_TRUE(r.started);
        EXPECT_TRUE(r.failures.empty());
        EXPECT_TRUE(fs::exists(dir + "with blank/b")) << "the script has run when the call returns";
    }
    EXPECT_FALSE(engine::startCommand("cmd.exe", "/c call \"" + dir + "none.bat\"", dir).started);
    EXPECT_FALSE(engine::startCommand("cmd.exe", "/k s.bat", dir + "with blank/").started);
    EXPECT_FALSE(engine::runBatchScript("", dir).started);
    // Any other program is started, not waited for.
    EXPECT_TRUE(engine::startCommand(platform::programPath(), "--gtest_list_tests", dir).started);
}


// ---- the undo log ------------------------------------------------------------------

TEST(LogLines, EndAndTakenBackLinesNameTheScriptAsTheHeaderDoes) {
    EXPECT_EQ(engine::actionEndLine("/tmp/undo_Quonabix_1.bat"), "REM .Ende.:/tmp/undo_Quonabix_1.bat\r\n");
    EXPECT_EQ(engine::actionEndLine("/tmp/100%/u.bat"), "REM .Ende.:/tmp/100%%/u.bat\r\n");
}

TEST_F(BatchTest, RecordTakenBackAppendsItsLineAndNeverCreatesALog) {
    const std::string log = dir + "undo_quonabix.log";
    EXPECT_FALSE(engine::recordTakenBack(log, dir + "a.bat"));
    EXPECT_FALSE(fs::exists(log));
    put(log, header(dir + "a%.bat"));
    EXPECT_TRUE(engine::recordTakenBack(log, dir + "a%.bat"));
    EXPECT_EQ(read(log), header(dir + "a%.bat") + "REM .Rückgängig.:" + dir + "a%%.bat\r\n");
    // Another run holds the log: nothing is written, nothing waits for ever.
    const int held = platform::journalOpen(log);
    ASSERT_NE(held, 0);
    EXPECT_FALSE(engine::recordTakenBack(log, dir + "b.bat"));
    platform::journalClose(held);
    EXPECT_EQ(engine::logActions(read(log)).at(0).takenBack, true);
}

// Four actions: one ended, one taken back (its line further down), one that
// crashed, one that renamed nothing (a double click). Each is read with its
// time, folder, files and how it stands, and listed so.
TEST_F(BatchTest, LogActionsAreListedOldestFirstWithHowTheyStand) {
    const std::string s1 = scriptAt("2024_03_09_14_05_07"), s2 = scriptAt("2024_03_09_15_00_00"),
                      s3 = scriptAt("2024_03_10_08_30_00"), s4 = dir + "other.bat";
    const std::string log = action(s1, dir + "d1/", {{"n1", "o1"}, {"n2", "o2"}}, true) +
                            action(s2, dir + "d2/", {{"m1", "p1"}}, true) +
                            action(s3, dir + "d3/", {{"k1", "q1"}, {"k2", "q2"}, {"k3", "q3"}}, false) +
                            action(s4, "", {}, true) + takenBack(s2);
    const std::vector<engine::LogAction> actions = engine::logActions(log);
    struct Row { std::string script, folder; std::size_t files; bool ended, takenBack, timeKnown; int hour; };
    const Row rows[] = {
        {s1, dir + "d1/", 2, true, false, true, 14},
        {s2, dir + "d2/", 1, true, true, true, 15},
        {s3, dir + "d3/", 3, false, false, true, 8},
        {s4, "", 0, true, false, false, 0},
    };
    ASSERT_EQ(actions.size(), std::size(rows));
    for (std::size_t i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(rows[i].script);
        const engine::LogAction& a = actions[i];
        EXPECT_EQ(a.script, rows[i].script);
        EXPECT_EQ(a.folder, rows[i].folder);
        EXPECT_EQ(a.files, rows[i].files);
        EXPECT_EQ(a.ended, rows[i].ended);
        EXPECT_EQ(a.takenBack, rows[i].takenBack);
        EXPECT_EQ(a.timeKnown, rows[i].timeKnown);
        EXPECT_EQ(a.time.hour, rows[i].hour);
    }
    EXPECT_EQ(engine::actionList(actions),
              "09.03.2024 14:05:07  " + dir + "d1/  2 Dateien  offen\n"
              "09.03.2024 15:00:00  " + dir + "d2/  1 Datei  zurückgenommen\n"
              "10.03.2024 08:30:00  " + dir + "d3/  3 Dateien  offen, nicht beendet\n"
              "Zeit unbekannt  (kein Verzeichnis)  0 Dateien  nichts umbenannt\n");
    EXPECT_EQ(engine::actionList({}), "Das Undo-Log enthält keine Aktion.\n");
}

// --log takes back the newest action with rename lines that was not taken
// back yet, marks it, and run again takes the one before; the header-only
// action and the taken-back one are passed over, their folders untouched.
TEST_F(BatchTest, LogTakesBackTheNewestOpenActionAndRunAgainTheOneBefore) {
    const std::string s1 = scriptAt("2024_03_09_14_05_07"), s2 = scriptAt("2024_03_09_15_00_00"),
                      s3 = scriptAt("2024_03_10_08_30_00"), s4 = scriptAt("2024_03_10_09_00_00");
    const std::string d1 = dir + "d1/", d2 = dir + "d2/", d3 = dir + "d3/";
    // d1: o1 -> n1, o2 -> n2. d2 was taken back; its user has made m1 again.
    // d3 crashed: q1 -> k1 done, the line for q2 -> k2 written, not started.
    fill(d1, {{"n1", "1"}, {"n2", "2"}});
    fill(d2, {{"p1", "P"}, {"m1", "the user's"}});
    fill(d3, {{"k1", "K"}, {"q2", "Q"}});
    const std::string log = dir + "undo_quonabix.log";
    std::string text = action(s1, d1, {{"n1", "o1"}, {"n2", "o2"}}, true) +
                       action(s2, d2, {{"m1", "p1"}}, true) + takenBack(s2) +
                       action(s3, d3, {{"k1", "q1"}, {"k2", "q2"}}, false) + action(s4, "", {}, true);
    put(log, text);
    EXPECT_EQ(engine::logUndoScript(text), engine::directoryLines(d3) + "ren \"k2\" \"q2\"\r\nren \"k1\" \"q1\"\r\n");

    struct Step { std::string script; Files d1, d3; };
    const Step steps[] = {
        {s3, {{"n1", "1"}, {"n2", "2"}}, {{"q1", "K"}, {"q2", "Q"}}},
        {s1, {{"o1", "1"}, {"o2", "2"}}, {{"q1", "K"}, {"q2", "Q"}}},
        {"", {{"o1", "1"}, {"o2", "2"}}, {{"q1", "K"}, {"q2", "Q"}}},   // nothing open: nothing moves
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("takes back " + step.script);
        const engine::LogUndoResult r = engine::undoFromLog(log);
        EXPECT_TRUE(r.started);
        EXPECT_FALSE(r.busy);
        EXPECT_EQ(r.failures, std::vector<std::string>{});
        EXPECT_EQ(r.script, step.script);
        if (!step.script.empty()) text += takenBack(step.script);
        EXPECT_EQ(read(log), text);
        EXPECT_EQ(files(d1), step.d1);
        EXPECT_EQ(files(d2), (Files{{"p1", "P"}, {"m1", "the user's"}}));
        EXPECT_EQ(files(d3), step.d3);
    }
}

// A line of the taken-back action that the rename action would not have
// written is reported and not run; a line that changes the folder stops
// the rename lines after it too. The program's own lines still run.
TEST_F(BatchTest, ForeignLinesOfTheLogAreReportedAndNeverRun) {
    const std::string d = dir + "d/", other = dir + "other/";
    const std::string foreignLine = "Zeile stammt nicht von Quonabix";
    struct Row { std::string line; bool changesFolder; };
    const Row rows[] = {
        {"del \"a2\"", false},
        {"ren \"a2\" \"../a\"", false},
        {"ren \"a2\" \"" + other + "a\"", false},
        {"ren \"a2\" \"*.jpg\"", false},
        {"rename \"a2\" \"a\"", false},
        {"ren a2 a", false},
        {"ren  \"a2\" \"a\"", false},
        {"ren \"a2\" \"a%\"", false},
        {"ren \"a2\" \"a\" & del \"b\"", false},
        {"REM ein Kommentar", false},
        {"", false},
        {"\x1b[2J", false},
        {engine::batchCdLine(other), true},
        {engine::batchCdLine(d), true},   // the action has one cd line
        {"cd ..", true},
        {"cd..", true},
        {"CHDIR " + other, true},
        {"pushd " + other, true},
        {"Z:", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        fs::remove_all(d);
        fs::remove_all(other);
        fill(d, {{"a2", "A"}, {"b2", "B"}});
        fill(other, {{"a2", "other A"}, {"b2", "other B"}});
        const std::string s = scriptAt("2024_03_09_14_05_07");
        // Lines 1-3 header, 4 (5 with a drive) cd, then: b2 <- b, the line, a2 <- a.
        const int first = 5 + (engine::batchDrive(d).empty() ? 0 : 1);
        std::string text = header(s) + engine::directoryLines(d) + "ren \"b2\" \"b\"\r\n" + row.line + "\r\n" +
                           "ren \"a2\" \"a\"\r\n" + engine::actionEndLine(s);
        put(dir + "undo_quonabix.log", text);
        const engine::LogUndoResult r = engine::undoFromLog(dir + "undo_quonabix.log");
        std::string shown = row.line;
        for (char& c : shown) if (static_cast<unsigned char>(c) < 32) c = '?';
        std::vector<std::string> expected{"Zeile " + std::to_string(first + 1) + ": " + shown + ": " + foreignLine};
        if (row.changesFolder)
            expected.push_back("Zeile " + std::to_string(first + 2) +
                               ": ren \"a2\" \"a\": nicht ausgeführt, folgt einem fremden Verzeichniswechsel");
        EXPECT_EQ(r.failures, expected);
        const Files after = row.changesFolder ? Files{{"a2", "A"}, {"b", "B"}} : Files{{"a", "A"}, {"b", "B"}};
        EXPECT_EQ(files(d), after);
        EXPECT_EQ(files(other), (Files{{"a2", "other A"}, {"b2", "other B"}}));
        EXPECT_EQ(read(dir + "undo_quonabix.log"), text) << "a partial undo is not marked";
    }
}

// Where a line stands matters too: before the action's cd line, after its
// end line, after a second cd into another folder. Nothing there runs, the
// other folder keeps its files, and the undo is no success.
TEST_F(BatchTest, LinesOutsideTheActionsOwnOrderAreReportedAndTheOtherFolderIsUntouched) {
    const std::string d = dir + "d/", other = dir + "other/";
    fill(d, {{"a2", "A"}, {"b2", "B"}, {"c2", "C"}});
    fill(other, {{"x2", "X"}, {"c2", "other C"}});
    const std::string s = scriptAt("2024_03_09_14_05_07");
    const std::string cd = engine::directoryLines(d), cdOther = engine::batchCdLine(other);
    const int at = engine::batchDrive(d).empty() ? 0 : 1;   // a drive line moves the rest down
    put(dir + "undo_quonabix.log",
        header(s) + "ren \"c2\" \"c\"\r\n" + cd + "ren \"a2\" \"a\"\r\nren \"b2\" \"b\"\r\ndel \"b\"\r\n" +
            "ren \"b2\" \"" + other + "b\"\r\n" + cdOther + "\r\nren \"x2\" \"x\"\r\nren \"c2\" \"c\"\r\n" +
            engine::actionEndLine(s) + "ren \"a\" \"a3\"\r\n");
    auto line = [at](int n) { return "Zeile " + std::to_string(n + at) + ": "; };
    const engine::LogUndoResult r = engine::undoFromLog(dir + "undo_quonabix.log");
    EXPECT_EQ(r.failures, (std::vector<std::string>{
        "Zeile 4: ren \"c2\" \"c\": nicht ausgeführt, steht vor dem Verzeichnis der Aktion",
        line(8) + "del \"b\": Zeile stammt nicht von Quonabix",
        line(9) + "ren \"b2\" \"" + other + "b\": Zeile stammt nicht von Quonabix",
        line(10) + cdOther + ": Zeile stammt nicht von Quonabix",
        line(11) + "ren \"x2\" \"x\": nicht ausgeführt, folgt einem fremden Verzeichniswechsel",
        line(12) + "ren \"c2\" \"c\": nicht ausgeführt, folgt einem fremden Verzeichniswechsel",
        line(14) + "ren \"a\" \"a3\": nicht ausgeführt, steht nach dem Ende der Aktion",
    }));
    EXPECT_EQ(files(d), (Files{{"a", "A"}, {"b", "B"}, {"c2", "C"}}));
    EXPECT_EQ(files(other), (Files{{"x2", "X"}, {"c2", "other C"}}));
    EXPECT_FALSE(engine::logActions(read(dir + "undo_quonabix.log")).at(0).takenBack);
}

// The rename that was in flight when the program died, built by hand in
// each state its steps can leave: finished before the undo runs, and
// everything else stays. Only the last line of an action without its end
// line is looked at so: elsewhere a user's empty file or second name is
// left alone and the line fails.
TEST_F(BatchTest, AnInterruptedRenameIsFinishedAndNothingElseIsTouched) {
    const std::string d = dir + "d/";
    const std::string old = "a.jpg", neu = "b.jpg", small = "bild.jpg", big = "BILD.JPG";
    const std::string temp = platform::caseChangeTempName(small, big);
    auto link = [&d](const std::string& from, const std::string& to) { fs::create_hard_link(d + from, d + to); };
    struct Row {
        const char* what;
        std::string was, now;          // the last line takes `now` back to `was`
        bool ended;
        Files before;
        std::function<void()> more;    // second names, made after the files
        Files after;
        bool lastFails;
        Files afterIgnoringCase = {};   // where the folder ignores case, when other than after
    };
    // Wine looks names up ignoring case, as Windows does.
    fill(d, {{"probe", ""}});
    const bool ignoresCase = fs::exists(d + "PROBE");
    const Row rows[] = {
        {"never started", old, neu, false, {{old, "X"}}, {}, {{old, "X"}}, false},
        {"done", old, neu, false, {{neu, "X"}}, {}, {{old, "X"}}, false},
        {"between link and unlink", old, neu, false, {{old, "X"}}, [&] { link(old, neu); }, {{old, "X"}}, false},
        {"new name reserved", old, neu, false, {{old, "X"}, {neu, ""}}, {}, {{old, "X"}}, false},
        {"an empty file, never started", old, neu, false, {{old, ""}}, {}, {{old, ""}}, false},
        {"case: temporary name reserved", small, big, false, {{small, "X"}, {temp, ""}}, {}, {{small, "X"}}, false},
        {"case: temporary name linked", small, big, false, {{small, "X"}}, [&] { link(small, temp); },
         {{small, "X"}}, false},
        {"case: file waits at the temporary name", small, big, false, {{temp, "X"}}, {}, {{small, "X"}}, false},
        {"case: an empty file waits there", small, big, false, {{temp, ""}}, {}, {{small, ""}}, false},
        {"case: waits, new name reserved", small, big, false, {{temp, "X"}, {big, ""}}, {}, {{small, "X"}}, false},
        {"case: done", small, big, false, {{big, "X"}}, {}, {{small, "X"}}, false},
        // A second name at the new name is the user's where case counts; where
        // it is ignored, the old name finds it, so it is the second step's.
        {"case: a second name at the new name", small, big, false, {{temp, "X"}}, [&] { link(temp, big); },
         {{small, "X"}, {big, "X"}}, false, {{small, "X"}}},
        {"a file of the user's at the new name stays", old, neu, false, {{old, "X"}, {neu, "user"}}, {},
         {{old, "X"}, {neu, "user"}}, true},
        {"ended: an empty file renamed, its old name made again", old, neu, true, {{old, "user"}, {neu, ""}}, {},
         {{old, "user"}, {neu, ""}}, true},
        // Its first name is taken, by the file itself: that line fails.
        {"ended: two names of one file", old, neu, true, {{old, "X"}}, [&] { link(old, neu); },
         {{old, "X"}, {neu, "X"}}, true},
        {"ended: a temporary name is no file of the action", small, big, true, {{big, "X"}, {temp, ""}}, {},
         {{small, "X"}, {temp, ""}}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(d);
        // Two earlier lines of the action: alt.jpg became neu.jpg; and
        // leer.alt became leer, an empty file, and the user has made
        // leer.alt again: that line fails, both files stay.
        Files before = row.before;
        before["neu.jpg"] = "Y";
        before["leer"] = "";
        before["leer.alt"] = "user";
        fill(d, before);
        if (row.more) row.more();
        const std::string s = scriptAt("2024_03_09_14_05_07");
        const std::string log = dir + "undo_quonabix.log";
        const std::string text =
            action(s, d, {{"neu.jpg", "alt.jpg"}, {"leer", "leer.alt"}, {row.now, row.was}}, row.ended, true);
        put(log, text);
        const engine::LogUndoResult r = engine::undoFromLog(log);
        Files after = ignoresCase && !row.afterIgnoringCase.empty() ? row.afterIgnoringCase : row.after;
        after["alt.jpg"] = "Y";
        after["leer"] = "";
        after["leer.alt"] = "user";
        EXPECT_EQ(files(d), after);
        // Lines 1-3 header, 4 "REM .Platzhalter.", 5 cd (a drive line before it moves the rest), 6-8 the renames.
        const int drive = engine::batchDrive(d).empty() ? 0 : 1;
        std::vector<int> failed{7 + drive};
        if (row.lastFails) failed.push_back(8 + drive);
        EXPECT_EQ(failedLines(r), failed) << (r.failures.empty() ? "" : r.failures.back());
        EXPECT_EQ(read(log), text) << "a partial undo is not marked";
    }
    // An action that never said it reserves leaves an empty file at the new name alone.
    fs::remove_all(d);
    fill(d, {{old, "X"}, {neu, ""}});
    put(dir + "undo_quonabix.log", action(scriptAt("2024_03_09_14_05_07"), d, {{neu, old}}, false));
    EXPECT_EQ(engine::undoFromLog(dir + "undo_quonabix.log").failures.size(), 1u);
    EXPECT_EQ(files(d), (Files{{old, "X"}, {neu, ""}}));
    // The same crash states with nothing else failing: marked as taken back.
    fs::remove_all(d);
    fill(d, {{small, "X"}, {temp, ""}});
    const std::string s = scriptAt("2024_03_09_14_05_07");
    const std::string text = action(s, d, {{big, small}}, false);
    put(dir + "undo_quonabix.log", text);
    EXPECT_EQ(engine::undoFromLog(dir + "undo_quonabix.log").failures, std::vector<std::string>{});
    EXPECT_EQ(files(d), (Files{{small, "X"}}));
    EXPECT_EQ(read(dir + "undo_quonabix.log"), text + takenBack(s));
}

// Exit code 0 only when every line was carried out, 1 when a line failed,
// the file could not be read or the log is held by a running program, 2
// for a wrong call; failures go to the error output, one line each; the
// list of the log's actions to the output.
#ifndef _WIN32
TEST_F(BatchTest, UndoToolSaysWhatFailedAndExitsWithItsCode) {
    const std::string work = dir + "work/", usage = engine::text::Usage, logPath = dir + "undo_quonabix.log";
    ASSERT_EQ(usage.find("Aufruf: quonabix-undo <Skript> [Arbeitsverzeichnis]\n"
                         "        quonabix-undo --log [Undo-Log]\n"
                         "        quonabix-undo --log --list [Undo-Log]\n"), 0u);
    put(dir + "ok.bat", "cd " + work + "\r\nren \"x\" \"a\"\r\n");
    put(dir + "bad.bat", "cd " + work + "\r\nren \"gone\" \"b\"\r\nren \"y\" \"c\"\r\n");
    put(dir + "here.bat", "ren \"y\" \"c\"\r\n");
    const std::string oldScript = scriptAt("2024_03_09_14_05_07"), newScript = scriptAt("2024_03_09_15_00_00");
    const std::string older = action(oldScript, work, {{"y", "c"}}, true);
    const std::string newer = action(newScript, work, {{"x", "a"}}, false);
    const std::string twoActions = older + newer;
    const std::string list = "09.03.2024 14:05:07  " + work + "  1 Datei  offen\n"
                             "09.03.2024 15:00:00  " + work + "  1 Datei  offen, nicht beendet\n";
    const Files untouched{{"x", "X"}, {"y", "Y"}};
    const std::string allBack = "Alle Änderungen rückgängig gemacht !\n";
    const std::string failedHead = "Fehler: Folgende Zeilen konnten nicht ausgeführt werden:\n";
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err;
        Files after;
        std::string log = "";     // the undo log before the call; "" = the two actions
        bool held = false;        // another run holds the log
    };
    const Case cases[] = {
        {{"--help"}, 0, usage, "", untouched},
        {{}, 2, "", usage, untouched},
        {{"ok.bat", work, "more"}, 2, "", usage, untouched},
        {{"--all"}, 2, "", usage, untouched},
        {{"--list"}, 2, "", usage, untouched},
        {{"--log", "undo_quonabix.log", "more"}, 2, "", usage, untouched},
        {{"--log", "--list", "undo_quonabix.log", "more"}, 2, "", usage, untouched},
        {{"ok.bat"}, 0, allBack, "", {{"a", "X"}, {"y", "Y"}}},
        {{"here.bat", work}, 0, allBack, "", {{"x", "X"}, {"c", "Y"}}},
        {{"bad.bat"}, 1, "", failedHead + "  Zeile 2: " + work + "gone => b: Datei nicht gefunden\n",
         {{"x", "X"}, {"c", "Y"}}},
        {{"none.bat"}, 1, "", "Fehler: Undo-Datei konnte nicht gelesen werden: none.bat\n", untouched},
        {{"--log"}, 0, allBack, "", {{"a", "X"}, {"y", "Y"}}},
        {{"--log", logPath}, 0, allBack, "", {{"a", "X"}, {"y", "Y"}}},
        {{"--log"}, 0, allBack, "", {{"x", "X"}, {"c", "Y"}}, older + newer + takenBack(newScript)},
        {{"--log"}, 0, allBack, "", untouched, older + takenBack(oldScript)},
        {{"--log"}, 1, "",
         failedHead + "  Zeile 6: del \"y\": Zeile stammt nicht von Quonabix\n",
         {{"x", "X"}, {"c", "Y"}}, older.substr(0, older.size() - engine::actionEndLine(oldScript).size()) +
                                       "del \"y\"\r\n"},
        {{"--log", dir + "none.log"}, 1, "", "Fehler: Undo-Log konnte nicht gelesen werden: " + dir + "none.log\n",
         untouched},
        {{"--log"}, 1, "", "Fehler: Das Undo-Log wird gerade von einem anderen Quonabix-Programm benutzt: " +
                               logPath + "\n", untouched, "", true},
        {{"--log", "--list"}, 0, list, "", untouched},
        {{"--log", "--list", logPath}, 0, list, "", untouched},
        {{"--log", "--list"}, 0, "Das Undo-Log enthält keine Aktion.\n", "", untouched, "\r\n"},
        {{"--log", "--list", dir + "none.log"}, 1, "",
         "Fehler: Undo-Log konnte nicht gelesen werden: " + dir + "none.log\n", untouched},
    };
    for (const Case& c : cases) {
        std::string call = "quonabix-undo";
        for (const std::string& a : c.args) call += " " + a;
        SCOPED_TRACE(call);
        fs::remove_all(work);
        fill(work, untouched);
        put(logPath, c.log.empty() ? twoActions : c.log);
        const int held = c.held ? platform::journalOpen(logPath) : 0;
        const Run r = undoTool(c.args);
        if (held != 0) platform::journalClose(held);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(files(work), c.after);
    }
}
#endif
