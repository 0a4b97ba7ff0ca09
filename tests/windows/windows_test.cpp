// The program on Windows' own files and command interpreter: the undo
// script that cmd.exe runs by hand (drive line, quoted folder, the
// console's code page, "%"), the undo the program runs itself where cmd.exe
// cannot (names beyond that code page, a change of case, long paths, a
// chain), a kill during an action, links and mount points, the names
// Windows refuses or alters, renames that never replace, file times by
// their own date's rule, the date a photo was taken as the imaging
// component reads it, and the settings file as Windows' own tools write
// and read it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "engine/batch.h"
#include "engine/photodate.h"
#include "engine/rename.h"
#include "engine/state.h"
#include "engine/table.h"
#include "engine/texts.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/process.h"
#include "platform/win32/wide.h"
#include "photofiles.h"
#include "support/ids.h"
#include "support/ini.h"
#include "support/values.h"
#include "testutil.h"

namespace {

using Files = std::map<std::string, std::string>;   // name -> content
using Rows = std::vector<std::pair<std::string, std::string>>;   // current -> new name
using Texts = std::vector<std::string>;
using platform::win32::widen;

const std::string AllUndone = "Alle Änderungen rückgängig gemacht !";

// A path for the test's own file calls, at any length.
std::filesystem::path longFs(const std::string& path) { return platform::win32::widePath(path); }

std::string bytesOf(const std::string& path) {
    std::ifstream in(longFs(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Makes a folder and the folders it lies in, at any length of its path.
void makeFolders(const std::string& path) {
    for (std::size_t p = 3; p <= path.size(); ++p)
        if (p == path.size() || platform::isSeparator(path[p]))
            CreateDirectoryW(platform::win32::widePath(path.substr(0, p)).c_str(), nullptr);
}

// What a folder holds, at any length of its path: each file's content,
// "(folder)" for a folder.
Files filesIn(const std::string& folder) {
    Files out;
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(platform::win32::widePath(folder + "*").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        const std::string name = platform::win32::narrow(found.cFileName);
        if (name == "." || name == "..") continue;
        out[name] = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "(folder)" : bytesOf(folder + name);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return out;
}

// A symbolic link as a user makes one: by Windows where the user may;
// under Wine, whose call makes none, as a link of the file system below
// it, made by Linux's ln, which Wine starts and waits for. False where
// neither can.
bool makeLink(const std::string& link, const std::string& target, bool folder) {
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;   // also without the right, in developer mode
    if (CreateSymbolicLinkW(widen(link).c_str(), widen(target).c_str(), flags) && platform::fileExists(link))
        return true;
    using UnixName = char*(CDECL*)(const wchar_t*);
    using Spawn = LONG(CDECL*)(char* const*, int);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    const auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll"), "__wine_unix_spawnvp")));
    if (!unixName || !spawn) return false;
    char* from = unixName(widen(link).c_str());
    char* to = unixName(widen(target).c_str());
    char ln[] = "/bin/ln", symbolic[] = "-s";
    char* const arguments[] = {ln, symbolic, to, from, nullptr};
    if (from && to) spawn(arguments, 1);
    HeapFree(GetProcessHeap(), 0, from);
    HeapFree(GetProcessHeap(), 0, to);
    return platform::fileExists(link);
}

void putRows(platform::WindowSystem& w, const Rows& rows) {
    w.clearRows(ids::FileTable);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        w.addRow(ids::FileTable, -1, rows[i].first + "\n" + rows[i].second + "\n");
        w.setRowState(ids::FileTable, int(i), platform::RowTicked);
    }
}

class WindowsTest : public ::testing::Test {
protected:
    platform::HeadlessWindowSystem h;
    testutil::TempDir folder;
    const std::string temp = folder.path() + "temp\\";
    std::string dir;

    void SetUp() override {
        makeFolders(temp);
        platform::useWindowSystem(&h);
        ASSERT_TRUE(app::OeffnenHauptfenster());
        h.enable(ids::UndoButton, false);
        support::TempVerzeichnis = temp;
        engine::DateiListe.clear();
        engine::RenameErfolgt = 0;
        engine::UndoDatei.clear();
    }
    void TearDown() override { platform::useWindowSystem(nullptr); }

    void useFolder(const std::string& name, const Files& files) {
        dir = folder.path() + name;
        makeFolders(dir);
        for (const auto& [file, content] : files) std::ofstream(longFs(dir + file), std::ios::binary) << content;
        h.setText(ids::FolderTree, dir);
    }
    Files files() { return filesIn(dir); }
    // Rows as the table shows them, all ticked.
    void setRows(const Rows& rows) { putRows(h, rows); }
    // The table as the program builds it for the folder, with the pattern.
    void buildTable(const char* mask) {
        const std::pair<int, const char*> fields[] = {
            {ids::MaskField, mask}, {ids::PatternField, "neu_%nr%.%erw%"}, {ids::StartField, "1"},
            {ids::StepField, "1"}, {ids::DigitsField, "3"}, {ids::RemoveField, ""}};
        for (const auto& [id, text] : fields) h.setText(id, text);
        h.setState(ids::OptPattern, 1);
        h.setState(ids::OptRemoveStart, 1);
        engine::NeuAufbauen(engine::ModeFull, engine::DateiListe);
    }
    Texts boxTexts() {
        Texts out;
        for (const auto& b : h.shownBoxes()) out.push_back(b.text);
        return out;
    }
};

// Umlauts, "%" and "&" in names and in the folder: the script runs in
// cmd.exe by hand, as the program's own undo and as quonabix-undo.exe
// runs it, and each way puts every file back.
TEST_F(WindowsTest, TheUndoScriptRunsInCmdAsInTheProgramAndEveryNameComesBack) {
    const Files before{{"Bäume ü.jpg", "1"}, {"x%y.jpg", "2"}, {"a&b.jpg", "3"}};
    useFolder("Fotos & 100% schön\\", before);
    for (const char* way : {"cmd.exe", "Rückgängig", "quonabix-undo.exe"}) {
        SCOPED_TRACE(way);
        h.clearBoxes();
        setRows({{"Bäume ü.jpg", "neu_1.jpg"}, {"x%y.jpg", "100%%.jpg"}, {"a&b.jpg", "c&d ß.jpg"}});
        engine::RenameAusfuehren();
        EXPECT_EQ(files(), (Files{{"neu_1.jpg", "1"}, {"100%%.jpg", "2"}, {"c&d ß.jpg", "3"}}));

        // The drive line, the folder in quotes, the console's code page.
        const std::string script = platform::fromScriptBytes(bytesOf(engine::UndoDatei));
        const std::string lines = dir.substr(0, 2) + "\r\ncd \"" + engine::batchEscape(dir) + "\"\r\n";
        EXPECT_EQ(script.substr(0, lines.size()), lines);
        EXPECT_NE(script.find("ren \"100%%%%.jpg\" \"x%%y.jpg\"\r\n"), std::string::npos) << script;
        EXPECT_EQ(script.find("chcp"), std::string::npos) << "every name is in the console's code page";
        EXPECT_EQ(platform::toScriptBytes(script), bytesOf(engine::UndoDatei));

        if (way == std::string("cmd.exe")) {
            EXPECT_EQ(platform::runProgram("cmd.exe", "/c call \"" + engine::UndoDatei + "\"", temp), 0);
        } else if (way == std::string("Rückgängig")) {
            engine::RenameRueckgaengig();
            EXPECT_EQ(boxTexts(), Texts{AllUndone});
            EXPECT_FALSE(h.isEnabled(ids::UndoButton));
        } else {
            // By hand, from a path with umlauts.
            std::filesystem::copy_file(longFs(engine::UndoDatei), longFs(temp + "Rückgängig.bat"));
            EXPECT_EQ(platform::runProgram(QUONABIX_UNDO, "\"" + temp + "Rückgängig.bat\"", temp), 0);
        }
        EXPECT_EQ(files(), before);
    }
    const std::string log = bytesOf(temp + "undo_quonabix.log");
    EXPECT_NE(log.find(".Datei.:"), log.rfind(".Datei.:")) << "each action follows the one before in the log";
}

// What cmd.exe cannot put back, the button does: a chain whose names a
// later line gives back, names beyond the console's code page, a change
// of case, a path longer than 260 characters. It says so, and only then.
TEST_F(WindowsTest, TheButtonUndoesWhatCmdCannot) {
    const std::string longFolder = std::string(120, 'l') + "\\" + std::string(120, 'm') + "\\";
    const struct {
        const char* what;
        std::string folder;
        Files before;
        Rows rows;
        Files after;
    } cases[] = {
        {"a renumbering chain", "kette\\", {{"neu_001.jpg", "1"}, {"neu_002.jpg", "2"}, {"x.jpg", "x"}},
         {{"neu_001.jpg", "neu_000.jpg"}, {"neu_002.jpg", "neu_001.jpg"}, {"x.jpg", "neu_002.jpg"}},
         {{"neu_000.jpg", "1"}, {"neu_001.jpg", "2"}, {"neu_002.jpg", "x"}}},
        {"names beyond the console's code page", "unicode\\",
         {{"日本.jpg", "1"}, {"€.jpg", "2"}, {"Ω.jpg", "3"}, {"ä.jpg", "4"}},
         {{"日本.jpg", "1.jpg"}, {"€.jpg", "2.jpg"}, {"Ω.jpg", "Ωmega.jpg"}, {"ä.jpg", "ä€.jpg"}},
         {{"1.jpg", "1"}, {"2.jpg", "2"}, {"Ωmega.jpg", "3"}, {"ä€.jpg", "4"}}},
        {"a change of case", "fall\\", {{"Foto.JPG", "1"}, {"Ärger.jpg", "2"}},
         {{"Foto.JPG", "foto.jpg"}, {"Ärger.jpg", "ärger.JPG"}}, {{"foto.jpg", "1"}, {"ärger.JPG", "2"}}},
        {"a path over 260 characters", longFolder, {{"a.jpg", "1"}}, {{"a.jpg", std::string(40, 'n') + ".jpg"}},
         {{std::string(40, 'n') + ".jpg", "1"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        h.clearBoxes();
        useFolder(c.folder, c.before);
        setRows(c.rows);
        engine::RenameAusfuehren();
        EXPECT_EQ(files(), c.after);
        EXPECT_TRUE(h.isEnabled(ids::UndoButton));
        engine::RenameRueckgaengig();
        EXPECT_EQ(files(), c.before);
        EXPECT_EQ(boxTexts(), Texts{AllUndone});
        EXPECT_FALSE(h.isEnabled(ids::UndoButton));
    }
}

// A name taken in the meantime: that file cannot come back, and the
// program lists the line instead of claiming the undo succeeded. Once the
// name is free, "Rückgängig" runs that line alone and then says it is done.
TEST_F(WindowsTest, AFailedLineIsReportedAndRunsAgainOnceItsCauseIsGone) {
    useFolder("f\\", {{"a.jpg", "A"}, {"b.jpg", "B"}});
    setRows({{"a.jpg", "1.jpg"}, {"b.jpg", "2.jpg"}});
    engine::RenameAusfuehren();
    std::ofstream(longFs(dir + "a.jpg")) << "taken";
    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"a.jpg", "taken"}, {"1.jpg", "A"}, {"b.jpg", "B"}}));
    ASSERT_EQ(h.shownBoxes().size(), 1u);
    EXPECT_NE(h.shownBoxes()[0].text.find(dir + "1.jpg => a.jpg"), std::string::npos) << h.shownBoxes()[0].text;
    EXPECT_TRUE(h.isEnabled(ids::UndoButton)) << "the line may run again";
    std::filesystem::remove(longFs(dir + "a.jpg"));
    h.clearBoxes();
    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"a.jpg", "A"}, {"b.jpg", "B"}}));
    EXPECT_EQ(boxTexts(), Texts{AllUndone});
    EXPECT_FALSE(h.isEnabled(ids::UndoButton));
}

