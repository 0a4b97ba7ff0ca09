// The journal: the undo log of a rename action, written line by line.
//
// One run at a time holds the journal (an exclusive lock for as long as it
// is open), so an action's lines are never mixed with another run's and
// every line follows the cd line of its own action. Each append is one
// write to the system at the end: once it returned, the bytes survive a
// kill of the program. Nothing here maps the file, so a full disk is an
// error result, never a signal; an append that could not be written whole
// is cut off again, so the log never holds half a line of ours; the last
// append can be taken back (its rename failed) the same way, and so can
// the end of this run's appends (lines written ahead of renames that will
// not happen now). The file is synced once, when the journal is closed.
#include <map>
#include <mutex>

#include "platform/files.h"
#include "platform/journalos.h"

namespace platform {
namespace {

// Another run's action usually ends within this time; longer, it is
// waiting for its user, and this run must not freeze behind it.
constexpr int LockWaitMs = 1000;

struct Ends {
    long long end = 0;      // where the next line goes
    long long before = 0;   // where the last append began
    long long begin = 0;    // where this run's first append began
};

struct JournalState {
    std::mutex lock;
    std::map<int, Ends> ends;   // by file handle
};

JournalState& journals() {
    static JournalState s;
    return s;
}

// What a crashed writer may have left at the end: the zero bytes of an
// unused reserve (older versions grew the log ahead of their lines) and a
// line cut in the middle. A cut line belongs to a rename that never
// started, since its line is written before the rename.
long long completeEnd(int handle, long long size) {
    char block[4096];
    bool zeros = true;
    while (size > 0) {
        const long long from = size > static_cast<long long>(sizeof block) ? size - sizeof block : 0;
        const long long n = journalos::readAt(handle, from, block, static_cast<std::size_t>(size - from));
        if (n <= 0) return size;
        for (long long i = n; i > 0; --i) {
            const char c = block[i - 1];
            if (zeros && c == '\0') continue;
            zeros = false;
            if (c == '\n') return from + i;
        }
        size = from;
    }
    return 0;
}

}  // namespace

int journalOpen(const std::string& path, JournalStatus* status) {
    if (status) *status = JournalStatus::Failed;
    journalos::prepare();
    const int handle = fileOpen(path, OpenMode::AppendPrivate);
    if (handle == 0) return 0;
    if (!journalos::lockWithin(handle, LockWaitMs)) {
        if (status) *status = JournalStatus::Busy;
        fileClose(handle);
        return 0;
    }
    const long long size = journalos::sizeOf(handle);
    const long long end = size < 0 ? -1 : completeEnd(handle, size);
    // Cut also where nothing is to be cut: the next write goes to the end.
    if (end < 0 || !journalos::cutAt(handle, end)) {
        fileClose(handle);
        return 0;
    }
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    s.ends[handle] = {end, end, end};
    if (status) *status = JournalStatus::Open;
    return handle;
}

bool journalAppend(int handle, const char* data, std::size_t size) {
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ends.find(handle);
    if (it == s.ends.end()) return false;
    if (fileWrite(handle, data, size)) {
        it->second.before = it->second.end;
        it->second.end += static_cast<long long>(size);
        return true;
    }
    // Part of the lines may have reached the file: take them back, so the
    // next line starts where a reader expects a line to start.
    journalos::cutAt(handle, it->second.end);
    return false;
}

bool journalTakeBack(int handle) {
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ends.find(handle);
    if (it == s.ends.end() || !journalos::cutAt(handle, it->second.before)) return false;
    it->second.end = it->second.before;
    return true;
}

bool journalCutBack(int handle, std::size_t size) {
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ends.find(handle);
    if (it == s.ends.end()) return false;
    const long long to = it->second.end - static_cast<long long>(size);
    if (to < it->second.begin || !journalos::cutAt(handle, to)) return false;
    it->second.end = it->second.before = to;
    return true;
}

bool journalClose(int handle) {
    JournalState& s = journals();
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (s.ends.erase(handle) == 0) return fileClose(handle);
    }
    const bool synced = fileSync(handle);
    return fileClose(handle) && synced;   // closing releases the lock
}

}  // namespace platform
