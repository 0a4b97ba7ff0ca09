// The wildcard matcher, the order of the file list and the directory scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/table.h"
#include "testutil.h"

namespace {

std::vector<std::string> sortedNames(std::vector<std::string> paths, const std::string& dir) {
    engine::sortFileList(paths);
    for (auto& p : paths) p = p.compare(0, dir.size(), dir) == 0 ? p.substr(dir.size()) : "?" + p;
    return paths;
}

}  // namespace

TEST(MatchPattern, MasksSelectAsUsersExpect) {
    const struct {
        const char *first, *second;
        int ignoreCase, expected;
    } cases[] = {
        {"*.JPG", "A.JPG", 0, 1},          {"*.JPG", "C.TXT", 0, 0},
        {"*.JPG", "PHOTO.JPG.JPG", 0, 0},  // first ".JPG" wins, no backtracking
        {"*.JPG", ".JPG", 0, 0},           // "*" before text takes at least one character
        {"*.JPG|*.PNG", "X.PNG", 0, 1},    {"*.JPG|*.PNG", "X.GIF", 0, 0},
        {"IMG*", "IMG", 0, 1},             {"IMG*", "XIMG", 0, 0},
        {"*_*.JPG", "IMG_1.JPG", 0, 1},    {"*_*.JPG", "IMG_.JPG", 0, 0},
        {"A*B*C", "AXBYC", 0, 1},          {"A*B*C", "ABC", 0, 0},
        {"*.*", "README", 0, 1},           {"", "X", 0, 1},   {"   ", "X", 0, 1},
        {"A.JPG", "A.JPG", 0, 1},          {"A.JPG", "AA.JPG", 0, 0},   // no "*": whole name
        {"IMG_????.JPG", "IMG_1234.JPG", 0, 0},   // ... and the file name is the pattern
        {"IMG_????.JPG", "IMG_????.JPG", 0, 1},
        {"*?.JPG", "AB.JPG", 0, 1},        // the "*" still waits after a "?"
        {"*?", "AB", 0, 0},                {"??*", "A", 0, 0},
        {"*?", "Ä", 0, 1},                 {"*??", "Ä", 0, 0},   // "?" takes a character, not a byte
        {"*Ä", "Ä", 0, 0},                 {"*.JPG|", "", 0, 0},  // an empty alternative matches nothing
        {"*.jpg", "A.JPG", 0, 0},          {"*.jpg", "A.JPG", 1, 1},
        {"*ÄPFEL", "xäpfel", 1, 1},        {"*ÄPFEL", "xäpfel", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::yMatchPattern(c.first, c.second, c.ignoreCase), c.expected)
            << "mask \"" << c.first << "\" name \"" << c.second << "\" ignoreCase " << c.ignoreCase;
    }
}

// Names alike in their first eight bytes, folded, are ordered by the rest.
TEST(SortFileList, FoldsOnlyAToZAndGivesOneOrderWhateverTheListing) {
    const std::vector<std::string> expected = {"10", "9", "_x", "A.jpg", "a.jpg", "b.JPG", "c.txt",
                                               "photo_20", "Photo_2023_a", "Photo_2023_b", "photo_2023_b",
                                               "photo_2023_b1", "Zeta", "äpfel"};
    std::vector<std::string> forward, backward;
    for (const auto& n : expected) forward.push_back("/d/" + n);
    backward.assign(forward.rbegin(), forward.rend());
    EXPECT_EQ(sortedNames(forward, "/d/"), expected);
    EXPECT_EQ(sortedNames(backward, "/d/"), expected);
    std::mt19937 rnd(3);
    for (int k = 0; k < 20; ++k) {
        std::shuffle(forward.begin(), forward.end(), rnd);
        EXPECT_EQ(sortedNames(forward, "/d/"), expected) << "shuffle " << k;
    }
}

TEST(ReadDir, RecursionModesListFilesOrFoldersAndNeverEnterALink) {
    if (platform::PathSeparator == '\\') GTEST_SKIP() << "links to folders need rights on Windows";
    testutil::TempDir d;
    d.file("top.jpg");
    d.file("top.txt");
    d.folder("one/two");
    d.file("one/mid.jpg");
    d.file("one/two/deep.JPG");
    std::filesystem::create_directory_symlink(d.path() + "one", d.path() + "link");
    const struct {
        int recursion;
        const char* mask;
        std::vector<std::string> expected;
    } cases[] = {
        {0, "*.*", {"link", "top.jpg", "top.txt"}},   // a link is a file
        {0, "*.jpg", {"top.jpg"}},
        {1, "*.jpg", {"one/mid.jpg", "one/two/deep.JPG", "top.jpg"}},
        {-1, "", {"one", "one/two"}},
        {-1, "T*", {"one/two"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.recursion) + " " + c.mask);
        // More old entries than new ones: a new listing is written over the
        // old texts, and what is left of them must go.
        std::vector<std::string> list = {"stale", "stale", "stale", "stale"};
        EXPECT_EQ(engine::yReadDir(d.path(), c.mask, c.recursion, list, 0, -1), int(c.expected.size()));
        EXPECT_EQ(sortedNames(list, d.path()), c.expected);
    }
}

TEST(ReadDir, RunningCountFolderTextAndMissingFolder) {
    testutil::TempDir d;
    d.file("a");
    std::vector<std::string> list = {"kept"};
    const std::string noSlash = d.path().substr(0, d.path().size() - 1);
    EXPECT_EQ(engine::yReadDir(noSlash, "*", 0, list, 1, -1), 2);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", d.path() + "a"}));
    EXPECT_EQ(engine::yReadDir(d.path() + "missing/", "*", 0, list, 0, -1), 0);
    EXPECT_TRUE(list.empty());
    // The table's list holds one folder's names; files of another folder
    // added to it keep their own folder, and every entry its full path.
    d.folder("sub");
    d.file("sub/b");
    engine::FileList files;
    EXPECT_EQ(engine::yReadDir(d.path(), "*", 0, files, 0, -1), 1);
    EXPECT_EQ(files.folder(), d.path());
    EXPECT_EQ(engine::yReadDir(d.path() + "sub", "*", 0, files, 1, -1), 2);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], d.path() + "a");
    const std::string inSub = d.path() + "sub" + platform::PathSeparator + "b";
    EXPECT_EQ(files[1], inSub);
    EXPECT_EQ(files.name(1), inSub);
}

TEST(ReadDir, DebugProgressWritesALineAtEveryThousandAndStatusProgressShowsNothing) {
    testutil::TempDir d;
    for (int i = 0; i < 1001; ++i) d.file("f" + std::to_string(i));
    std::vector<std::string> list;
    testing::internal::CaptureStdout();
    EXPECT_EQ(engine::yReadDir(d.path(), "*", 0, list, 0, -2), 1001);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ermittel Dateien   =1000\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(engine::yReadDir(d.path(), "*", 0, list, -5, 3), 1001);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