// The program dies after its n-th row, as by a kill: no destructor runs,
// nothing is flushed or closed by the program.
class DyingWindowSystem : public platform::HeadlessWindowSystem {
public:
    explicit DyingWindowSystem(int rows) : rows_(rows) {}
    void setCell(int id, int row, int column, const std::string& text) override {
        HeadlessWindowSystem::setCell(id, row, column, text);
        if (column == ids::ColStatus && !text.empty() && --rows_ == 0) TerminateProcess(GetCurrentProcess(), 9);
    }

private:
    int rows_;
};

// Killed during a renumbering (this test program runs itself for that, as
// the action's process): quonabix-undo.exe --log brings every name back.
TEST_F(WindowsTest, KillDuringARenumberingIsTakenBackByTheUndoToolFromTheLog) {
    const int total = 150;
    auto numbered = [](int i) {
        char name[32];
        std::snprintf(name, sizeof name, "neu_%03d.jpg", i);
        return std::string(name);
    };
    Rows rows;
    Files before;
    for (int i = 1; i <= total; ++i) {
        rows.push_back({numbered(i), numbered(i - 1)});
        before[numbered(i)] = "photo " + std::to_string(i);
    }
    const std::string dieAt = platform::environmentValue("QBX_DIE_AT");
    if (!dieAt.empty()) {   // the action's process
        DyingWindowSystem dying(std::stoi(dieAt));
        platform::useWindowSystem(&dying);
        ASSERT_TRUE(app::OeffnenHauptfenster());
        support::TempVerzeichnis = platform::environmentValue("QBX_TEMP");
        dying.setText(ids::FolderTree, platform::environmentValue("QBX_FOLDER"));
        putRows(dying, rows);
        engine::RenameAusfuehren();
        return;
    }
    const testing::TestInfo* self = testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + self->test_suite_name() + "." + self->name();
    for (int n : {1, 77, total - 1}) {
        SCOPED_TRACE("killed after row " + std::to_string(n));
        useFolder("kill" + std::to_string(n) + "\\", before);
        SetEnvironmentVariableW(L"QBX_DIE_AT", std::to_wstring(n).c_str());
        SetEnvironmentVariableW(L"QBX_TEMP", widen(temp).c_str());
        SetEnvironmentVariableW(L"QBX_FOLDER", widen(dir).c_str());
        EXPECT_EQ(platform::runProgram(platform::programPath(), filter, temp), 9);
        SetEnvironmentVariableW(L"QBX_DIE_AT", nullptr);
        const Files atKill = files();
        EXPECT_EQ(atKill.count(numbered(n - 1)) + atKill.count(numbered(n + 1)), 2u) << "killed midway";
        EXPECT_EQ(atKill.count(numbered(n)), 0u) << "killed midway";
        EXPECT_EQ(platform::runProgram(QUONABIX_UNDO, "--log \"" + temp + "undo_quonabix.log\"", temp), 0);
        EXPECT_EQ(files(), before);
    }
}

