// The undo-script interpreter on its own: what it accepts, what it refuses,
// which lines it reports, the script of the lines still to do, and
// quonabix-undo, which runs it by hand.
#include <gtest/gtest.h>
#include <stdlib.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/batch.h"
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
                "ren q\"x\" q2\r\n"              // 14 a quote inside a name
                "ren \"w3\" \"w4.");              // 15 cut short: no closing quote
    const engine::BatchResult r = engine::runBatchScript(script, dir);
    EXPECT_EQ(failedLines(r), (std::vector<int>{2, 3, 5, 6, 7, 8, 9, 10, 11, 14, 15}));
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

// Exit code 0 only when every line was carried out, 1 when a line failed or
// the file could not be read, 2 for a wrong call; failures go to the error
// output, one line each.
#ifndef _WIN32
TEST_F(BatchTest, UndoToolSaysWhatFailedAndExitsWithItsCode) {
    const std::string work = dir + "work/", usage = engine::text::Usage;
    ASSERT_EQ(usage.find("Aufruf: quonabix-undo <Skript> [Arbeitsverzeichnis]\n"), 0u);
    put(dir + "ok.bat", "cd " + work + "\r\nren \"x\" \"a\"\r\n");
    put(dir + "bad.bat", "cd " + work + "\r\nren \"gone\" \"b\"\r\nren \"y\" \"c\"\r\n");
    put(dir + "here.bat", "ren \"y\" \"c\"\r\n");
    put(dir + "undo_quonabix.log", "REM .Datei.:old.bat\r\ncd " + work + "\r\nren \"y\" \"c\"\r\n"
                                   "REM .Datei.:new.bat\r\ncd " + work + "\r\nren \"x\" \"a\"\r\n");
    const Files untouched{{"x", "X"}, {"y", "Y"}};
    const std::string allBack = "Alle Änderungen rückgängig gemacht !\n";
    struct Case { std::vector<std::string> args; int code; std::string out, err; Files after; };
    const Case cases[] = {
        {{"--help"}, 0, usage, "", untouched},
        {{}, 2, "", usage, untouched},
        {{"ok.bat", work, "more"}, 2, "", usage, untouched},
        {{"--all"}, 2, "", usage, untouched},
        {{"--log", "undo_quonabix.log", "more"}, 2, "", usage, untouched},
        {{"ok.bat"}, 0, allBack, "", {{"a", "X"}, {"y", "Y"}}},
        {{"here.bat", work}, 0, allBack, "", {{"x", "X"}, {"c", "Y"}}},
        {{"bad.bat"}, 1, "",
         "Fehler: Folgende Zeilen konnten nicht ausgeführt werden:\n  Zeile 2: " + work + "gone => b: Datei nicht gefunden\n",
         {{"x", "X"}, {"c", "Y"}}},
        {{"none.bat"}, 1, "", "Fehler: Undo-Datei konnte nicht gelesen werden: none.bat\n", untouched},
        {{"--log"}, 0, allBack, "", {{"a", "X"}, {"y", "Y"}}},
        {{"--log", dir + "undo_quonabix.log"}, 0, allBack, "", {{"a", "X"}, {"y", "Y"}}},
        {{"--log", dir + "none.log"}, 1, "", "Fehler: Undo-Log konnte nicht gelesen werden: " + dir + "none.log\n",
         untouched},
    };
    for (const Case& c : cases) {
        std::string call = "quonabix-undo";
        for (const std::string& a : c.args) call += " " + a;
        SCOPED_TRACE(call);
        fs::remove_all(work);
        fill(work, untouched);
        const Run r = undoTool(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(files(work), c.after);
    }
}
#endif
