// The journal's system part on Linux: flock, pread and ftruncate on the
// descriptor behind a file handle.
#include "platform/journalos.h"

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/handles.h"

namespace platform::journalos {

constexpr int LockPollMs = 20;

void prepare() { signal(SIGXFSZ, SIG_IGN); }

bool lockWithin(int handle, int ms) {
    const int fd = posix::descriptorOf(handle);
    for (int waited = 0;; waited += LockPollMs) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK) return true;
        if (waited >= ms) return false;
        const struct timespec pause {0, LockPollMs * 1000000L};
        nanosleep(&pause, nullptr);
    }
}

long long sizeOf(int handle) {
    struct stat st;
    return fstat(posix::descriptorOf(handle), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

long long readAt(int handle, long long offset, char* data, std::size_t size) {
    return pread(posix::descriptorOf(handle), data, size, static_cast<off_t>(offset));
}

bool cutAt(int handle, long long size) {
    // The descriptor appends, so the next write goes to the new end.
    return ftruncate(posix::descriptorOf(handle), static_cast<off_t>(size)) == 0;
}

}  // namespace platform::journalos
