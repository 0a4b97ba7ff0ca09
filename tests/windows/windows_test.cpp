// The program on Windows' own files and command interpreter: the undo
// script that cmd.exe runs (drive line, quoted folder, the console's code
// page, "%"), renames that never replace, file times by their own date's
// rule, the date a photo was taken as the imaging component reads it, and
// the settings file as the profile functions of Windows read it.
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
using platform::win32::widen;
using testutil::fsPath;
using testutil::utf8;

class WindowsTest : public ::testing::Test {
protected:
    platform::HeadlessWindowSystem h;
    testutil::TempDir folder;
    const std::string temp = folder.path() + "temp\\";
    std::string dir;

    void SetUp() override {
        std::filesystem::create_directories(fsPath(temp));
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
        std::filesystem::create_directories(fsPath(dir));
        for (const auto& [file, content] : files) std::ofstream(fsPath(dir + file), std::ios::binary) << content;
        h.setText(ids::FolderTree, dir);
    }
    Files files() {
        Files out;
        for (const auto& e : std::filesystem::directory_iterator(fsPath(dir))) {
            std::ifstream in(e.path(), std::ios::binary);
            out[utf8(e.path().filename())] = std::string(std::istreambuf_iterator<char>(in), {});
        }
        return out;
    }
    // Rows as the table shows them, all ticked.
    void setRows(const std::vector<std::pair<std::string, std::string>>& rows) {
        h.clearRows(ids::FileTable);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            h.addRow(ids::FileTable, -1, rows[i].first + "\n" + rows[i].second + "\n");
            h.setRowState(ids::FileTable, int(i), platform::RowTicked);
        }
    }
    static std::string bytesOf(const std::string& path) {
        std::ifstream in(fsPath(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> boxTexts() {
        std::vector<std::string> out;
        for (const auto& b : h.shownBoxes()) out.push_back(b.text);
        return out;
    }
};

// Umlauts, "%" and "&" in names and in the folder: the script cmd.exe runs
// puts every file back, and the program says so only when it did.
TEST_F(WindowsTest, CmdRunsTheUndoScriptAndEveryNameComesBack) {
    const Files before{{"Bäume ü.jpg", "1"}, {"x%y.jpg", "2"}, {"a&b.jpg", "3"}};
    useFolder("Fotos & 100% schön\\", before);
    setRows({{"Bäume ü.jpg", "neu_1.jpg"}, {"x%y.jpg", "100%%.jpg"}, {"a&b.jpg", "c&d ß.jpg"}});
    engine::RenameAusfuehren();
    EXPECT_EQ(files(), (Files{{"neu_1.jpg", "1"}, {"100%%.jpg", "2"}, {"c&d ß.jpg", "3"}}));

    // The drive line, the folder in quotes, the console's code page.
    const std::string script = platform::fromScriptBytes(bytesOf(engine::UndoDatei));
    const std::string lines = dir.substr(0, 2) + "\r\ncd \"" + engine::batchEscape(dir) + "\"\r\n";
    EXPECT_EQ(script.substr(0, lines.size()), lines);
    EXPECT_NE(script.find("ren \"100%%%%.jpg\" \"x%%y.jpg\"\r\n"), std::string::npos) << script;
    EXPECT_EQ(platform::toScriptBytes(script), bytesOf(engine::UndoDatei));
    EXPECT_EQ(bytesOf(temp + "undo_quonabix.log").find(lines), bytesOf(temp + "undo_quonabix.log").rfind(lines));

    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), before);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Alle Änderungen rückgängig gemacht !"});
    EXPECT_FALSE(h.isEnabled(ids::UndoButton));

    // Once more, undone by hand: quonabix-undo.exe takes a path with umlauts.
    engine::RenameAusfuehren();
    ASSERT_NE(files(), before);
    const std::string log = bytesOf(temp + "undo_quonabix.log");
    EXPECT_NE(log.find(".Datei.:"), log.rfind(".Datei.:")) << "the second action follows the first in the log";
    std::filesystem::copy_file(fsPath(engine::UndoDatei), fsPath(temp + "Rückgängig.bat"));
    EXPECT_EQ(platform::runProgram(QUONABIX_UNDO, "\"" + temp + "Rückgängig.bat\"", temp), 0);
    EXPECT_EQ(files(), before);
}

// A name taken in the meantime: cmd.exe cannot put that file back, and the
// program lists the line instead of claiming the undo succeeded. A change
// of case that the interpreter left undone is such a line too.
TEST_F(WindowsTest, AFailedLineOfCmdIsReportedAndMayRunAgain) {
    useFolder("f\\", {{"a.jpg", "A"}, {"b.jpg", "B"}});
    setRows({{"a.jpg", "1.jpg"}, {"b.jpg", "2.jpg"}});
    engine::RenameAusfuehren();
    std::ofstream(fsPath(dir + "a.jpg")) << "taken";
    engine::RenameRueckgaengig();
    EXPECT_EQ(files(), (Files{{"a.jpg", "taken"}, {"1.jpg", "A"}, {"b.jpg", "B"}}));
    ASSERT_EQ(h.shownBoxes().size(), 1u);
    EXPECT_NE(h.shownBoxes()[0].text.find(dir + "1.jpg => a.jpg"), std::string::npos) << h.shownBoxes()[0].text;
    std::ofstream(fsPath(dir + "Ö.JPG")) << "Ö";
    std::ofstream(fsPath(temp + "case.bat")) << platform::toScriptBytes(engine::directoryLines(dir) +
                                                                       "ren \"Ö.JPG\" \"ö.jpg\"\r\n");
    const engine::BatchResult r = engine::startCommand("cmd.exe", "/c call \"" + temp + "case.bat\"", temp);
    EXPECT_EQ(r.failures.empty(), files().count("ö.jpg") == 1) << "said done only where it is done";
    EXPECT_TRUE(h.isEnabled(ids::UndoButton)) << "the line may run again";
}

TEST(WindowsFiles, RenameNeverReplacesAndChangesCaseInPlace) {
    testutil::TempDir d;
    d.file("a.jpg", "A");
    d.file("b.jpg", "B");
    const int h = platform::openDirForRename(d.path());
    ASSERT_NE(h, 0);
    EXPECT_EQ(platform::renameNoReplaceAt(h, "a.jpg", "b.jpg"), platform::RenameResult::TargetExists);
    EXPECT_EQ(platform::renameNoReplaceAt(h, "gone.jpg", "c.jpg"), platform::RenameResult::SourceMissing);
    EXPECT_EQ(platform::renameNoReplaceAt(h, "a.jpg", "A.JPG"), platform::RenameResult::Ok);
    platform::closeDirForRename(h);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(fsPath(d.path()))) names.push_back(utf8(e.path().filename()));
    EXPECT_EQ(names, (std::vector<std::string>{"A.JPG", "b.jpg"}));
    std::ifstream in(fsPath(d.path() + "b.jpg"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "B");
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
}

}  // namespace