// A link or junction to a folder is no row and never renamed, whatever
// names it is given; a link to a file is renamed as the link itself, or,
// where Windows cannot tell it from its target (a link of the file system
// below Wine), refused: the file it leads to never moves.
TEST_F(WindowsTest, LinksToFoldersAreNoRowsAndALinkToAFileNeverMovesItsTarget) {
    useFolder("elsewhere\\Urlaub\\", {{"p.jpg", "P"}});
    const std::string urlaub = dir;
    useFolder("elsewhere\\", {{"ziel.jpg", "Z"}});
    const std::string elsewhere = dir;
    useFolder("f\\", {{"a.jpg", "A"}});
    if (!makeLink(dir + "Urlaub", urlaub, true) || !makeLink(dir + "link.jpg", elsewhere + "ziel.jpg", false))
        GTEST_SKIP() << "no symbolic links here: Windows without the right to make them";
    buildTable("*.*");
    EXPECT_EQ(testutil::column(h, ids::ColCurrent), (Texts{"a.jpg", "link.jpg"}));
    engine::RenameAusfuehren();
    const int dirHandle = platform::openDirForRename(dir);
    EXPECT_EQ(platform::renameNoReplaceAt(dirHandle, "Urlaub", "neu_003"), platform::RenameResult::NotAFile);
    platform::closeDirForRename(dirHandle);
    EXPECT_EQ(filesIn(urlaub), (Files{{"p.jpg", "P"}}));
    EXPECT_EQ(bytesOf(elsewhere + "ziel.jpg"), "Z");
    const bool asLink = platform::fileExists(dir + "neu_002.jpg");
    EXPECT_NE(asLink, platform::fileExists(dir + "link.jpg"));
    if (!asLink) {
        EXPECT_EQ(h.getCell(ids::FileTable, 1, ids::ColStatus), engine::text::StatusFailed);
    }
    engine::RenameRueckgaengig();
    EXPECT_TRUE(platform::fileExists(dir + "a.jpg") && platform::fileExists(dir + "link.jpg"));
    EXPECT_TRUE(platform::isDirectory(dir + "Urlaub"));
    EXPECT_EQ(filesIn(urlaub), (Files{{"p.jpg", "P"}}));
    EXPECT_EQ(bytesOf(elsewhere + "ziel.jpg"), "Z");
}

