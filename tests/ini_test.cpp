// The settings file: reading and writing one value in the sectioned
// key/value layout, and loading and saving the main window's settings.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <unistd.h>

#include "app/settings.h"
#include "support/ini.h"
#include "support/values.h"
#include "testutil.h"

namespace {

using testutil::TempDir;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string repeat(const std::string& piece, int times) {
    std::string out;
    while (times-- > 0) out += piece;
    return out;
}

int filesIn(const std::string& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

// ---- yIniRead -----------------------------------------------------------------------

TEST(IniRead, FindsTheValueTheWayTheLayoutPromises) {
    const struct { const char* name; std::optional<std::string> file; const char* key; std::string expected; } cases[] = {
        {"section and key ignore case", "[standard]\r\nDATEI-MUSTER=*.txt\r\n", "Datei-Muster", "*.txt"},
        {"LF-only lines, blanks around =", "[Standard]\nDatei-Muster = *.png \n", "Datei-Muster", "*.png"},
        {"double quotes removed", "[Standard]\r\nk=\"  a b  \"\r\n", "k", "  a b  "},
        {"single quotes removed", "[Standard]\r\nk='x'\r\n", "k", "x"},
        {"blank value gives the default", "[Standard]\r\nk=   \r\n", "k", "vorgabe"},
        {"quoted blanks give the default", "[Standard]\r\nk=\"   \"\r\n", "k", "vorgabe"},
        {"key of another section", "[Andere]\r\nk=1\r\n[Standard]\r\nj=2\r\n", "k", "vorgabe"},
        {"section found after another", "[Andere]\r\nk=1\r\n\r\n[Standard]\r\nk=2\r\n", "k", "2"},
        {"first of two equal keys", "[Standard]\r\nk=1\r\nK=2\r\n", "k", "1"},
        {"last line without line end", "[Standard]\r\nk=ende", "k", "ende"},
        {"missing file", std::nullopt, "k", "vorgabe"},
        {"longer cut to 254 characters", "[Standard]\r\nk=" + repeat("ä", 300) + "\r\n", "k", repeat("ä", 254)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.file) dir.file("t.ini", *c.file);
        EXPECT_EQ(support::yIniRead("Standard", c.key, dir.path() + "t.ini", "vorgabe"), c.expected) << c.name;
    }
}

// ---- yIniWrite ----------------------------------------------------------------------

TEST(IniWrite, ChangesOnlyTheOneValue) {
    const struct { const char* name; std::optional<std::string> before; const char* key; const char* after; } cases[] = {
        {"missing file is created", std::nullopt, "Datei-Muster",
         "[Standard]\r\nDatei-Muster=*.txt\r\n"},
        {"replaced in place, file's spelling and the rest kept",
         "; von Hand\r\n[standard]\r\nDATEI-MUSTER = *.jpg\r\nLaufDatei=/log/\r\n\r\n[Andere]\r\nx=1\r\n",
         "Datei-Muster",
         "; von Hand\r\n[standard]\r\nDATEI-MUSTER=*.txt\r\nLaufDatei=/log/\r\n\r\n[Andere]\r\nx=1\r\n"},
        {"missing key appended at the end of its section",
         "[Standard]\r\nLaufDatei=/log/\r\n\r\n[Andere]\r\nx=1\r\n", "Datei-Muster",
         "[Standard]\r\nLaufDatei=/log/\r\nDatei-Muster=*.txt\r\n\r\n[Andere]\r\nx=1\r\n"},
        {"missing section appended after a blank line", "[Andere]\r\nx=1", "Datei-Muster",
         "[Andere]\r\nx=1\r\n\r\n[Standard]\r\nDatei-Muster=*.txt\r\n"},
        {"LF-only file keeps its untouched lines", "[Standard]\nDatei-Muster=alt\nx=1\n", "Datei-Muster",
         "[Standard]\nDatei-Muster=*.txt\nx=1\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.before) dir.file("t.ini", *c.before);
        EXPECT_NE(support::yIniWrite("Standard", c.key, "*.txt", dir.path() + "t.ini"), 0) << c.name;
        EXPECT_EQ(slurp(dir.path() + "t.ini"), c.after) << c.name;
        EXPECT_EQ(filesIn(dir.path()), 1) << c.name << ": no temporary file left";
    }
}

TEST(IniWrite, RefusesLineBreaksThatWouldAddLines) {
    TempDir dir;
    const std::string path = dir.file("t.ini", "[Standard]\r\nk=alt\r\n");
    EXPECT_EQ(support::yIniWrite("Standard", "k", "neu\r\nLaufDatei=/x/", path), 0);
    EXPECT_EQ(support::yIniWrite("Standard", "k=", "neu", path), 0);
    EXPECT_EQ(support::yIniWrite("Std]", "k", "neu", path), 0);
    EXPECT_EQ(slurp(path), "[Standard]\r\nk=alt\r\n");
}

TEST(IniFile, BothSpellingsOfTheNameReachOneFile) {
    TempDir dir;
    dir.file("Quonabix.ini", "[Standard]\r\nLaufDatei=/log/\r\n");
    EXPECT_EQ(support::yIniRead("Standard", "LaufDatei", dir.path() + "quonabix.ini", ""), "/log/");
    ASSERT_NE(support::yIniWrite("Standard", "Datei-Muster", "*.txt", dir.path() + "quonabix.ini"), 0);
    EXPECT_EQ(slurp(dir.path() + "Quonabix.ini"), "[Standard]\r\nLaufDatei=/log/\r\nDatei-Muster=*.txt\r\n");
    EXPECT_EQ(filesIn(dir.path()), 1) << "no second file under the other spelling";
    EXPECT_EQ(support::yIniRead("Standard", "Datei-Muster", dir.path() + "Quonabix.ini", ""), "*.txt");

    // Both spellings on disk: whichever is asked for, one and the same file
    // is read and written, the one in small letters.
    dir.file("quonabix.ini", "[Standard]\r\nDatei-Muster=*.png\r\n");
    for (const char* asked : {"Quonabix.ini", "quonabix.ini", "QUONABIX.INI"}) {
        SCOPED_TRACE(asked);
        EXPECT_EQ(support::yIniRead("Standard", "Datei-Muster", dir.path() + asked, ""), "*.png");
        EXPECT_EQ(support::yIniRead("Standard", "LaufDatei", dir.path() + asked, ""), "");
    }
    ASSERT_NE(support::yIniWrite("Standard", "LaufDatei", "/neu/", dir.path() + "Quonabix.ini"), 0);
    EXPECT_EQ(support::yIniRead("Standard", "LaufDatei", dir.path() + "quonabix.ini", ""), "/neu/");
    EXPECT_EQ(slurp(dir.path() + "Quonabix.ini"), "[Standard]\r\nLaufDatei=/log/\r\nDatei-Muster=*.txt\r\n")
        << "the other spelling is left alone";
}

// Where no new file can be made beside the settings file (a folder the user
// may not write; here also a folder that holds the new file's name), the
// file itself is written.
TEST(IniFile, NoRoomBesideTheFileWritesItInPlace) {
    const bool root = geteuid() == 0;   // root writes into any folder
    for (const bool readOnlyFolder : {false, true}) {
        if (readOnlyFolder && root) continue;
        SCOPED_TRACE(readOnlyFolder ? "read-only folder" : "name of the new file taken");
        TempDir dir;
        const std::string path = dir.file("quonabix.ini", "[Standard]\r\nDatei-Muster=*.jpg\r\n");
        if (readOnlyFolder) {
            std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec);
        } else {
            dir.folder("quonabix.ini.tmp/belegt");
        }
        EXPECT_NE(support::yIniWrite("Standard", "Datei-Muster", "*.txt", path), 0);
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        EXPECT_EQ(slurp(path), "[Standard]\r\nDatei-Muster=*.txt\r\n");
        if (!readOnlyFolder) {
            EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "quonabix.ini.tmp/belegt"));
        }
    }
}

