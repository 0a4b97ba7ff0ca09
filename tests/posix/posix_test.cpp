// The POSIX files backend on real files: rename never replaces and moves a
// link rather than its target, listings report kinds without following
// links, private files refuse links and pipes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/files.h"
#include "platform/process.h"
#include "testutil.h"

namespace fs = std::filesystem;
using platform::RenameResult;

namespace {

class PosixTest : public ::testing::Test {
protected:
    testutil::TempDir folder;
    const std::string dir = folder.path();   // ends with "/"

    void write(const std::string& name, const std::string& content) {
        std::ofstream(dir + name, std::ios::binary) << content;
    }
    std::string read(const std::string& name) {
        std::ifstream in(dir + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The never-replacing rename, between two names of the test folder.
    RenameResult rename(const std::string& from, const std::string& to) {
        const int h = platform::openDirForRename(dir);
        const RenameResult r = platform::renameNoReplaceAt(h, from, to);
        platform::closeDirForRename(h);
        return r;
    }
    std::map<std::string, platform::EntryKind> listing() {
        std::map<std::string, platform::EntryKind> out;
        const int h = platform::openDirList(dir);
        EXPECT_NE(h, 0);
        std::string name;
        platform::EntryKind kind;
        while (platform::nextDirEntry(h, name, kind)) out[name] = kind;
        platform::closeDirList(h);
        return out;
    }
};

}  // namespace

TEST_F(PosixTest, RenameNeverReplacesAnExistingEntry) {
    write("a.jpg", "A");
    write("b.jpg", "B");
    fs::create_symlink("nowhere", dir + "dangling");
    fs::create_directory(dir + "sub");
    const int h = platform::openDirForRename(dir);
    ASSERT_NE(h, 0);
    for (const char* target : {"b.jpg", "dangling", "sub"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(platform::renameNoReplaceAt(h, "a.jpg", target), RenameResult::TargetExists);
    }
    platform::closeDirForRename(h);
    EXPECT_EQ(read("a.jpg"), "A");
    EXPECT_EQ(read("b.jpg"), "B");
    EXPECT_TRUE(fs::is_symlink(dir + "dangling"));
}

TEST_F(PosixTest, RenameReportsMissingSourceAndKeepsHardLinksApart) {
    write("a", "A");
    ASSERT_EQ(link((dir + "a").c_str(), (dir + "twin").c_str()), 0);
    EXPECT_EQ(rename("gone", "x"), RenameResult::SourceMissing);
    // Two names of one file: neither may swallow the other.
    EXPECT_EQ(rename("a", "twin"), RenameResult::TargetExists);
    EXPECT_TRUE(fs::exists(dir + "a"));
    EXPECT_TRUE(fs::exists(dir + "twin"));
    EXPECT_EQ(rename("a", "a"), RenameResult::Ok);
    EXPECT_EQ(rename("a", "A"), RenameResult::Ok);
    EXPECT_EQ(read("A"), "A");
    EXPECT_EQ(platform::renameNoReplaceAt(0, "A", "B"), RenameResult::Failed);
}

TEST_F(PosixTest, RenameMovesTheLinkNotItsTarget) {
    write("photo.jpg", "P");
    fs::create_symlink("photo.jpg", dir + "link.jpg");
    const int h = platform::openDirForRename(dir);
    EXPECT_EQ(platform::renameNoReplaceAt(h, "link.jpg", "moved.jpg"), RenameResult::Ok);
    platform::closeDirForRename(h);
    EXPECT_TRUE(fs::is_symlink(dir + "moved.jpg"));
    EXPECT_EQ(fs::read_symlink(dir + "moved.jpg"), "photo.jpg");
    EXPECT_EQ(read("photo.jpg"), "P");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir + "link.jpg")));
}

TEST_F(PosixTest, ListingReportsKindsWithoutFollowingLinks) {
    write("file.jpg", "");
    fs::create_directory(dir + "sub");
    fs::create_directory_symlink(dir + "sub", dir + "linkdir");
    fs::create_symlink("nowhere", dir + "dangling");
    ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0600), 0);
    using K = platform::EntryKind;
    const std::map<std::string, K> expected = {
        {".", K::Directory}, {"..", K::Directory}, {"file.jpg", K::File}, {"sub", K::Directory},
        {"linkdir", K::File}, {"dangling", K::File}, {"pipe", K::Other}};
    EXPECT_EQ(listing(), expected);
    EXPECT_EQ(platform::openDirList(dir + "missing/"), 0);
    EXPECT_TRUE(platform::fileExists(dir + "dangling"));
    EXPECT_EQ(platform::fileSize(dir + "missing"), -1);
}

