// The rename action and its undo on real file systems other than the one
// the tests run on: exFAT, FAT32 and NTFS (once as it is, once ignoring
// case), each a small image mounted through its FUSE program for one case
// (tests/posix/mountedimage.h). One table of file systems, every case run
// on each; where this machine cannot mount one, its cases are skipped with
// the reason.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "engine/preview.h"
#include "engine/rename.h"
#include "engine/state.h"
#include "engine/table.h"
#include "engine/texts.h"
#include "mountedimage.h"
#include "platform/headless/headless.h"
#include "platform/process.h"
#include "support/ids.h"
#include "support/values.h"
#include "testutil.h"

namespace fs = std::filesystem;
using testutil::Files;
using Rows = std::vector<std::pair<std::string, std::string>>;   // current -> new name
using Texts = std::vector<std::string>;

namespace {

struct FileSystem {
    const char* testName;
    testfs::ImageFormat format;
    bool ignoresCase;
    // lowntfs-3g with ignore_case lists every name in lower case; another
    // mount shows the names as they are stored.
    bool listsLowerCase;
    std::vector<std::string> storedNamesMount;
    // Files of the renumbering that is killed: FUSE programs differ in
    // speed by a factor of a hundred (fusefat takes milliseconds a file,
    // more the fuller the folder: 200 files take it seconds).
    int killFiles;
};

const FileSystem fileSystems[] = {
    {"Exfat", {"exFAT", {"mkfs.exfat"}, {"mount.exfat-fuse", "{image}", "{dir}"}, 8, true},
     true, false, {}, 300},
    {"Fat32", {"FAT32", {"mkfs.vfat", "-F", "32"}, {"fusefat", "-o", "rw+", "{image}", "{dir}"}, 40, false},
     true, false, {}, 40},
    {"Ntfs", {"NTFS", {"mkntfs", "-F", "-Q"}, {"ntfs-3g", "{image}", "{dir}"}, 8, false}, false, false, {}, 300},
    {"NtfsIgnoringCase",
     {"NTFS ignoring case", {"mkntfs", "-F", "-Q"}, {"lowntfs-3g", "-o", "ignore_case", "{image}", "{dir}"}, 8, false},
     true, true, {"ntfs-3g", "-o", "ro", "{image}", "{dir}"}, 150},
};

void PrintTo(const FileSystem& f, std::ostream* out) { *out << f.format.name; }

// The start of a long report.
std::string firstLines(const std::string& text, int lines) {
    std::size_t end = 0;
    for (int i = 0; i < lines && end != std::string::npos; ++i) end = text.find('\n', end + (i > 0));
    return end == std::string::npos ? text : text.substr(0, end) + "\n...";
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class FileSystemTest : public ::testing::TestWithParam<FileSystem> {
protected:
    platform::HeadlessWindowSystem h;
    testutil::TempDir folder;
    // The undo files stay on the disk the tests run on, as TEMP would.
    const std::string root = folder.path(), temp = root + "temp/";
    std::unique_ptr<testfs::MountedImage> image;
    std::string dir;

    void SetUp() override {
        fs::create_directories(temp);
        fs::create_directories(root + "image/");
        // The mount table is read once before the image is mounted: the
        // rules of the image's folders must come from the table after it.
        platform::nameRules(root);
        image = std::make_unique<testfs::MountedImage>(GetParam().format, root + "image/");
        if (!image->mounted()) GTEST_SKIP() << image->why();
        testutil::prepareRenameAction(h, temp);
        useFolder("photos/");
    }
    void TearDown() override {
        platform::setNowSource({});
        platform::useWindowSystem(nullptr);
        image.reset();
    }
    void useFolder(const std::string& name) {
        dir = image->dir() + name;
        fs::create_directories(dir);
        h.setText(ids::FolderTree, dir);
    }
    void fill(const Files& files) { testutil::fillFolder(dir, files); }
    static std::string read(const std::string& path) { return testutil::readFile(testutil::fsPath(path)); }
    Files files() { return testutil::folderFiles(dir); }
    // The names as the file system lists them.
    Files listed(const Files& stored) {
        if (!GetParam().listsLowerCase) return stored;
        Files out;
        for (const auto& [name, content] : stored) out[lower(name)] = content;
        return out;
    }
    // The names as stored: where the listing changes them, seen through a
    // mount that does not. The folder is another one after that (a new
    // mount), so only the undo script may follow, not the undo button.
    Texts storedNames() {
        if (!GetParam().storedNamesMount.empty()) {
            EXPECT_TRUE(image->remount(GetParam().storedNamesMount)) << image->why();
        }
        Texts names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        if (!GetParam().storedNamesMount.empty()) {
            EXPECT_TRUE(image->remount()) << image->why();
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    void rebuild() { engine::NeuAufbauen(engine::ModeFull, engine::DateiListe); }
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
    Texts column(int col) { return testutil::column(h, col); }
    Texts boxTexts() {
        Texts out;
        for (const auto& b : h.shownBoxes()) out.push_back(b.text);
        return out;
    }
    // The first message box, to say why there was one.
    std::string firstBox() { return h.shownBoxes().empty() ? "" : h.shownBoxes().front().text; }
    // quonabix-undo run as a user runs it, with TEMP in the test's folder:
    // its exit code and what it printed.
    struct Run { int code; std::string out, err; };
    Run undoTool(const std::vector<std::string>& args) {
        std::string command = "cd '" + root + "' && TEMP='" + temp + "' '" QUONABIX_UNDO "'";
        for (const std::string& a : args) command += " '" + a + "'";
        command += " >'" + root + "out' 2>'" + root + "err'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(root + "out"), read(root + "err")};
    }
    static std::string numbered(int i) {
        char name[32];
        std::snprintf(name, sizeof name, "neu_%03d.jpg", i);
        return name;
    }
    // Twenty photos and a file the mask leaves out.
    static Files photos() {
        Files out{{"notes.txt", "N"}};
        for (int i = 1; i <= 20; ++i) out["img_" + std::to_string(100 + i) + ".jpg"] = "photo " + std::to_string(i);
        return out;
    }
    static Files renamedPhotos() {
        Files out{{"notes.txt", "N"}};
        for (int i = 1; i <= 20; ++i) out[numbered(i)] = "photo " + std::to_string(i);
        return out;
    }
};

const std::string AllUndone = engine::text::AllUndone;

}  // namespace

TEST_P(FileSystemTest, PatternRenameAndTheUndoButtonBringEveryNameBack) {
    fill(photos());
    rebuild();
    ASSERT_EQ(h.countRows(ids::FileTable), 20);
    engine::RenameAusfuehren();
    EXPECT_EQ(column(ids::ColStatus), Texts(20, "Ok"));
    EXPECT_EQ(h.shownBoxes().size(), 0u) << firstBox();
    EXPECT_EQ(files(), renamedPhotos());
    ASSERT_TRUE(h.isEnabled(ids::UndoButton));
    h.clearBoxes();
    engine::RenameRueckgaengig();
    EXPECT_EQ(boxTexts(), Texts{AllUndone});
    EXPECT_EQ(files(), photos());
}

TEST_P(FileSystemTest, UndoScriptRunByQuonabixUndoBringsEveryNameBack) {
    fill(photos());
    rebuild();
    engine::RenameAusfuehren();
    ASSERT_EQ(files(), renamedPhotos());
    const Run r = undoTool({engine::UndoDatei});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, AllUndone + "\n");
    EXPECT_EQ(files(), photos());
}

// A change of letter case alone: on a file system that ignores case the
// new name is the file's own; lowntfs-3g even reports success for a plain
// rename that changes nothing.
TEST_P(FileSystemTest, CaseOnlyRenameAndItsUndo) {
    const Files before{{"a.jpg", "A"}, {"b.jpg", "B"}};
    fill(before);
    setRows({{"a.jpg", "A.JPG"}});
    engine::RenameAusfuehren();
    EXPECT_EQ(column(ids::ColStatus), Texts{"Ok"});
    EXPECT_EQ(h.shownBoxes().size(), 0u) << firstBox();
    EXPECT_EQ(files(), listed({{"A.JPG", "A"}, {"b.jpg", "B"}}));
    EXPECT_EQ(storedNames(), (Texts{"A.JPG", "b.jpg"}));
    const Run r = undoTool({engine::UndoDatei});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(files(), before);
    EXPECT_EQ(storedNames(), (Texts{"a.jpg", "b.jpg"}));
}

// "a.jpg" becomes "neu_001.jpg" while "NEU_001.JPG" stays (its row is not
// ticked): where case is ignored that is the other file's name, so the
// preview marks the row and Rename refuses it; elsewhere both live side
// by side.
TEST_P(FileSystemTest, NameOfAnotherFileIgnoringCaseIsMarkedAndRefused) {
    const bool clash = GetParam().ignoresCase;
    const Files before = listed({{"a.jpg", "A"}, {"NEU_001.JPG", "N"}});
    fill(before);
    rebuild();
    ASSERT_EQ(column(ids::ColCurrent), (Texts{"a.jpg", GetParam().listsLowerCase ? "neu_001.jpg" : "NEU_001.JPG"}));
    ASSERT_EQ(column(ids::ColNew)[0], "neu_001.jpg");
    h.setRowState(ids::FileTable, 1, 0);
    engine::refreshPreview();
    EXPECT_EQ(h.rowMark(ids::FileTable, 0) == platform::RowMark::Warning, clash) << h.rowMarkText(ids::FileTable, 0);
    engine::RenameAusfuehren();
    EXPECT_EQ(column(ids::ColStatus), (Texts{clash ? "Fehler" : "Ok", ""}));
    EXPECT_EQ(h.shownBoxes().size(), clash ? 1u : 0u) << firstBox();
    Files after = before;
    if (!clash) after = {{"neu_001.jpg", "A"}, {"NEU_001.JPG", "N"}};
    EXPECT_EQ(files(), after) << "nothing replaced";
}

// Names the file system would refuse are marked before and refused by
// Rename with the same reason: fusefat writes only ASCII names, and none
// of these takes a name that is no UTF-8.
TEST_P(FileSystemTest, NamesTheFileSystemRefusesAreMarkedAndRefused) {
    const bool fat = std::string(GetParam().testName) == "Fat32";
    const std::string refused = "Das Dateisystem erlaubt diesen Namen nicht";
    for (const auto& [pattern, onAll] : {std::pair{"Übersicht_%nr%.%erw%", false}, std::pair{"\xff_%nr%.%erw%", true}}) {
        SCOPED_TRACE(pattern);
        const bool fails = onAll || fat;
        for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
        const Files before = listed({{"a.jpg", "A"}});
        fill(before);
        h.setText(ids::PatternField, pattern);
        rebuild();
        EXPECT_EQ(h.rowMarkText(ids::FileTable, 0), fails ? refused : "");
        h.clearBoxes();
        engine::RenameAusfuehren();
        EXPECT_EQ(column(ids::ColStatus), Texts{fails ? "Fehler" : "Ok"});
        EXPECT_EQ(h.statusText(ids::FileTable, 0), fails ? refused : "");
        if (fails) {
            EXPECT_EQ(files(), before);
        }
    }
}

// The program killed at random moments of a renumbering (neu_001 ->
// neu_000, neu_002 -> neu_001, ...: one file left behind blocks the rest);
// one run of `quonabix-undo --log` brings every name and content back and
// leaves nothing of its own (no reservation, no temporary name). The
// first round is not killed and gives the length of the action; the kill
// times of the others fall within it. The log gathers every round, as it
// does in TEMP: a kill before the action's first line leaves no open
// action, not a missing log.
TEST_P(FileSystemTest, KillDuringARenumberingIsTakenBackByOneRunOfTheTool) {
    const int n = GetParam().killFiles;
    std::mt19937 rnd(11);
    double actionUs = 0;
    int killedMidway = 0;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        useFolder("kill" + std::to_string(round) + "/");
        Files before;
        Rows rows;
        for (int i = 1; i <= n; ++i) {
            before[numbered(i)] = "photo " + std::to_string(i);
            rows.push_back({numbered(i), numbered(i - 1)});
        }
        fill(before);
        setRows(rows);
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            engine::RenameAusfuehren();
            _exit(0);
        }
        if (round > 0) {
            usleep(std::uniform_int_distribution<unsigned>(unsigned(actionUs * 0.05), unsigned(actionUs * 0.95))(rnd));
            kill(child, SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (round == 0)
            actionUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        const Files atKill = files();
        if (atKill != before && atKill.count(numbered(n))) ++killedMidway;
        const Run r = undoTool({"--log", temp + engine::text::LogName});
        EXPECT_EQ(r.code, 0) << firstLines(r.err, 4);
        const Files after = files();
        Texts extra;
        for (const auto& [name, content] : after)
            if (!before.count(name)) extra.push_back(name);
        EXPECT_EQ(extra, Texts{}) << "left behind, e.g. a reservation or a .quonabix-*.tmp name";
        EXPECT_EQ(after, before);
        fs::remove_all(dir);
        if (HasFailure()) break;
    }
    EXPECT_GT(killedMidway, 0) << "no kill landed in the middle of the renames (action " << actionUs / 1000
                               << " ms)";
}

INSTANTIATE_TEST_SUITE_P(OnImages, FileSystemTest, ::testing::ValuesIn(fileSystems),
                         [](const ::testing::TestParamInfo<FileSystem>& info) { return info.param.testName; });