// A save changes the values, not what the file is: its permission bits, a
// link to it and its other names stay.
TEST(IniFile, SaveKeepsModeLinkAndOtherNames) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string before = "[Standard]\r\nDatei-Muster=*.jpg\r\n";
    const std::string after = "[Standard]\r\nDatei-Muster=*.txt\r\n";
    for (const fs::perms mode : {fs::perms(0644), fs::perms(0600), fs::perms(0664)}) {
        const std::string path = dir.file("modus.ini", before);
        fs::permissions(path, mode);
        ASSERT_NE(support::yIniWrite("Standard", "Datei-Muster", "*.txt", path), 0);
        EXPECT_EQ(fs::status(path).permissions(), mode) << std::oct << static_cast<int>(mode);
        EXPECT_EQ(slurp(path), after);
    }

    const std::string target = dir.folder("echt/") + "einstellungen.ini";
    dir.file("echt/einstellungen.ini", before);
    fs::permissions(target, fs::perms(0644));
    fs::create_symlink(target, dir.path() + "quonabix.ini");
    ASSERT_NE(support::yIniWrite("Standard", "Datei-Muster", "*.txt", dir.path() + "quonabix.ini"), 0);
    EXPECT_TRUE(fs::is_symlink(dir.path() + "quonabix.ini")) << "the link stays a link";
    EXPECT_EQ(slurp(target), after) << "the link's target holds the new value";
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644));
    EXPECT_EQ(filesIn(dir.path() + "echt/"), 1) << "no temporary file left";

    const std::string first = dir.file("erster.ini", before);
    fs::create_hard_link(first, dir.path() + "zweiter.ini");
    ASSERT_NE(support::yIniWrite("Standard", "Datei-Muster", "*.txt", dir.path() + "zweiter.ini"), 0);
    EXPECT_EQ(slurp(first), after) << "both names still name one file";
}