TEST_F(PosixTest, PrivateFilesRefuseLinksPipesAndExistingScripts) {
    write("secret", "keep");
    write("log", "old\n");
    fs::create_symlink(dir + "secret", dir + "link");
    fs::create_symlink(dir + "nowhere", dir + "dangling");
    ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0600), 0);
    using M = platform::OpenMode;
    struct Case { const char* name; M mode; bool opens; };
    const Case cases[] = {
        {"link", M::CreatePrivate, false},   {"dangling", M::CreatePrivate, false},
        {"secret", M::CreatePrivate, false}, {"link", M::AppendPrivate, false},
        {"dangling", M::AppendPrivate, false}, {"pipe", M::AppendPrivate, false},
        {"log", M::AppendPrivate, true},     {"new", M::CreatePrivate, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int h = platform::fileOpen(dir + c.name, c.mode);
        EXPECT_EQ(h != 0, c.opens);
        if (h != 0) {
            EXPECT_TRUE(platform::fileWrite(h, std::string("x\n")));
            EXPECT_TRUE(platform::fileClose(h));
        }
    }
    // A log made first by another user is not written into (needs root to set up).
    write("foreign", "theirs");
    if (chown((dir + "foreign").c_str(), 65534, 65534) == 0) {
        EXPECT_EQ(platform::fileOpen(dir + "foreign", M::AppendPrivate), 0);
        EXPECT_EQ(read("foreign"), "theirs");
    }
    EXPECT_EQ(read("secret"), "keep");
    EXPECT_FALSE(fs::exists(dir + "nowhere"));
    EXPECT_EQ(read("log"), "old\nx\n");
    struct stat st;
    ASSERT_EQ(stat((dir + "new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(PosixTest, FilesReadWriteAndRefuseClosedHandles) {
    const int h = platform::fileOpen(dir + "t", platform::OpenMode::Create);
    ASSERT_NE(h, 0);
    EXPECT_TRUE(platform::fileWrite(h, std::string("abc")));
    EXPECT_TRUE(platform::fileClose(h));
    EXPECT_FALSE(platform::fileWrite(h, std::string("x")));
    EXPECT_FALSE(platform::fileClose(h));
    const int r = platform::fileOpen(dir + "t", platform::OpenMode::Read);
    char buf[8];
    EXPECT_EQ(platform::fileRead(r, buf, sizeof buf), 3);
    EXPECT_EQ(platform::fileRead(r, buf, sizeof buf), 0);
    platform::fileClose(r);
    EXPECT_EQ(platform::fileRead(r, buf, sizeof buf), -1);
    EXPECT_EQ(platform::fileOpen(dir + "missing", platform::OpenMode::Read), 0);
}

TEST_F(PosixTest, FileTimesAndClocks) {
    write("t", "");
    struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir + "t").c_str(), times, 0), 0);
    // Each time is the file's own, in local time with no shift.
    for (const auto& [kind, seconds] : {std::pair{platform::FileTimeKind::Access, time_t(1000000000)},
                                        std::pair{platform::FileTimeKind::Modification, time_t(1200000000)}}) {
        struct tm expected;
        localtime_r(&seconds, &expected);
        platform::LocalTime lt;
        ASSERT_TRUE(platform::fileTime(dir + "t", kind, lt));
        EXPECT_EQ((std::vector<int>{lt.year, lt.month, lt.day, lt.hour, lt.minute, lt.second}),
                  (std::vector<int>{expected.tm_year + 1900, expected.tm_mon + 1, expected.tm_mday,
                                    expected.tm_hour, expected.tm_min, expected.tm_sec}));
    }
    platform::LocalTime lt;
    EXPECT_FALSE(platform::fileTime(dir + "missing", platform::FileTimeKind::Creation, lt));

    platform::setTickSource([] { return 4242u; });
    platform::setNowSource([] { return platform::LocalTime{2024, 3, 9, 14, 5, 7}; });
    EXPECT_EQ(platform::tickCount(), 4242u);
    EXPECT_EQ(platform::localNow().second, 7);
    platform::setTickSource({});
    platform::setNowSource({});
    EXPECT_GT(platform::localNow().year, 2020);
}

TEST_F(PosixTest, StartProgramReportsWhetherItStarted) {
    EXPECT_NE(platform::startProgram("true", "", dir), 0);
    EXPECT_EQ(platform::startProgram(dir + "no-such-program", "", dir), 0);
    EXPECT_EQ(platform::startProgram("", "", ""), 0);
}