// A name Windows refuses (its device names, with any ending, in any case)
// or alters (a last dot) is marked before Rename, with its reason, and
// Rename leaves that file as it is, asking once for each.
TEST_F(WindowsTest, NamesWindowsRefusesOrAltersAreMarkedAndNeverRenamed) {
    const std::string refused = "Windows erlaubt diesen Namen nicht", altered = "Windows entfernt den Punkt am Ende";
    const struct {
        const char* what;
        std::map<std::string, std::string> marks;   // current name -> its mark
        bool removeUnderscores;                     // else the default pattern
    } cases[] = {
        {"the default pattern on a file without ending", {{"bild", altered}, {"foto.jpg", ""}}, false},
        {"device names",
         {{"CON_.jpg", refused}, {"nul_", refused}, {"Com1_.txt", refused}, {"lpt9_.tar.gz", refused},
          {"AUX _.jpg", refused}, {"COM0_.jpg", ""}, {"CONSOLE_", ""}},
         true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Files before;
        for (const auto& [name, mark] : c.marks) before[name] = name;
        useFolder("n" + std::to_string(++n) + "\\", before);
        buildTable("*");
        if (c.removeUnderscores) {
            h.setState(ids::OptRemove, 1);
            h.setState(ids::OptRemoveAll, 1);
            h.setText(ids::RemoveField, "_");
            engine::NeuAufbauen(engine::ModeNames, engine::DateiListe);
        }
        std::map<std::string, std::string> marks;
        for (int r = 0; r < h.countRows(ids::FileTable); ++r)
            marks[h.getCell(ids::FileTable, r, ids::ColCurrent)] =
                h.rowMark(ids::FileTable, r) == platform::RowMark::Warning ? h.rowMarkText(ids::FileTable, r) : "";
        EXPECT_EQ(marks, c.marks);
        h.clearBoxes();
        engine::RenameAusfuehren();
        std::size_t refusedRows = 0;
        for (int r = 0; r < h.countRows(ids::FileTable); ++r) {
            const std::string name = h.getCell(ids::FileTable, r, ids::ColCurrent);
            const bool marked = !c.marks.at(name).empty();
            refusedRows += marked;
            EXPECT_EQ(h.getCell(ids::FileTable, r, ids::ColStatus),
                      marked ? engine::text::StatusFailed : engine::text::StatusOk) << name;
            EXPECT_EQ(files().count(name), marked ? 1u : 0u) << name;
        }
        EXPECT_EQ(h.shownBoxes().size(), refusedRows);
    }
}

// "." and ".." of a mount point carry its reparse mark: they are folders
// all the same, never rows.
TEST_F(WindowsTest, AMountPointShowsNoDotRows) {
    const std::string mountPoint = "Z:\\dev\\shm\\";   // under Wine: the tmpfs of Linux
    const DWORD a = GetFileAttributesW(widen(mountPoint).c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_REPARSE_POINT)) GTEST_SKIP() << "no mount point to list";
    h.setText(ids::FolderTree, mountPoint);
    buildTable("*");
    for (const std::string& name : testutil::column(h, ids::ColCurrent)) EXPECT_TRUE(name != "." && name != "..");
    const int list = platform::openDirList(mountPoint);
    std::string name;
    platform::EntryKind kind;
    while (platform::nextDirEntry(list, name, kind))
        if (name == "." || name == "..") {
            EXPECT_EQ(kind, platform::EntryKind::Directory) << name;
        }
    platform::closeDirList(list);
}

