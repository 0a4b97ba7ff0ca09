// Message boxes, escapes, start-up environment, the log writer and the file
// helpers of the support library.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "platform/headless/headless.h"
#include "support/environment.h"
#include "support/filehelpers.h"
#include "support/infobox.h"
#include "support/logfile.h"
#include "testutil.h"

namespace {

using testutil::TempDir;
using V = std::optional<std::string>;

std::string slurp(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// Sets or unsets environment variables for one test and restores them after.
class EnvGuard {
public:
    void set(const std::string& name, const V& value) {
        if (!saved_.count(name)) {
            const char* old = getenv(name.c_str());
            saved_[name] = old ? V(old) : std::nullopt;
        }
        value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    ~EnvGuard() {
        for (const auto& [name, value] : saved_) set(name, value);
    }

private:
    std::map<std::string, V> saved_;
};

class WithBoxes : public ::testing::Test {
protected:
    platform::HeadlessWindowSystem h;
    void SetUp() override { platform::useWindowSystem(&h); }
    void TearDown() override { platform::useWindowSystem(nullptr); }
};

// ---- message boxes and escapes ----------------------------------------------------

TEST(Unescape, TurnsOnlyTheThreeCharacterSequences) {
    const struct { const char* in; const char* out; } cases[] = {
        {"Satz eins.\\n \\n Satz zwei.", "Satz eins.\r\n\r\nSatz zwei."},   // an empty line between
        {"ende\\n", "ende\\n"},                // no blank: no sequence
        {"\\N x", "\\N x"},                    // case-sensitive
        {"Datei \\' a.txt\\' ", "Datei \"a.txt\""},
        {"\\'x", "\\'x"},
    };
    for (const auto& c : cases) EXPECT_EQ(support::yUnescape("", c.in), c.out) << "input: " << c.in;
}

using InfoBox = WithBoxes;

TEST_F(InfoBox, KindsGiveTheButtonPressed) {
    const struct { int kind; std::optional<int> answer; int result; } cases[] = {
        {0, std::nullopt, 1}, {1, platform::AnswerOk, 1}, {1, platform::AnswerCancel, 2}};
    for (const auto& c : cases) {
        h.clearBoxes();
        if (c.answer) h.answerNext(*c.answer);
        EXPECT_EQ(support::yInfoBox("Quonabix", "Weiter?\\n Ja", c.kind), c.result) << "kind " << c.kind;
        ASSERT_EQ(h.shownBoxes().size(), 1u) << "kind " << c.kind;
        EXPECT_EQ(h.shownBoxes()[0].title, "Quonabix");
        EXPECT_EQ(h.shownBoxes()[0].text, "Weiter?\r\nJa");
        EXPECT_EQ(h.shownBoxes()[0].kind, c.kind);
    }
}

TEST_F(InfoBox, NegativeKindWritesTheRawTextAndShowsNothing) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(support::yInfoBox("Quonabix", "roh\\n text", -1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "roh\\n text");
    EXPECT_TRUE(h.shownBoxes().empty());
}

// ---- start-up environment ----------------------------------------------------------

TEST(Environment, ValueIsEmptyWhenUnsetOrTooLongForTheBuffer) {
    EnvGuard env;
    const auto times = [](const std::string& piece, int n) {
        std::string out;
        while (n-- > 0) out += piece;
        return out;
    };
    const V cases[] = {std::nullopt, "anna", times("x", 255), times("x", 256), times("ä", 255), times("ä", 256)};
    const std::string expected[] = {"", "anna", times("x", 255), "", times("ä", 255), ""};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        env.set("QUONABIX_TEST_VAR", cases[i]);
        EXPECT_EQ(support::yGetEnvironment("QUONABIX_TEST_VAR"), expected[i]) << "case " << i;
    }
}

TEST(Environment, TempDirectoryTriesTempTmpTmpdirThenAPrivateFolder) {
    EnvGuard env;
    testutil::TempDir home;
    const std::string here = std::filesystem::current_path().string();
    const std::string cwd = here == "/" ? "/" : here + "/";
    std::filesystem::create_directories(home.path() + "taken");
    std::filesystem::create_symlink(home.path() + "taken", home.path() + "linked");
    const struct { V temp, tmp, tmpdir, cache, homeDir; std::string expected; } cases[] = {
        {"/t1", "/t2", "/t3", std::nullopt, std::nullopt, "/t1/"},
        {"  /t1/  ", std::nullopt, std::nullopt, std::nullopt, std::nullopt, "/t1/"},
        {"   ", "/t2", std::nullopt, std::nullopt, std::nullopt, "/t2/"},
        {std::nullopt, "", "/t3/", std::nullopt, std::nullopt, "/t3/"},
        // A relative folder would break the undo, which runs elsewhere.
        {"rel/tmp", std::nullopt, std::nullopt, std::nullopt, std::nullopt, cwd + "rel/tmp/"},
        // Never the shared /tmp: a folder of this user alone, made 0700.
        {std::nullopt, std::nullopt, std::nullopt, home.path() + "c", std::nullopt, home.path() + "c/quonabix/"},
        {std::nullopt, std::nullopt, std::nullopt, "relative", home.path() + "h", home.path() + "h/.cache/quonabix/"},
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt, home.path() + "h", home.path() + "h/.cache/quonabix/"},
        // A link planted at its name is not used.
        {std::nullopt, std::nullopt, std::nullopt, home.path(), std::nullopt, cwd},
    };
    std::filesystem::create_symlink(home.path() + "taken", home.path() + "quonabix");
    for (const auto& c : cases) {
        env.set("TEMP", c.temp);
        env.set("TMP", c.tmp);
        env.set("TMPDIR", c.tmpdir);
        env.set("XDG_CACHE_HOME", c.cache);
        env.set("HOME", c.homeDir);
        const std::string got = support::yGetTempDirectory();
        EXPECT_EQ(got, c.expected) << "TEMP=" << c.temp.value_or("<unset>") << " cache=" << c.cache.value_or("<unset>");
        if ((!c.cache && !c.homeDir) || got == cwd) continue;
        struct stat st;
        EXPECT_TRUE(stat(got.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700) << got;
    }
    EXPECT_EQ(support::yGetCurrentDirectory(), cwd);
}

// An installed program keeps its settings and start log in the user's own
// folder; every other copy, the one beside it included, beside itself.
TEST(Environment, SettingsDirectoryIsTheUsersFolderOnlyForTheInstalledProgram) {
    EnvGuard env;
    testutil::TempDir t;
    const std::string bin = t.folder("usr/bin/"), copy = t.folder("kopie/");
    std::filesystem::create_directory_symlink(t.path() + "usr/bin", t.path() + "bin");
    const struct { V installed, config, homeDir; std::string program, expected; } cases[] = {
        {std::nullopt, t.path() + "cfg", std::nullopt, bin + "quonabix", bin},
        {bin, t.path() + "cfg", std::nullopt, bin + "quonabix", t.path() + "cfg/quonabix/"},
        {t.path() + "bin/", t.path() + "cfg/", std::nullopt, bin + "quonabix", t.path() + "cfg/quonabix/"},
        {bin, t.path() + "cfg", std::nullopt, copy + "quonabix", copy},
        {bin, "relativ", t.path() + "home", bin + "quonabix", t.path() + "home/.config/quonabix/"},
        {bin, std::nullopt, t.path() + "home/", bin + "quonabix", t.path() + "home/.config/quonabix/"},
        // No folder of the user to be had: beside the program, where the
        // start log then falls back as it does in any read-only folder.
        {bin, std::nullopt, std::nullopt, bin + "quonabix", bin},
        {bin, t.file("datei"), std::nullopt, bin + "quonabix", bin},
    };
    for (const auto& c : cases) {
        if (c.installed) platform::setInstalledFolderSource([f = *c.installed] { return f; });
        else platform::setInstalledFolderSource([] { return std::string(); });
        env.set("XDG_CONFIG_HOME", c.config);
        env.set("HOME", c.homeDir);
        const std::string got = support::settingsDirectory(c.program);
        EXPECT_EQ(got, c.expected) << c.program << " installed " << c.installed.value_or("<none>");
        struct stat st;
        if (got != c.expected || got == bin || got == copy) continue;
        EXPECT_TRUE(stat(got.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700) << got;
    }
    platform::setInstalledFolderSource({});
}

// ---- yLogFileWrite -------------------------------------------------------------------

TEST(LogFileWrite, ModesAppendOrStartAfresh) {
    const struct { const char* name; V before; const char* mode; const char* line; const char* after; } cases[] = {
        {"lower-case #add appends", "alt\r\n", "#add", "neu", "alt\r\nneu\r\n"},
        {"empty line appends CR LF", "alt\r\n", "#NO_MSG#ADD", "", "alt\r\n\r\n"},
        {"#ADD creates a missing file", std::nullopt, "#ADD", "neu", "neu\r\n"},
        {"without #ADD the file is emptied", "alt\r\nalt\r\n", "", "neu", "neu\r\n"},
        {"backslash-apostrophe is a quote", std::nullopt, "", "sag \\'hallo\\'", "sag \"hallo\"\r\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.before) dir.file("lauf.txt", *c.before);
        EXPECT_EQ(support::yLogFileWrite(c.mode, dir.path() + "lauf.txt", c.line, 1), 1) << c.name;
        EXPECT_EQ(slurp(dir.path() + "lauf.txt"), c.after) << c.name;
    }
}

using LogFileFailure = WithBoxes;

TEST_F(LogFileFailure, ReportsZeroAndShowsTheMessageOnlyWhenAsked) {
    TempDir dir;
    for (const char* mode : {"#ADD", ""}) {
        h.clearBoxes();
        EXPECT_EQ(support::yLogFileWrite(mode, dir.path() + "fehlt/lauf.txt", "x", 0), 0) << mode;
        EXPECT_TRUE(h.shownBoxes().empty()) << mode;
        EXPECT_EQ(support::yLogFileWrite(mode, dir.path() + "fehlt/lauf.txt", "x", 1), 0) << mode;
        ASSERT_EQ(h.shownBoxes().size(), 1u) << mode;
        EXPECT_EQ(h.shownBoxes()[0].title, "yLogFileWrite");
        EXPECT_EQ(h.shownBoxes()[0].text, "Fehler: Datei konnte nicht geöffnet werden !");
        EXPECT_EQ(h.shownBoxes()[0].kind, 0);
    }
    // A full disk is no success either.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(support::yLogFileWrite("", "/dev/full", "x", 0), 0);
    }
}

// ---- file helpers ------------------------------------------------------------------------

TEST(FileHelpers, DateiVerzKorrResolvesAgainstTheBase) {
    const struct { const char* rel; const char* base; const char* expected; } cases[] = {
        {"../x/f.txt", "/a/b/c/", "/a/b/x/f.txt"},   // one "../" of three levels keeps two
        {"./sub/./f.txt", "/a/", "/a/sub/f.txt"},
        {"x/../y/f", "/a/", "/a/y/f"},               // an inner "../" climbs out of x
        {"../../../f", "/a/", "/f"},                  // never above the root
        {"/abs/f", "/a/", "/abs/f"},
        {"v1./f", "/a/", "/a/v1./f"},                 // a name ending in "." is no "./"
        {"../f", "/a/b", "/a/f"},                     // base without its final "/"
        {"../f", "", "../f"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(support::DateiVerzKorr(c.rel, c.base), c.expected) << c.rel << " from " << c.base;
    }
}

TEST(FileHelpers, CopyFileReportsEveryOutcomeAndNeverHarmsTheSource) {
    TempDir dir;
    const std::string src = dir.file("quelle.txt", "Inhalt");
    const std::string tgt = dir.path() + "ziel.txt", missing = dir.path() + "fehlt.txt";
    const std::string nowhere = dir.path() + "kein/ziel.txt", link = dir.path() + "zweitname.txt";
    const struct { const char* mode; std::string from, to, result, content; } steps[] = {
        {"", src, tgt, "1/", "Inhalt"},
        {"#add", src, tgt, "1/", "InhaltInhalt"},
        {"", missing, tgt, "0/Datei " + missing + " nicht gefunden !", "InhaltInhalt"},
        {"", src, nowhere, "0/Datei " + nowhere + " konnte nicht angelegt werden !", ""},
        {"#ADD", src, nowhere, "0/Datei " + nowhere + " nicht gefunden !", ""},
        {"", src, dir.path() + "./quelle.txt", "0/Datei " + dir.path() + "./quelle.txt ist die Quelldatei selbst !", "Inhalt"},
        // Through a second name an append reads what it writes; it must still stop.
        {"#ADD", src, link, "1/", "InhaltInhalt"},
    };
    std::filesystem::create_hard_link(src, link);
    for (const auto& s : steps) {
        EXPECT_EQ(support::yCopyFile(s.mode, s.from, s.to), s.result) << s.mode << " " << s.to;
        EXPECT_EQ(slurp(s.to), s.content) << s.mode << " " << s.to;
    }
}

TEST(FileHelpers, DirectoriesAndTextFiles) {
    TempDir dir;
    EXPECT_EQ(support::yCreateDirectoryAll("  " + dir.path() + "a//b/c  "), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "a/b/c"));
    EXPECT_EQ(support::yCreateDirectoryAll(dir.file("datei") + "/x/"), 0);

    const std::string path = dir.path() + "text.txt";
    EXPECT_EQ(support::writeTextFile(path, "eins\r\nzwei\ndrei"), 15);
    EXPECT_EQ(slurp(path), "eins\r\nzwei\ndrei") << "no line end is added";
    EXPECT_EQ(support::readTextFile(path, ""), "einszweidrei");
    EXPECT_EQ(support::readTextFile(path, "#wnl"), "eins\r\nzwei\r\ndrei\r\n");
    EXPECT_EQ(support::readTextFile(dir.path() + "fehlt.txt", "#WNL"), "");
    EXPECT_EQ(support::writeTextFile(dir.path() + "kein/text.txt", "x"), 0);
}

TEST(FileHelpers, ReadLineWalksTheLinesAndKeepsItsPlace) {
    const struct { const char* text; int command; const char* expected; } steps[] = {
        {"eins\r\n\r\ndrei", 0, " "}, {"eins\r\n\r\ndrei", -1, "eins"}, {"eins\r\n\r\ndrei", -1, " "},
        {"eins\r\n\r\ndrei", 7, " "}, {"eins\r\n\r\ndrei", -1, "drei"}, {"eins\r\n\r\ndrei", -1, ""},
        {"", 0, ""}, {"a\nb\r\n", 0, " "}, {"a\nb\r\n", -1, "a\nb"}, {"a\nb\r\n", -1, ""},
        {"a\r\n\r\n", 0, " "}, {"a\r\n\r\n", -1, "a"}, {"a\r\n\r\n", -1, ""},   // empty last line
        {"a\r\n\r\n", 5, ""}, {"a\r\n\r\n", -1, ""},
    };
    int step = 0;
    for (const auto& s : steps) EXPECT_EQ(support::yReadLine(s.text, s.command), s.expected) << "step " << step++;
}

TEST(FileHelpers, SmallTextRoutinesCountCharacters) {
    EXPECT_EQ(support::countLines("", ","), 0);
    EXPECT_EQ(support::countLines("a,b", ","), 2);
    EXPECT_EQ(support::countLines("a\r\nb\r\n", "\r\n"), 2);
    const struct { const char* search; int start; int expected; } back[] = {
        {"b", 0, 5}, {"b", 4, 2}, {"b", 99, 5}, {"äb", 3, 1}, {"x", 0, 0}, {"äbcäbc", 0, 0}};
    for (const auto& c : back) {
        EXPECT_EQ(support::searchBackward("äbcäb", c.search, c.start), c.expected) << c.search << " from " << c.start;
    }
    EXPECT_EQ(support::overwriteAt("äöüß", "XY", 2), "äXYß");
    EXPECT_EQ(support::overwriteAt("abc", "XYZ", 3), "abXYZ");
    EXPECT_EQ(support::overwriteAt("abc", "X", 4), "abc");
    EXPECT_EQ(support::replaceInBrackets("a,b(c,d(e,f)g,h)i,j", ",", ";", "(", ")"), "a,b(c;d(e;f)g;h)i,j");
    EXPECT_EQ(support::replaceInBrackets("a),b(c,d", ",", ";", "(", ")"), "a),b(c,d");   // depth -1, then 0
}

TEST(FileHelpers, PathParts) {
    const struct { const char* path; const char* withExt; const char* drive; const char* dir; } cases[] = {
        {"/a.d/b.txt", "b.txt", "", "/a.d/"},
        {"/a.d/b", "", "", "/a.d/"},
        {"C:/x/y.z", "y.z", "C:", "/x/"},
        {"/home/a:b/f", "", "", "/home/a:b/"},   // a colon inside a Linux path is no drive
        {"f", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(support::fileNameWithExtension("", c.path), c.withExt) << c.path;
        EXPECT_EQ(support::driveOfPath("", c.path), c.drive) << c.path;
        EXPECT_EQ(support::directoryWithoutDrive("", c.path), c.dir) << c.path;
    }
}

}  // namespace
