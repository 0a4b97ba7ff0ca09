// The file table: which files get a row, their order, numbering, ticks and
// the three rebuild modes, on real files in a fresh folder.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/preview.h"
#include "engine/state.h"
#include "engine/table.h"
#include "support/text.h"
#include "testutil.h"

using Names = std::vector<std::string>;

namespace {

class TableTest : public testutil::MainWindowTest {
protected:
    testutil::TempDir dir;

    void SetUp() override {
        MainWindowTest::SetUp();
        engine::DateiListe.clear();
        engine::RenameErfolgt = 0;
        h.setText(ids::FolderTree, dir.path());
    }
    void files(std::initializer_list<const char*> names) {
        for (const char* n : names) dir.file(n);
    }
    void rebuild(int mode) { engine::NeuAufbauen(mode, engine::DateiListe); }
    int rowState(int row) { return h.getRowState(ids::FileTable, row); }
    // The reason on every row's new name, "" where it carries no mark.
    Names marks() {
        Names out;
        for (int r = 0; r < h.countRows(ids::FileTable); ++r) {
            const bool warned = h.rowMark(ids::FileTable, r) == platform::RowMark::Warning;
            out.push_back(warned ? h.rowMarkText(ids::FileTable, r) : "");
            if (warned && out.back().empty()) out.back() = "(mark without reason)";
        }
        return out;
    }
    // The folder's entries look changed long ago, so that any change made
    // now shows, whatever the file system's clock tick.
    void ageFolder(const std::string& path) {
#ifdef _WIN32
        const HANDLE d = CreateFileW(platform::win32::widen(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        const FILETIME old{0, 29400000};   // in 2001
        ASSERT_TRUE(SetFileTime(d, nullptr, nullptr, &old)) << path;
        CloseHandle(d);
#else
        const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
#endif
    }
};

}  // namespace

TEST_F(TableTest, MaskSelectsTickedRowsInNameOrderIgnoringCase) {
    files({"b.JPG", "A.jpg", "c.txt", "README", "_x.jpg"});
    dir.folder("folder.jpg");
    const struct {
        const char* mask;
        Names rows;
    } cases[] = {
        {"*.jpg", {"_x.jpg", "A.jpg", "b.JPG"}},
        {"*.JPG", {"_x.jpg", "A.jpg", "b.JPG"}},
        {"*.*", {"_x.jpg", "A.jpg", "b.JPG", "c.txt", "README"}},
        {"  ", {"_x.jpg", "A.jpg", "b.JPG", "c.txt", "README"}},
        {"a.JPG", {"A.jpg"}},
        {"*.txt|*.jpg", {"_x.jpg", "A.jpg", "b.JPG", "c.txt"}},
        {"IMG_????.JPG", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("mask \"") + c.mask + "\"");
        h.setText(ids::MaskField, c.mask);
        rebuild(engine::ModeFull);
        EXPECT_EQ(column(ids::ColCurrent), c.rows);
        EXPECT_EQ(column(ids::ColStatus), Names(c.rows.size()));
        for (std::size_t r = 0; r < c.rows.size(); ++r) EXPECT_EQ(rowState(int(r)), platform::RowTicked);
        EXPECT_EQ(engine::DateiListe.size(), 5u) << "the list holds every file, whatever the mask";
    }
    EXPECT_EQ(engine::DateiListe.front(), dir.path() + "_x.jpg");
    EXPECT_EQ(h.getText(ids::DirectoryLabel), "Aktuelles Verzeichnis: " + dir.path());
}

TEST_F(TableTest, NumbersFollowStartStepAndDigitsInRowOrder) {
    files({"a.jpg", "b.jpg", "c.jpg"});
    h.setText(ids::PatternField, "%nr%");
    const struct {
        const char *start, *step, *digits;
        Names names;
    } cases[] = {
        {"1", "1", "3", {"001", "002", "003"}},
        {"10", "-2", "3", {"010", "008", "006"}},
        {"1", "1", "0", {"", "", ""}},
        {"1000", "1", "3", {"000", "001", "002"}},
        {"-1", "1", "3", {"0-1", "000", "001"}},
        {"x", "", "2", {"00", "00", "00"}},   // no number counts as 0
        {"2147483647", "1", "11", {"02147483647", "-2147483648", "-2147483647"}},   // wraps
        {"-2147483648", "-1", "11", {"-2147483648", "02147483647", "02147483646"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("start ") + c.start + " step " + c.step + " digits " + c.digits);
        h.setText(ids::StartField, c.start);
        h.setText(ids::StepField, c.step);
        h.setText(ids::DigitsField, c.digits);
        rebuild(engine::ModeFull);
        EXPECT_EQ(column(ids::ColNew), c.names);
        h.setText(ids::PatternField, "x");   // names only must bring them back
        rebuild(engine::ModeNames);
        h.setText(ids::PatternField, "%nr%");
        rebuild(engine::ModeNames);
        EXPECT_EQ(column(ids::ColNew), c.names) << "names only";
    }
    EXPECT_EQ(engine::LaufendeNummer, std::numeric_limits<int32_t>::max() - 2);
}

TEST(ReadNumber, LeadingBlanksOneSignDigitsAndClamping) {
    constexpr int32_t max = std::numeric_limits<int32_t>::max(), min = std::numeric_limits<int32_t>::min();
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"", 0},     {"  42", 42},   {"\t \t-7x", -7}, {"+5", 5},  {"--5", 0},
        {"- 5", 0},  {"x12", 0},     {"\n5", 0},       {"007", 7}, {"2147483647", max},
        {"2147483648", max},         {"-2147483648", min},         {"-2147483649", min},
        {"99999999999999999999999", max},              {"-99999999999999999999999", min},
    };
    for (const auto& c : cases) EXPECT_EQ(engine::readNumber(c.text), c.expected) << "\"" << c.text << "\"";
}

TEST_F(TableTest, NamesOnlyKeepsTicksAndFullRebuildTicksEveryRowAgain) {
    files({"a.jpg", "b.jpg", "c.jpg"});
    rebuild(engine::ModeFull);
    h.setRowState(ids::FileTable, 1, 0);
    h.setRowState(ids::FileTable, 2, platform::RowTicked | platform::RowSelected);
    h.setText(ids::PatternField, "x_%nr%");
    rebuild(engine::ModeNames);
    EXPECT_EQ(column(ids::ColNew), (Names{"x_001", "x_002", "x_003"})) << "unticked rows use their number";
    EXPECT_EQ(rowState(1), 0);
    EXPECT_EQ(rowState(2), platform::RowTicked | platform::RowSelected);
    rebuild(engine::ModeFull);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(rowState(r), platform::RowTicked) << "row " << r;
}

TEST_F(TableTest, RefreshAfterRenameTouchesOnlyTickedRows) {
    files({"a.jpg", "b.jpg"});
    rebuild(engine::ModeFull);
    for (int r = 0; r < 2; ++r)
        for (int col : {ids::ColCurrent, ids::ColNew, ids::ColStatus})
            h.setCell(ids::FileTable, r, col, "old");
    h.setRowState(ids::FileTable, 1, 0);
    rebuild(engine::ModeRefresh);
    EXPECT_EQ(column(ids::ColCurrent), (Names{"a.jpg", "old"}));
    EXPECT_EQ(column(ids::ColNew), (Names{"neu_001.jpg", "old"}));
    EXPECT_EQ(column(ids::ColStatus), (Names{"old", "old"}));
}

TEST_F(TableTest, OnlyAFullRebuildRereadsTheFolderAndClearsRenameMarkAndStatus) {
    files({"a.jpg"});
    rebuild(engine::ModeFull);
    engine::RenameErfolgt = 1;
    h.setCell(ids::FileTable, 0, ids::ColStatus, "Fehler");
    files({"b.jpg"});
    for (int mode : {engine::ModeNames, engine::ModeRefresh, 7}) {
        rebuild(mode);
        EXPECT_EQ(engine::RenameErfolgt, 1) << "mode " << mode;
        EXPECT_EQ(column(ids::ColStatus), Names{"Fehler"}) << "mode " << mode;
        EXPECT_EQ(column(ids::ColCurrent), Names{"a.jpg"}) << "mode " << mode;
    }
    engine::DateiListe.push_back(dir.path() + "z.jpg");   // more entries than rows
    rebuild(engine::ModeNames);
    EXPECT_EQ(h.countRows(ids::FileTable), 1);
    engine::LoeschenRenameSpalte();
    EXPECT_EQ(column(ids::ColStatus), Names{""});
    rebuild(engine::ModeFull);
    EXPECT_EQ(engine::RenameErfolgt, 0);
    EXPECT_EQ(column(ids::ColCurrent), (Names{"a.jpg", "b.jpg"}));
}

TEST_F(TableTest, AFolderThatCannotBeListedGivesAnEmptyTableWithoutMessage) {
    files({"a.jpg"});
    const std::string gone = dir.folder("gone/");
    h.setText(ids::FolderTree, gone);
    std::filesystem::remove(gone);
    engine::DateiListe = {"old"};
    rebuild(engine::ModeFull);
    EXPECT_EQ(h.countRows(ids::FileTable), 0);
    EXPECT_TRUE(engine::DateiListe.empty());
    EXPECT_TRUE(h.shownBoxes().empty());
}

TEST_F(TableTest, LineFeedAndBackslashStayPartOfTheName) {
    if (platform::PathSeparator == '\\') GTEST_SKIP() << "Windows has no such names";
    files({"a\nb.jpg", "c\\d.jpg"});
    h.setText(ids::PatternField, "%dateinamen%");
    rebuild(engine::ModeFull);
    EXPECT_EQ(column(ids::ColCurrent), (Names{"a\nb.jpg", "c\\d.jpg"}));
    EXPECT_EQ(column(ids::ColNew), (Names{"a\nb.jpg", "c\\d.jpg"}));
    EXPECT_EQ(rowState(0), platform::RowTicked);
}

// The table decides "*" + text masks on a short way; it must agree with
// the matcher on every name, awkward ones included.
TEST_F(TableTest, StarSuffixMasksAgreeWithTheMatcher) {
    const char* names[] = {"photo.jpg.jpg", ".jpg", "a.jpg", "ä.jpg", "Ä.JPG", "x.JPGX",
                           "IMG_1.JPG", "jpg", "g", "ab.jpgjpg", "é"};
    for (const char* n : names) dir.file(n);
    for (const char* mask : {"*.jpg", "*G", "*.jpg.jpg", "*_1.JPG", "*jpg", "*.JPGX"}) {
        SCOPED_TRACE(std::string("mask ") + mask);
        h.setText(ids::MaskField, mask);
        rebuild(engine::ModeFull);
        Names expected;
        for (const std::string& path : engine::DateiListe) {
            const std::string name = path.substr(platform::lastSeparator(path) + 1);
            if (engine::yMatchPattern(support::toUpper(mask), support::toUpper(name), 0)) expected.push_back(name);
        }
        EXPECT_EQ(column(ids::ColCurrent), expected);
    }
}

// Every ticked row that "Rename" would not rename as shown is marked on its
// new name, with the reason, in the action's order and with its rule that
// no file is ever replaced.
TEST_F(TableTest, PreviewMarksTheRowsRenameWouldFailWithTheReason) {
    const std::string twice12 = "Name kommt mehrfach vor (Zeilen 1 und 2)";
    // 255 bytes with a number of three digits: the longest name there is; one more is too long.
    const std::string longest = std::string(248, 'x') + "%nr%.jpg", tooLong = "x" + longest;
    const struct {
        const char* what;
        Names files, folders;
        std::vector<std::pair<int, const char*>> fields;   // rule fields and options (text "1": option on)
        std::vector<int> unticked;
        Names marks;
    } cases[] = {
        {"two rows, one name", {"a.jpg", "b.jpg"}, {}, {{ids::PatternField, "x.jpg"}}, {}, {"", twice12}},
        {"the first of them unticked", {"a.jpg", "b.jpg"}, {}, {{ids::PatternField, "x.jpg"}}, {0}, {"", ""}},
        {"the second unticked", {"a.jpg", "b.jpg"}, {}, {{ids::PatternField, "x.jpg"}}, {1}, {"", ""}},
        {"a file outside the mask", {"a.jpg", "b.txt"}, {}, {{ids::PatternField, "b.txt"}}, {}, {"Name schon vorhanden: b.txt"}},
        {"a folder", {"a.jpg"}, {"neu_001.jpg"}, {}, {}, {"Name schon vorhanden: neu_001.jpg"}},
        {"renumbering upward", {"neu_001.jpg", "neu_002.jpg", "neu_003.jpg"}, {}, {{ids::StartField, "2"}}, {},
         {"Name schon vorhanden: neu_002.jpg", "Name schon vorhanden: neu_003.jpg", ""}},
        {"renumbering downward", {"neu_002.jpg", "neu_003.jpg", "neu_004.jpg"}, {}, {}, {}, {"", "", ""}},
        {"downward, a freeing row unticked", {"neu_002.jpg", "neu_003.jpg", "neu_004.jpg"}, {}, {}, {1},
         {"", "", "Name schon vorhanden: neu_003.jpg"}},
        {"the running number wraps", {"a.jpg", "b.jpg", "c.jpg"}, {},
         {{ids::PatternField, "n%nr%.jpg"}, {ids::DigitsField, "1"}, {ids::StartField, "-1"}}, {},
         {"", "", "Name kommt mehrfach vor (Zeilen 1 und 3)"}},
        {"a cycle", {"1_2.jpg", "2_1.jpg"}, {},
         {{ids::OptSwap, "1"}, {ids::SeparatorField, "_"}, {ids::OrderField, "%2%_%1%.%erw%"}}, {},
         {"Name schon vorhanden: 2_1.jpg", "Name schon vorhanden: 1_2.jpg"}},
        {"case only, on a file system that keeps case", {"a.jpg", "A.JPG"}, {}, {{ids::OptCase, "1"}}, {},
         {"", "Name schon vorhanden: A.JPG"}},
        {"invalid characters", {"a.jpg", "b.jpg"}, {}, {{ids::PatternField, "a:%nr%"}}, {1}, {"Ungültiger Name", ""}},
        {"empty and dot names", {"a.jpg", "b.jpg"}, {},
         {{ids::OptRemove, "1"}, {ids::OptRemoveAll, "1"}, {ids::RemoveField, "a.jpg"}}, {}, {"Ungültiger Name", ""}},
        {"names that stay plain", {"a.jpg", "b.jpg"}, {}, {{ids::PatternField, "%dateinamen%"}}, {}, {"", ""}},
        {"the longest name", {"a.jpg", "b.jpg"}, {}, {{ids::PatternField, longest.c_str()}}, {}, {"", ""}},
        {"one byte more", {"a.jpg", "b.jpg"}, {}, {{ids::PatternField, tooLong.c_str()}}, {1},
         {"Name zu lang", ""}},
        {"the product's files are never renamed", {"a.jpg", "quonabix.jpg"}, {}, {{ids::PatternField, "a.jpg"}}, {},
         {"", ""}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string sub = "c" + std::to_string(++n) + "/";
        // Windows keeps no two names that differ in case alone.
        if (platform::PathSeparator == '\\' && c.files.size() == 2 && support::toLower(c.files[0]) == support::toLower(c.files[1]))
            continue;
        dir.folder(sub);
        for (const std::string& f : c.files) dir.file(sub + f);
        for (const std::string& f : c.folders) dir.folder(sub + f);
        const std::pair<int, const char*> defaults[] = {
            {ids::PatternField, "neu_%nr%.%erw%"}, {ids::StartField, "1"}, {ids::StepField, "1"},
            {ids::DigitsField, "3"}, {ids::RemoveField, ""}, {ids::SeparatorField, ""}, {ids::OrderField, ""}};
        for (const auto& [id, text] : defaults) h.setText(id, text);
        h.setState(ids::OptPattern, 1);
        h.setState(ids::OptRemoveStart, 1);
        h.setText(ids::FolderTree, dir.path() + sub);
        h.setText(ids::MaskField, "*.jpg");
        for (const auto& [id, text] : c.fields) {
            if (id == ids::OptSwap || id == ids::OptCase || id == ids::OptRemove || id == ids::OptRemoveAll)
                h.setState(id, 1);
            else
                h.setText(id, text);
        }
        rebuild(engine::ModeFull);
        for (int r : c.unticked) h.setRowState(ids::FileTable, r, 0);
        engine::refreshPreview();
        EXPECT_EQ(marks(), c.marks) << "after the ticks changed";
        rebuild(engine::ModeNames);
        EXPECT_EQ(marks(), c.marks) << "after new names";
        for (int r : c.unticked) EXPECT_TRUE(h.rowGreyed(ids::FileTable, r)) << "row " << r;
    }
}

// 1,200 photos with the default pattern: the three digits wrap at 1,000,
// so from row 1,001 on every name is one an earlier row takes first.
TEST_F(TableTest, DefaultPatternOnMoreThanAThousandPhotosMarksTheRowsFromRow1001On) {
    char name[32];
    for (int i = 1; i <= 1200; ++i) {
        std::snprintf(name, sizeof name, "IMG_%04d.jpg", i);
        dir.file(name);
    }
    rebuild(engine::ModeFull);
    const Names m = marks();
    ASSERT_EQ(m.size(), 1200u);
    for (int r = 0; r < 1200; ++r) {
        const std::string expected =
            r < 1000 ? "" : "Name kommt mehrfach vor (Zeilen " + std::to_string(r - 999) + " und " + std::to_string(r + 1) + ")";
        EXPECT_EQ(m[std::size_t(r)], expected) << "row " << r + 1;
    }
    // Four digits: no row fails, and every mark comes off.
    h.setText(ids::DigitsField, "4");
    rebuild(engine::ModeNames);
    EXPECT_EQ(marks(), Names(1200));
}

// A rebuild of the new names sees what happened in the folder since the
// table was built, from one look at the folder.
TEST_F(TableTest, NewNamesSeeFilesThatWentOrCameSinceTheTableWasBuilt) {
    files({"a.jpg", "b.jpg", "c.jpg"});
    ageFolder(dir.path());
    rebuild(engine::ModeFull);
    EXPECT_EQ(marks(), Names(3));
    std::filesystem::remove(dir.path() + "b.jpg");
    dir.file("neu_003.jpg");
    rebuild(engine::ModeNames);
    EXPECT_EQ(marks(), (Names{"", "Datei nicht mehr vorhanden", "Name schon vorhanden: neu_003.jpg"}));
    engine::previewOn = false;   // the marks stay as the last prediction left them
    rebuild(engine::ModeFull);
    engine::previewOn = true;
    EXPECT_EQ(marks(), Names(3));
    EXPECT_EQ(column(ids::ColCurrent), (Names{"a.jpg", "c.jpg", "neu_003.jpg"}));
}