// The steps in order, in a short folder and in one whose paths are longer
// than 260 characters: no file is ever replaced, no folder renamed, two
// names of one file stay two names, and a change of case happens in place.
TEST(WindowsFiles, RenameNeverReplacesAndChangesCaseInPlace) {
    testutil::TempDir d;
    using platform::RenameResult;
    const struct {
        const char* from;
        const char* to;
        RenameResult result;
    } steps[] = {
        {"a.jpg", "b.jpg", RenameResult::TargetExists},
        {"gone.jpg", "c.jpg", RenameResult::SourceMissing},
        {"b2.jpg", "b.jpg", RenameResult::TargetExists},   // b2.jpg is a second name of b.jpg
        {"b.jpg", "B2.JPG", RenameResult::TargetExists},
        {"sub", "neu", RenameResult::NotAFile},
        {"a.jpg", "A.JPG", RenameResult::Ok},
        {"b2.jpg", "c.jpg", RenameResult::Ok},
    };
    const std::string longName = std::string(130, 'l') + "\\" + std::string(130, 'm') + "\\";
    for (const std::string& where : {d.path() + "kurz\\", d.path() + longName}) {
        SCOPED_TRACE(where.size());
        makeFolders(where + "sub");
        std::ofstream(longFs(where + "a.jpg")) << "A";
        std::ofstream(longFs(where + "b.jpg")) << "B";
        ASSERT_TRUE(CreateHardLinkW(platform::win32::widePath(where + "b2.jpg").c_str(),
                                    platform::win32::widePath(where + "b.jpg").c_str(), nullptr));
        const int h = platform::openDirForRename(where);
        ASSERT_NE(h, 0);
        for (const auto& s : steps)
            EXPECT_EQ(platform::renameNoReplaceAt(h, s.from, s.to), s.result) << s.from << " => " << s.to;
        platform::closeDirForRename(h);
        EXPECT_EQ(filesIn(where), (Files{{"A.JPG", "A"}, {"b.jpg", "B"}, {"c.jpg", "B"}, {"sub", "(folder)"}}));
    }
}

