// The journal on Windows: the undo log of a rename action, written line by
// line, held by one run at a time (an exclusive lock on the whole file for
// as long as it is open). Each append is one WriteFile at the end; once it
// returned, the bytes are with the system and survive the death of the
// program. An append that could not be written whole is cut off again, and
// the last append can be taken back; the file is flushed once, at close.
#include "platform/files.h"
#include "platform/win32/handles.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

namespace platform {
namespace {

constexpr DWORD LockWaitMs = 1000;
constexpr DWORD LockPollMs = 20;

struct Ends {
    long long end = 0;      // where the next line goes
    long long before = 0;   // where the last append began
};

struct JournalState {
    std::mutex lock;
    std::map<int, Ends> ends;   // by file handle
};

JournalState& journals() {
    static JournalState s;
    return s;
}

bool lockWithin(HANDLE h, DWORD ms) {
    for (DWORD waited = 0;; waited += LockPollMs) {
        OVERLAPPED at{};
        if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &at))
            return true;
        if (GetLastError() != ERROR_LOCK_VIOLATION) return true;   // no locks here: used unlocked
        if (waited >= ms) return false;
        Sleep(LockPollMs);
    }
}

bool cutAt(HANDLE h, long long size) {
    LARGE_INTEGER to;
    to.QuadPart = size;
    return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool readAt(HANDLE h, long long from, char* data, DWORD size, DWORD& got) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(from);
    at.OffsetHigh = static_cast<DWORD>(from >> 32);
    return ReadFile(h, data, size, &got, &at) != 0;
}

// What a crashed writer may have left at the end: zero bytes and a line
// cut in the middle, whose rename never started.
long long completeEnd(HANDLE h, long long size) {
    char block[4096];
    bool zeros = true;
    while (size > 0) {
        const long long from = size > static_cast<long long>(sizeof block) ? size - sizeof block : 0;
        DWORD got = 0;
        if (!readAt(h, from, block, static_cast<DWORD>(size - from), got) || got == 0) return size;
        for (DWORD i = got; i > 0; --i) {
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
    const int handle = fileOpen(path, OpenMode::AppendPrivate);
    if (handle == 0) return 0;
    const HANDLE h = win32::nativeHandleOf(handle);
    if (!lockWithin(h, LockWaitMs)) {
        if (status) *status = JournalStatus::Busy;
        fileClose(handle);
        return 0;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) {
        fileClose(handle);
        return 0;
    }
    const long long end = completeEnd(h, size.QuadPart);
    if (!cutAt(h, end)) {
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
    const HANDLE h = win32::nativeHandleOf(handle);
    if (it == s.ends.end() || h == INVALID_HANDLE_VALUE) return false;
    if (fileWrite(handle, data, size)) {
        it->second.before = it->second.end;
        it->second.end += static_cast<long long>(size);
        return true;
    }
    cutAt(h, it->second.end);   // no half line of ours stays behind
    return false;
}

bool journalTakeBack(int handle) {
    JournalState& s = journals();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.ends.find(handle);
    const HANDLE h = win32::nativeHandleOf(handle);
    if (it == s.ends.end() || h == INVALID_HANDLE_VALUE || !cutAt(h, it->second.before)) return false;
    it->second.end = it->second.before;
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
