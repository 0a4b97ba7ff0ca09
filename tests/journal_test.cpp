// The undo log's journal: every line reaches the file at once, nothing of
// the reserve stays behind, and two runs on one log lose no line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "testutil.h"

namespace {

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

void append(int h, const std::string& line) {
    ASSERT_TRUE(platform::journalAppend(h, line.data(), line.size())) << line;
}

}  // namespace

TEST(Journal, LinesAreInTheFileBeforeCloseAndNothingElseAfter) {
    testutil::TempDir dir;
    const std::string log = dir.path() + "undo.log";
    { std::ofstream(log, std::ios::binary) << "old\r\n"; }
    const int h = platform::journalOpen(log);
    ASSERT_NE(h, 0);
    append(h, "ren \"b\" \"a\"\r\n");
    // What a crash would leave: the line is in the file, read by anyone.
    EXPECT_EQ(read(log).substr(0, 18), "old\r\nren \"b\" \"a\"\r\n");
    std::string many;
    for (int i = 0; i < 200000; ++i) many += "ren \"n" + std::to_string(i) + "\" \"o\"\r\n";
    for (std::size_t at = 0; at < many.size(); at += 4096) append(h, many.substr(at, 4096));
    ASSERT_TRUE(platform::journalClose(h));
    EXPECT_EQ(read(log), "old\r\nren \"b\" \"a\"\r\n" + many) << "the reserve grew and was cut back";
}

TEST(Journal, ZeroTailOfACrashedRunIsCutOffAtTheNextOpen) {
    testutil::TempDir dir;
    const std::string log = dir.path() + "undo.log";
    { std::ofstream(log, std::ios::binary) << std::string("line\r\n") + std::string(5000, '\0'); }
    const int h = platform::journalOpen(log);
    append(h, "next\r\n");
    ASSERT_TRUE(platform::journalClose(h));
    EXPECT_EQ(read(log), "line\r\nnext\r\n");
}

TEST(Journal, TwoRunsOnOneLogKeepEveryLine) {
    testutil::TempDir dir;
    const std::string log = dir.path() + "undo.log";
    const int first = platform::journalOpen(log);
    const int second = platform::journalOpen(log);   // finds the log taken
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    append(first, "a1\r\n");
    append(second, "b1\r\n");
    append(first, "a2\r\n");
    ASSERT_TRUE(platform::journalClose(first));
    append(second, "b2\r\n");
    ASSERT_TRUE(platform::journalClose(second));
    const std::string text = read(log);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    for (const char* line : {"a1\r\n", "a2\r\n", "b1\r\n", "b2\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " lost in:\n" << text;
    EXPECT_LT(text.find("a2"), text.find("b1")) << "the first run's lines stay in its reserve";
}

TEST(Journal, RefusesALinkAsTheLog) {
    testutil::TempDir dir;
    const std::string target = dir.path() + "target";
    { std::ofstream(target) << "keep"; }
    std::filesystem::create_symlink(target, dir.path() + "undo.log");
    EXPECT_EQ(platform::journalOpen(dir.path() + "undo.log"), 0);
    EXPECT_EQ(read(target), "keep");
}