TEST(IniFile, TemporaryFileLeftByAnInterruptedSaveIsReplaced) {
    TempDir dir;
    const std::string path = dir.file("quonabix.ini", "[Standard]\r\nk=alt\r\n");
    dir.file("quonabix.ini.tmp", "[Standard]\r\nk=halb");
    EXPECT_NE(support::yIniWrite("Standard", "k", "neu", path), 0);
    EXPECT_EQ(slurp(path), "[Standard]\r\nk=neu\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "quonabix.ini.tmp"));
}

// ---- LesenEinstellungen / SchreibenEinstellungen -----------------------------------

class SettingsTest : public testutil::MainWindowTest {
protected:
    TempDir dir;
    const std::string savedPath = support::ProgrammPfad, savedFolder = support::ProgrammVerzeichnis;
    void SetUp() override {
        testutil::MainWindowTest::SetUp();
        support::ProgrammPfad = dir.path() + "quonabix";
        support::ProgrammVerzeichnis = dir.path();
    }
    void TearDown() override {
        support::ProgrammPfad = savedPath;
        support::ProgrammVerzeichnis = savedFolder;
        testutil::MainWindowTest::TearDown();
    }
    std::string ini() const { return dir.path() + "quonabix.ini"; }
};

TEST_F(SettingsTest, FirstRunCreatesAnEmptyFileAndShowsAllFiles) {
    // A development run moves the program directory; the settings stay beside the program.
    support::ProgrammVerzeichnis = dir.folder("entwicklung/");
    app::LesenEinstellungen();
    ASSERT_TRUE(std::filesystem::exists(ini()));
    EXPECT_EQ(std::filesystem::file_size(ini()), 0u);
    EXPECT_EQ(h.getText(ids::MaskField), "*.*");
    EXPECT_EQ(h.getText(ids::FolderTree), "");
}

TEST_F(SettingsTest, SaveWritesExactlyTheSectionAndBothKeys) {
    app::LesenEinstellungen();
    const std::string pictures = dir.folder("bilder/");
    h.setText(ids::FolderTree, pictures);
    h.setText(ids::MaskField, "*.txt");
    app::SchreibenEinstellungen();
    EXPECT_EQ(slurp(ini()), "[Standard]\r\nStart-Verzeichnis=" + pictures + "\r\nDatei-Muster=*.txt\r\n");
    EXPECT_EQ(filesIn(dir.path()), 2) << "the settings file and the folder, nothing else";
}

TEST_F(SettingsTest, SavedValuesComeBackAtTheNextStart) {
    const std::string pictures = dir.folder("bilder/");
    dir.file("Quonabix.ini", "[STANDARD]\r\nstart-verzeichnis = " + pictures +
                                 "\r\ndatei-muster = *.png\r\nLaufDatei=/log/\r\n");
    app::LesenEinstellungen();
    EXPECT_EQ(h.getText(ids::FolderTree), pictures);
    EXPECT_EQ(h.getText(ids::MaskField), "*.png");
    ASSERT_GE(h.pendingEvents(), 1u) << "the tree reports the selected folder";
    h.setText(ids::MaskField, "*.gif");
    app::SchreibenEinstellungen();
    EXPECT_EQ(slurp(dir.path() + "Quonabix.ini"),
              "[STANDARD]\r\nstart-verzeichnis=" + pictures + "\r\ndatei-muster=*.gif\r\nLaufDatei=/log/\r\n");
    EXPECT_FALSE(std::filesystem::exists(ini())) << "the file keeps its own name";
}

TEST_F(SettingsTest, BlankValuesLoadAsDefaults) {
    dir.file("quonabix.ini", "[Standard]\r\nStart-Verzeichnis=   \r\nDatei-Muster=    \r\n");
    app::LesenEinstellungen();
    EXPECT_EQ(h.getText(ids::MaskField), "*.*");
    EXPECT_EQ(h.getText(ids::FolderTree), "");
    EXPECT_EQ(h.pendingEvents(), 0u) << "no folder selected, no change reported";
}

TEST_F(SettingsTest, UnwritablePlaceKeepsTheCreationTextsAndStaysSilent) {
    const std::string blocker = dir.file("datei");
    support::ProgrammPfad = blocker + "/quonabix";
    app::LesenEinstellungen();
    EXPECT_EQ(h.getText(ids::MaskField), "*.jpg");
    app::SchreibenEinstellungen();
    EXPECT_TRUE(h.shownBoxes().empty());
    EXPECT_EQ(filesIn(dir.path()), 1);
}

TEST(SettingsWithoutWindow, NothingIsSavedWhenTheMainWindowNeverStood) {
    TempDir dir;
    const std::string before = "[Standard]\r\nStart-Verzeichnis=/daten/\r\nDatei-Muster=*.txt\r\n";
    dir.file("quonabix.ini", before);
    const std::string saved = support::ProgrammPfad;
    support::ProgrammPfad = dir.path() + "quonabix";
    {
        platform::HeadlessWindowSystem h;
        const testutil::UsingWindowSystem windows(h);
        app::SchreibenEinstellungen();
    }
    support::ProgrammPfad = saved;
    EXPECT_EQ(slurp(dir.path() + "quonabix.ini"), before);
}

}  // namespace
