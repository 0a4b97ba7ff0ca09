// The journal: the undo log of a rename action, written line by line.
//
// One run at a time holds the journal (an exclusive flock for as long as it
// is open), so an action's lines are never mixed with another run's and
// every line follows the cd line of its own action. Each append is one
// write(2) at the end: once it returned, the bytes are in the kernel's page
// cache and survive a kill of the program. Nothing here maps the file, so a
// full disk is an error result, never a signal; an append that could not be
// written whole is cut off again, so the log never holds half a line of
// ours; the last append can be taken back (its rename failed) the same way.
// The file is synced once, when the journal is closed.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/files.h"
#include "platform/posix/handles.h"

namespace platform {
namespace {

// Another run's action usually ends within this time; longer, it is
// waiting for its user, and this run must not freeze behind it.
constexpr int LockWaitMs = 1000;
constexpr int LockPollMs = 20;

struct Ends {
    off_t end = 0;        // where the next line goes
    off_t before = 0;     // where the last append began
};

struct JournalState {
    std::mutex lock;
    std::map<int, Ends> ends;   // by file handle
};

JournalState& journals() {
    static JournalState s;
    return s;
}

// False only when another run holds the lock; a file system without locks
// (some network shares) is used unlocked rather than not at all.
bool lockWithin(int fd, int ms) {
    for (int waited = 0;; waited += LockPollMs) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK) return true;
        if (waited >= ms) return false;
        const struct timespec pause {0, LockPollMs * 1000000L};
        nanosleep(&pause, nullptr);
    }
}

// What a crashed writer may have left at the end: the zero bytes of an
// unused reserve (older versions grew the log ahead of their lines) and a
// line cut in the middle. A cut line belongs to a rename that never
// started, since its line is written before the rename.
off_t completeEnd(int fd, off_t size) {
    char block[4096];
    bool zeros = true;
    while (size > 0) {
        const off_t from = size > static_cast<off_t>(sizeof block) ? size - static_cast<off_t>(sizeof block) : 0;
        const ssize_t n = pread(fd, block, static_cast<std::size_t>(size - from), from);
        if (n <= 0) return size;
        for (ssize_t i = n; i > 0; --i) {
            const char c = block[i - 1];
            if (zeros && c == '\0') continue;
            zeros = false;
            if (c == '\n') return from + i;
        }
        size = from;
    }
    return 0;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int journalOpen(const std::string& path, JournalStatus* status) {
    if (status) *status = JournalStatus::Failed;
    // A file size limit must make a write fail, not end the program.
    signal(SIGXFSZ, SIG_IGN);
    const int handle = fileOpen(path, OpenMode::AppendPrivate);
    if (handle == 0) return 0;
    const int fd = posix::descriptorOf(handle);
    if (!lockWithin(fd, LockWaitMs)) {
        if (status) *status = JournalStatus::Busy;
        fileClose(handle);
        return 0;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        fileClose(handle);
        return 0;
    }
    const off_t end = completeEnd(fd, st.st_size);
    if (end != st.st_size && ftruncate(fd, end) != 0) {
        fileClose(handle);
        return 0;
    }
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    s.ends[handle] = {end, end};
    if (status) *status = JournalStatus::Open;
    return handle;
}

bool journalAppend(int handle, const char* data, std::size_t size) {
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ends.find(handle);
    const int fd = posix::descriptorOf(handle);
    if (it == s.ends.end() || fd < 0) return false;
    if (writeAll(fd, data, size)) {
        it->second.before = it->second.end;
        it->second.end += static_cast<off_t>(size);
        return true;
    }
    // Part of the lines may have reached the file: take them back, so the
    // next line starts where a reader expects a line to start.
    if (ftruncate(fd, it->second.end) != 0) {}
    return false;
}

bool journalTakeBack(int handle) {
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ends.find(handle);
    const int fd = posix::descriptorOf(handle);
    if (it == s.ends.end() || fd < 0 || ftruncate(fd, it->second.before) != 0) return false;
    it->second.end = it->second.before;
    return true;
}

bool journalClose(int handle) {
    JournalState& s = journals();
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (s.ends.erase(handle) == 0) return fileClose(handle);
    }
    const int fd = posix::descriptorOf(handle);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    return fileClose(handle) && synced;   // closing releases the lock
}

}  // namespace platform