// A photo of a summer noon keeps its hour in winter: the local time of the
// file's own date, not shifted by today's daylight saving.
TEST(WindowsFiles, FileTimesAreTheLocalTimeOfTheirOwnDate) {
    testutil::TempDir d;
    const std::string path = d.file("sommer.jpg");
    SYSTEMTIME local{2024, 7, 0, 15, 12, 30, 0, 0}, utc;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    FILETIME written;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &written));
    const HANDLE f = CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    SetFileTime(f, nullptr, nullptr, &written);
    CloseHandle(f);
    platform::LocalTime t;
    ASSERT_TRUE(platform::fileTime(path, platform::FileTimeKind::Modification, t));
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
              (std::vector<int>{2024, 7, 15, 12, 30, 0}));
}

// The imaging component hands back the EXIF text as the file holds it,
// DateTimeOriginal before DateTimeDigitized, of a JPEG and a TIFF.
TEST(WindowsFiles, DateTakenIsTheTextTheImagingComponentReads) {
    using namespace testutil::photo;
    if (const char* why = noDatesHere()) GTEST_SKIP() << why;
    testutil::TempDir d;
    const std::string jpg = d.file("Jörg.jpg", jpeg(tiff(Exif("2023:07:08 05:11:42", "2023:07:09 00:00:00"))));
    const std::string tif = d.file("scan.tif", tiff(Exif("", "1999:12:31 23:59:59").bigEndian(), true));
    EXPECT_EQ(platform::photoTakenText(jpg), "2023:07:08 05:11:42");
    EXPECT_EQ(platform::photoTakenText(tif), "1999:12:31 23:59:59");
    EXPECT_EQ(platform::photoTakenText(d.file("text.jpg", "no photo")), "");
    platform::LocalTime t;
    EXPECT_TRUE(engine::photoTaken(jpg, t));
    EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
              (std::vector<int>{2023, 7, 8, 5, 11, 42}));
}

// What the program writes, Windows' own profile functions read back as
// the same value, umlauts included, and the other way round.
TEST(WindowsFiles, SettingsFileIsReadBackByTheProfileFunctions) {
    testutil::TempDir d;
    const std::string ini = d.path() + "quonabix.ini";
    for (const std::string& value : {std::string("C:\\Bilder\\Jörg\\"), std::string("*.jpg"),
                                    std::string("日本 €")}) {
        SCOPED_TRACE(value);
        ASSERT_EQ(support::yIniWrite("Standard", "Start-Verzeichnis", value, ini), 1);
        wchar_t read[512] = {};
        GetPrivateProfileStringW(L"Standard", L"Start-Verzeichnis", L"", read, 512, widen(ini).c_str());
        EXPECT_EQ(platform::win32::narrow(read), value);
    }
    WritePrivateProfileStringW(L"Standard", L"Maske", L"Grüße*.jpg", widen(ini).c_str());
    EXPECT_EQ(support::yIniRead("Standard", "Maske", ini, ""), "Grüße*.jpg");
    // Saved by Notepad, in UTF-8 without the mark: read as written, and so
    // it stays when the program saves another value beside it.
    for (const std::string& value : {std::string("C:\\Bilder\\Jörg\\"), std::string("D:\\日本 €\\")}) {
        SCOPED_TRACE(value);
        std::ofstream(longFs(ini), std::ios::binary) << "[Standard]\r\nStart-Verzeichnis=" << value << "\r\n";
        EXPECT_EQ(support::yIniRead("Standard", "Start-Verzeichnis", ini, ""), value);
        ASSERT_EQ(support::yIniWrite("Standard", "Maske", "*.jpg", ini), 1);
        EXPECT_EQ(support::yIniRead("Standard", "Start-Verzeichnis", ini, ""), value);
        wchar_t read[512] = {};
        GetPrivateProfileStringW(L"Standard", L"Start-Verzeichnis", L"", read, 512, widen(ini).c_str());
        EXPECT_EQ(platform::win32::narrow(read), value);
    }
}

}  // namespace
