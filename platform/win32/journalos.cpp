// The journal's system part on Windows: LockFileEx, positioned ReadFile and
// SetEndOfFile on the handle behind a file handle.
#include "platform/journalos.h"

#include <windows.h>

#include "platform/win32/handles.h"

namespace platform::journalos {

constexpr DWORD LockPollMs = 20;

void prepare() {}

bool lockWithin(int handle, int ms) {
    const HANDLE h = win32::nativeHandleOf(handle);
    for (DWORD waited = 0;; waited += LockPollMs) {
        OVERLAPPED at{};
        if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &at))
            return true;
        if (GetLastError() != ERROR_LOCK_VIOLATION) return true;   // no locks here: used unlocked
        if (waited >= static_cast<DWORD>(ms)) return false;
        Sleep(LockPollMs);
    }
}

long long sizeOf(int handle) {
    LARGE_INTEGER size;
    return GetFileSizeEx(win32::nativeHandleOf(handle), &size) ? size.QuadPart : -1;
}

long long readAt(int handle, long long offset, char* data, std::size_t size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(win32::nativeHandleOf(handle), data, static_cast<DWORD>(size), &got, &at)) return -1;
    return got;
}

bool cutAt(int handle, long long size) {
    const HANDLE h = win32::nativeHandleOf(handle);
    LARGE_INTEGER to;
    to.QuadPart = size;
    return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

}  // namespace platform::journalos
