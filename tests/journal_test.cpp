// The undo log's journal: every line reaches the file at once, a crash
// tail is cut off, a full disk leaves no half line, and one run at a time
// holds the log.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
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
    EXPECT_EQ(read(log), "old\r\nren \"b\" \"a\"\r\n");
    append(h, "ren \"c\" \"b\"\r\n");
    ASSERT_TRUE(platform::journalTakeBack(h)) << "its rename did not happen";
    // Lines written ahead go again from the end, never into an earlier run's lines.
    append(h, "ren \"d\" \"c\"\r\nren \"e\" \"d\"\r\n");
    ASSERT_TRUE(platform::journalCutBack(h, 13)) << "the second rename will not happen";
    EXPECT_EQ(read(log), "old\r\nren \"b\" \"a\"\r\nren \"d\" \"c\"\r\n");
    EXPECT_FALSE(platform::journalCutBack(h, 40));
    ASSERT_TRUE(platform::journalCutBack(h, 13));
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "ren \"n" + std::to_string(i) + "\" \"o\"\r\n";
    for (std::size_t at = 0; at < many.size(); at += 4096) append(h, many.substr(at, 4096));
    ASSERT_TRUE(platform::journalClose(h));
    EXPECT_EQ(read(log), "old\r\nren \"b\" \"a\"\r\n" + many);
}

TEST(Journal, CrashTailOfAnEarlierRunIsCutOffAtTheNextOpen) {
    const struct { std::string before, after; } cases[] = {
        {"line\r\n" + std::string(5000, '\0'), "line\r\n"},            // unused reserve
        {"line\r\nren \"renamed_000343.dat\" \"file_0", "line\r\n"},   // a line cut short
        {"ren \"a\" \"b", ""},
        {"line\r\nren \"x" + std::string(100, '\0'), "line\r\n"},
    };
    for (const auto& c : cases) {
        testutil::TempDir dir;
        const std::string log = dir.path() + "undo.log";
        { std::ofstream(log, std::ios::binary) << c.before; }
        const int h = platform::journalOpen(log);
        append(h, "next\r\n");
        ASSERT_TRUE(platform::journalClose(h));
        EXPECT_EQ(read(log), c.after + "next\r\n") << c.before;
    }
}

// A second run waits a moment for the log, then gives up rather than
// putting its lines between the first run's lines.
TEST(Journal, OneRunAtATimeHoldsTheLog) {
    testutil::TempDir dir;
    const std::string log = dir.path() + "undo.log";
    const int first = platform::journalOpen(log);
    ASSERT_NE(first, 0);
    platform::JournalStatus status = platform::JournalStatus::Open;
    EXPECT_EQ(platform::journalOpen(log, &status), 0);
    EXPECT_EQ(status, platform::JournalStatus::Busy);
    append(first, "a1\r\n");
    ASSERT_TRUE(platform::journalClose(first));
    const int second = platform::journalOpen(log, &status);
    ASSERT_NE(second, 0);
    EXPECT_EQ(status, platform::JournalStatus::Open);
    append(second, "b1\r\n");
    ASSERT_TRUE(platform::journalClose(second));
    EXPECT_EQ(read(log), "a1\r\nb1\r\n");
}

TEST(Journal, RefusesALinkOrASecondNameAsTheLog) {
    testutil::TempDir dir;
    const std::string target = dir.path() + "target";
    for (const bool hard : {false, true}) {
        std::filesystem::remove(dir.path() + "undo.log");
        { std::ofstream(target) << "keep\r\n"; }
        if (hard) std::filesystem::create_hard_link(target, dir.path() + "undo.log");
        else std::filesystem::create_symlink(target, dir.path() + "undo.log");
        EXPECT_EQ(platform::journalOpen(dir.path() + "undo.log"), 0) << "hard link: " << hard;
        EXPECT_EQ(read(target), "keep\r\n");
    }
}

// A file size limit stands in for a full disk: the append fails, without a
// signal, and leaves nothing of itself behind.
TEST(Journal, AnAppendThatDoesNotFitLeavesNothingBehind) {
    testutil::TempDir dir;
    const std::string log = dir.path() + "undo.log";
    const int h = platform::journalOpen(log);
    append(h, "first\r\n");
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit limit = old;
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string big(5000, 'x');
    const bool fitted = platform::journalAppend(h, big.data(), big.size());
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(fitted);
    append(h, "second\r\n");
    ASSERT_TRUE(platform::journalClose(h));
    EXPECT_EQ(read(log), "first\r\nsecond\r\n");
}
