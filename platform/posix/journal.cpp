// The journal: the undo log of a rename action, mapped into memory.
//
// The file is grown by a reserve, the reserve is mapped shared, and every
// line is copied into it: the pages belong to the kernel's page cache at
// once, so the line survives a crash of the program as a write(2) would.
// Closing cuts the file back to what was written. A crash leaves zero
// bytes at the end instead; the next run that takes the journal cuts them
// off first. A second run that finds the journal locked writes line by line
// at the file's end, behind the reserve; once that has happened the reserve
// left over is filled with a blank line and this run writes line by line
// too, so neither run's lines are ever cut off or overwritten.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/files.h"
#include "platform/posix/handles.h"

namespace platform {
namespace {

// The reserve follows what the caller expects to write, within bounds: a
// small action should not pay for growing and cutting back megabytes.
constexpr off_t MinReserve = 64 << 10;
constexpr off_t MaxReserve = 4 << 20;

struct Mapping {
    int fd = -1;
    char* base = nullptr;     // mapping of [mapStart, mapStart + mapSize)
    off_t mapStart = 0;
    std::size_t mapSize = 0;
    off_t end = 0;            // what has been written
    off_t reserve = MinReserve;
};

struct JournalState {
    std::mutex lock;
    std::map<int, Mapping> mapped;   // by file handle; absent: line by line
};

JournalState& journals() {
    static JournalState s;
    return s;
}

// Zero bytes at the end are the unused reserve of a run that crashed.
off_t withoutZeroTail(int fd, off_t size) {
    char block[4096];
    while (size > 0) {
        const off_t from = size > static_cast<off_t>(sizeof block) ? size - static_cast<off_t>(sizeof block) : 0;
        const ssize_t n = pread(fd, block, static_cast<std::size_t>(size - from), from);
        if (n <= 0) return size;
        for (ssize_t i = n; i > 0; --i)
            if (block[i - 1] != '\0') return from + i;
        size = from;
    }
    return 0;
}

bool mapFrom(Mapping& m, off_t end) {
    if (m.base) munmap(m.base, m.mapSize);
    m.base = nullptr;
    const off_t page = sysconf(_SC_PAGESIZE);
    m.mapStart = end - end % page;
    m.mapSize = static_cast<std::size_t>(end - m.mapStart + m.reserve);
    if (ftruncate(m.fd, m.mapStart + static_cast<off_t>(m.mapSize)) != 0) return false;
    void* p = mmap(nullptr, m.mapSize, PROT_READ | PROT_WRITE, MAP_SHARED, m.fd, m.mapStart);
    if (p == MAP_FAILED) return false;
    m.base = static_cast<char*>(p);
    m.end = end;
    return true;
}

// Another run has appended behind the reserve.
bool foreignData(const Mapping& m) {
    struct stat st;
    return fstat(m.fd, &st) != 0 || st.st_size > m.mapStart + static_cast<off_t>(m.mapSize);
}

// The rest of the reserve becomes one blank line; the mapping ends.
void giveUpReserve(Mapping& m) {
    if (!m.base) return;
    char* from = m.base + (m.end - m.mapStart);
    char* to = m.base + m.mapSize;
    if (from < to) {
        std::memset(from, ' ', static_cast<std::size_t>(to - from));
        if (to - from >= 2) to[-2] = '\r';
        to[-1] = '\n';
    }
    munmap(m.base, m.mapSize);
    m.base = nullptr;
}

}  // namespace

int journalOpen(const std::string& path, std::size_t expectedBytes) {
    const int handle = fileOpen(path, OpenMode::AppendPrivate);
    if (handle == 0) return 0;
    Mapping m;
    m.reserve = std::clamp(static_cast<off_t>(expectedBytes), MinReserve, MaxReserve);
    m.fd = posix::descriptorOf(handle);
    struct stat st;
    if (flock(m.fd, LOCK_EX | LOCK_NB) != 0 || fstat(m.fd, &st) != 0) return handle;
    const off_t end = withoutZeroTail(m.fd, st.st_size);
    if (!mapFrom(m, end)) {
        // Back to the plain file: nothing of the reserve may stay behind.
        if (ftruncate(m.fd, end) != 0) {}
        flock(m.fd, LOCK_UN);
        return handle;
    }
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    s.mapped[handle] = m;
    return handle;
}

bool journalAppend(int handle, const char* data, std::size_t size) {
    JournalState& s = journals();
    std::unique_lock<std::mutex> g(s.lock);
    auto it = s.mapped.find(handle);
    if (it != s.mapped.end()) {
        Mapping& m = it->second;
        const off_t need = m.end + static_cast<off_t>(size);
        if (need <= m.mapStart + static_cast<off_t>(m.mapSize) ||
            (static_cast<off_t>(size) < m.reserve && !foreignData(m) && mapFrom(m, m.end))) {
            std::memcpy(m.base + (m.end - m.mapStart), data, size);
            m.end = need;
            return true;
        }
        // From here on line by line: a second run appends behind us, or the
        // reserve could not grow (a full disk); the unused reserve must not
        // stay as zero bytes in front of what follows.
        if (foreignData(m)) {
            giveUpReserve(m);
        } else {
            if (m.base) munmap(m.base, m.mapSize);
            if (ftruncate(m.fd, m.end) != 0) return false;
        }
        flock(m.fd, LOCK_UN);
        s.mapped.erase(it);
    }
    g.unlock();
    return fileWrite(handle, data, size);
}

bool journalClose(int handle) {
    JournalState& s = journals();
    bool ok = true;
    {
        std::lock_guard<std::mutex> g(s.lock);
        auto it = s.mapped.find(handle);
        if (it != s.mapped.end()) {
            Mapping& m = it->second;
            if (foreignData(m)) {
                giveUpReserve(m);
            } else {
                if (m.base) munmap(m.base, m.mapSize);
                ok = ftruncate(m.fd, m.end) == 0;
            }
            flock(m.fd, LOCK_UN);
            s.mapped.erase(it);
        }
    }
    return fileClose(handle) && ok;
}

}  // namespace platform
