// POSIX backend of platform/files.h (Linux).
//
// Implements listing, file times, the never-replacing rename and plain
// file I/O over file descriptors. Handles are small integers that index one
// table of open descriptors and directory streams. A symbolic link is always
// treated as the link itself: listed as a File, renamed as a link, never
// descended and never followed when a private file is opened. Tests may
// stand in for the rename's system calls (testhooks.h).
#include "platform/files.h"
#include "platform/handletable.h"
#include "platform/posix/handles.h"
#include "platform/process.h"
#include "platform/posix/localtime.h"
#include "platform/posix/testhooks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <unordered_set>
#include <cerrno>
#include <ctime>
#include <utility>
#include <vector>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {
namespace {

// How a directory's file system renames without replacing (see below).
enum class Way { Unknown, NoReplace, Link, Reserve };

struct Entry {
    Slot slot = Slot::Free;
    int fd = -1;
    DIR* dir = nullptr;
    Way way = Way::Unknown;   // a rename directory's way of renaming, once known
    std::shared_ptr<std::unordered_set<std::string>> names;   // its listing, once a change of case needed it
};

// All open handles of the backend, in one place.
HandleTable<Entry>& handles() {
    static HandleTable<Entry> table;
    return table;
}

EntryKind kindOfMode(mode_t m) {
    if (S_ISDIR(m)) return EntryKind::Directory;
    if (S_ISREG(m) || S_ISLNK(m)) return EntryKind::File;
    return EntryKind::Other;
}

// ---- rename ------------------------------------------------------------------

// The descriptor of the reservation made last, held open until its rename
// is done: while it is open, the file system cannot give its identity to
// another file. One rename runs at a time.
int& reservationFd() {
    static int fd = -1;
    return fd;
}

// Tests may stand in for the rename's system calls (testhooks.h).
posix::RenameCallHook& renameCallHook() {
    static posix::RenameCallHook hook;
    return hook;
}

int renameCall(posix::RenameCall call, int dirFd, const std::string& from, const std::string& to = "") {
    const posix::RenameCallHook& hook = renameCallHook();
    return hook ? hook(call, dirFd, from, to) : posix::realRenameCall(call, dirFd, from, to);
}

// The three ways to rename without ever replacing a file, each found out
// once per directory, on its first rename:
//   NoReplace  renameat2 with RENAME_NOREPLACE: one step, the kernel refuses
//              an existing target (ext4, btrfs, xfs, tmpfs, overlayfs).
//   Link       where the file system refuses that flag: link, then unlink
//              the old name (NTFS by ntfs-3g, sshfs). A link never replaces
//              either. A crash between the two leaves the file under both
//              names; recovery drops the new one.
//   Reserve    where it has no hard links either (exFAT, FAT, many FUSE
//              file systems): the new name is taken by an empty file made
//              with O_CREAT|O_EXCL, which fails when the name is taken; a
//              plain rename then replaces that reservation, after a look
//              that the name still holds it. A failed rename gives the name
//              back. Another program that swaps the reservation for a file
//              of its own in the instant between that look and the rename
//              would lose it: the one window none of these file systems
//              lets us close. A crash leaves at most one empty reservation,
//              which the journal lets recovery recognise.

bool flagRefused(int err) { return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP; }
bool linksRefused(int err) { return err == EPERM || err == EOPNOTSUPP || err == ENOSYS || err == EMLINK; }

bool statAt(int dirFd, const std::string& name, struct stat& st) {
    return fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

int renameByLink(int dirFd, const std::string& from, const std::string& to) {
    using posix::RenameCall;
    int err = renameCall(RenameCall::Link, dirFd, from, to);
    if (err != 0) return err;
    if ((err = renameCall(RenameCall::Unlink, dirFd, from)) != 0) {
        renameCall(RenameCall::Unlink, dirFd, to);   // the file still has its old name
        return err;
    }
    return 0;
}

// The reservation is still ours: the empty file of that descriptor.
bool holdsReservation(int dirFd, const std::string& name, const struct stat& mine) {
    struct stat now;
    return statAt(dirFd, name, now) && S_ISREG(now.st_mode) && now.st_size == 0 &&
           now.st_dev == mine.st_dev && now.st_ino == mine.st_ino;
}

int renameByReservation(int dirFd, const std::string& from, const std::string& to) {
    using posix::RenameCall;
    struct stat st;
    if (statAt(dirFd, to, st)) return EEXIST;
    int& fd = reservationFd();
    fd = -1;
    int err = renameCall(RenameCall::Reserve, dirFd, to);
    if (err != 0) return err;
    if (fd < 0) return EIO;
    struct stat mine;
    if (fstat(fd, &mine) != 0 || !holdsReservation(dirFd, to, mine)) {
        err = EEXIST;   // something else has the name now: it is not ours to touch
    } else if ((err = renameCall(RenameCall::Rename, dirFd, from, to)) != 0 && holdsReservation(dirFd, to, mine)) {
        renameCall(RenameCall::Unlink, dirFd, to);
    }
    close(fd);
    fd = -1;
    return err;
}

// One rename by the directory's way, finding the way on first use. A
// caller that has not recorded that reservations may be left gets
// ReservationNeededErr instead of a reservation; one that allows a single
// step only gets StepsNeededErr wherever more would be taken.
constexpr int ReservationNeededErr = -1;
constexpr int StepsNeededErr = -2;

enum class Steps { One, NoReservation, Any };

int renameOnce(int dirFd, Way& way, const std::string& from, const std::string& to, Steps steps) {
    using posix::RenameCall;
    int err = 0;
    if (steps == Steps::One && way != Way::NoReplace) return StepsNeededErr;
    if (way == Way::Unknown || way == Way::NoReplace) {
        err = renameCall(RenameCall::RenameNoReplace, dirFd, from, to);
        if (!flagRefused(err)) {
            if (err == 0) way = Way::NoReplace;
            return err;
        }
        way = Way::Link;
        if (steps == Steps::One) return StepsNeededErr;
    }
    if (way == Way::Link) {
        err = renameByLink(dirFd, from, to);
        if (err == 0 || !linksRefused(err)) return err;
        way = Way::Reserve;
    }
    if (steps != Steps::Any) return ReservationNeededErr;
    return renameByReservation(dirFd, from, to);
}

bool sameIdentity(int dirFd, const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return statAt(dirFd, a, sa) && statAt(dirFd, b, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Two spellings of one name: A-Z and the Latin-1 letters (U+00C0..U+00DE
// and U+00E0..U+00FE, in UTF-8) in either case.
bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    auto fold = [](const std::string& s, std::size_t i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z') return c + 32;
        const bool latin = i > 0 && static_cast<unsigned char>(s[i - 1]) == 0xC3;
        if (latin && c >= 0x80 && c <= 0x9E && c != 0x97) return c + 32;
        return static_cast<int>(c);
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a, i) != fold(b, i)) return false;
    return true;
}

// The names the folder lists, read once when a change of case needs them
// and kept up to date by the renames of this handle. Another program's
// change meanwhile can only make a rename fail, never replace a file: the
// steps that follow never replace either.
using NameSet = std::unordered_set<std::string>;
NameSet& listedNames(int dirFd, std::shared_ptr<NameSet>& names) {
    if (names) return *names;
    names = std::make_shared<NameSet>();
    const int fd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!d && fd >= 0) close(fd);
    while (d)
        if (struct dirent* de = readdir(d)) names->insert(de->d_name);
        else break;
    if (d) closedir(d);
    return *names;
}

// A change of case alone. The new spelling is never looked up while the
// file still has its old one: a file system in user space (exFAT, FAT,
// NTFS ignoring case) answers that look with the file itself, and the
// kernel keeps that answer as a second spelling of the file for a while,
// so the name would still seem taken once the file has moved on. The
// listing says what has which name: the new spelling listed as it is is
// another file, unless it is a second name (hard link) of this one.
bool caseChangeBlocked(int dirFd, std::shared_ptr<NameSet>& names, const std::string& from, const std::string& to) {
    return listedNames(dirFd, names).count(to) && !sameIdentity(dirFd, from, to);
}

// A change of case goes through a fixed temporary name, so that after a
// crash recovery finds the file there; if the second step meets a real
// other file, the first step is taken back.
int renameViaTemp(int dirFd, Way& way, const std::string& from, const std::string& to, Steps steps) {
    const std::string temp = caseChangeTempName(from, to);
    int err = renameOnce(dirFd, way, from, temp, steps);
    if (err != 0) return err;
    err = renameOnce(dirFd, way, temp, to, Steps::Any);
    if (err != 0) renameOnce(dirFd, way, temp, from, Steps::Any);
    return err;
}

RenameResult resultOf(int err) {
    switch (err) {
        case 0: return RenameResult::Ok;
        case ReservationNeededErr: return RenameResult::ReservationNeeded;
        case StepsNeededErr: return RenameResult::StepsNeeded;
        case EEXIST: case ENOTEMPTY: return RenameResult::TargetExists;
        case ENOENT: return RenameResult::SourceMissing;
        case EISDIR: case ENOTDIR: return RenameResult::NotAFile;
        case EACCES: case EPERM: case EROFS: return RenameResult::NoPermission;
        case ENOSPC: case EDQUOT: return RenameResult::DiskFull;
        case ENAMETOOLONG: return RenameResult::NameTooLong;
        case EINVAL: case EILSEQ: return RenameResult::NameRefused;
        default: return RenameResult::Failed;
    }
}

// A rename of one call: the name kept, or a plain rename that never
// replaces, where the folder's way is that and the case does not change.
bool isOneStep(Way way, const std::string& from, const std::string& to) {
    return from == to || (way == Way::NoReplace && !equalIgnoringCase(from, to));
}

// Only what the table listed is renamed: a file, or a link as itself. A
// name that now belongs to a folder is left where it is.
RenameResult renameIn(int dirFd, Way& way, std::shared_ptr<NameSet>& names, const std::string& from,
                      const std::string& to, Steps steps) {
    if (steps == Steps::One && !isOneStep(way, from, to)) return RenameResult::StepsNeeded;
    struct stat st;
    if (!statAt(dirFd, from, st)) return RenameResult::SourceMissing;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return RenameResult::NotAFile;
    if (from == to) return RenameResult::Ok;
    int err = 0;
    if (!equalIgnoringCase(from, to)) {
        err = renameOnce(dirFd, way, from, to, steps);
    } else {
        err = caseChangeBlocked(dirFd, names, from, to) ? EEXIST : renameViaTemp(dirFd, way, from, to, steps);
    }
    if (err == 0 && names) {
        names->erase(from);
        names->insert(to);
    }
    if (err == ENOENT && statAt(dirFd, from, st)) return RenameResult::Failed;   // a folder of the path vanished
    return resultOf(err);
}

// ---- times ---------------------------------------------------------------------

bool timeSeconds(const std::string& path, FileTimeKind kind, long long& seconds) {
    struct statx sx;
    unsigned mask = kind == FileTimeKind::Creation ? STATX_BTIME
                    : kind == FileTimeKind::Access ? STATX_ATIME : STATX_MTIME;
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &sx) != 0) return false;
    if (!(sx.stx_mask & mask)) return false;
    const struct statx_timestamp& t = kind == FileTimeKind::Creation ? sx.stx_btime
                                      : kind == FileTimeKind::Access ? sx.stx_atime
                                                                     : sx.stx_mtime;
    seconds = t.tv_sec;
    return true;
}

}  // namespace

// ---- directory listing -----------------------------------------------------------

int openDirList(const std::string& dir) {
    DIR* d = opendir(dir.c_str());
    if (!d) return 0;
    Entry e;
    e.slot = Slot::Listing;
    e.dir = d;
    return handles().add(e);
}

bool nextDirEntry(int handle, std::string& name, EntryKind& kind) {
    Entry e = handles().get(handle, Slot::Listing);
    if (!e.dir) return false;
    errno = 0;
    struct dirent* de = readdir(e.dir);
    if (!de) return false;
    name = de->d_name;
    switch (de->d_type) {
        case DT_REG: case DT_LNK: kind = EntryKind::File; break;
        case DT_DIR: kind = EntryKind::Directory; break;
        case DT_UNKNOWN: {
            struct stat st;
            kind = fstatat(dirfd(e.dir), de->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                       ? kindOfMode(st.st_mode) : EntryKind::Other;
            break;
        }
        default: kind = EntryKind::Other; break;
    }
    return true;
}

void closeDirList(int handle) {
    Entry e = handles().release(handle, Slot::Listing);
    if (e.dir) closedir(e.dir);
}

std::string cleanFolderPath(const std::string& path) {
    std::string clean;
    for (const std::string& part : folderParts(path.empty() ? path : resolvePath(currentDirectory(), path)))
        clean += "/" + part;
    return clean.empty() ? "/" : clean;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

long long fileSize(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool createDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool makePrivateDirectory(const std::string& path) {
    for (std::size_t p = path.find('/', 1); p != std::string::npos; p = path.find('/', p + 1))
        mkdir(path.substr(0, p).c_str(), 0700);
    std::string own = path;
    while (own.size() > 1 && own.back() == '/') own.pop_back();   // "link/" would follow the link
    mkdir(own.c_str(), 0700);
    struct stat st;
    return lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

bool directoryIdentity(const std::string& dir, FileIdentity& out) {
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    out = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

// ---- times -------------------------------------------------------------------

bool fileTime(const std::string& path, FileTimeKind kind, LocalTime& out) {
    long long secs = 0;
    if (!timeSeconds(path, kind, secs)) return false;
    return posix::toLocalTime(static_cast<time_t>(secs), out);
}

// ---- renaming ------------------------------------------------------------------

int openDirForRename(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    Entry e;
    e.slot = Slot::RenameDir;
    e.fd = fd;
    return handles().add(e);
}

namespace {

RenameResult renameWithSteps(int dirHandle, const std::string& fromName, const std::string& toName, Steps steps) {
    Entry e = handles().get(dirHandle, Slot::RenameDir);
    if (e.fd < 0) return RenameResult::Failed;
    const Way before = e.way;
    const bool listed = e.names != nullptr;
    const RenameResult r = renameIn(e.fd, e.way, e.names, fromName, toName, steps);
    if (e.way != before || (!listed && e.names))
        handles().with(dirHandle, Slot::RenameDir, [&e](Entry& x) {
            x.way = e.way;
            x.names = e.names;
        });
    return r;
}

}  // namespace

RenameResult renameNoReplaceAt(int dirHandle, const std::string& fromName, const std::string& toName,
                               bool mayReserve) {
    return renameWithSteps(dirHandle, fromName, toName, mayReserve ? Steps::Any : Steps::NoReservation);
}

RenameResult renameOneStepAt(int dirHandle, const std::string& fromName, const std::string& toName) {
    return renameWithSteps(dirHandle, fromName, toName, Steps::One);
}

bool renameIsOneStep(int dirHandle, const std::string& fromName, const std::string& toName) {
    const Entry e = handles().get(dirHandle, Slot::RenameDir);
    return e.fd >= 0 && isOneStep(e.way, fromName, toName);
}

bool renameMayReserve(int dirHandle) {
    const Entry e = handles().get(dirHandle, Slot::RenameDir);
    return e.fd >= 0 && (e.way == Way::Unknown || e.way == Way::Reserve);
}

bool nameTakenAt(int dirHandle, const std::string& name, const std::string& by) {
    Entry e = handles().get(dirHandle, Slot::RenameDir);
    struct stat st;
    if (e.fd < 0) return false;
    if (!equalIgnoringCase(name, by)) return statAt(e.fd, name, st) && !sameIdentity(e.fd, name, by);
    const bool listed = e.names != nullptr;
    const bool taken = caseChangeBlocked(e.fd, e.names, by, name);
    if (!listed) handles().with(dirHandle, Slot::RenameDir, [&e](Entry& x) { x.names = e.names; });
    return taken;
}

bool renameDirIdentity(int dirHandle, FileIdentity& out) {
    Entry e = handles().get(dirHandle, Slot::RenameDir);
    struct stat st;
    if (e.fd < 0 || fstat(e.fd, &st) != 0) return false;
    out = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

void closeDirForRename(int dirHandle) {
    Entry e = handles().release(dirHandle, Slot::RenameDir);
    if (e.fd >= 0) close(e.fd);
}

bool replaceFileAtomic(const std::string& source, const std::string& target) {
    // The new content must be on disk before the name points at it, or a
    // power loss right after the rename could leave an empty file behind.
    const int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    if (!synced || rename(source.c_str(), target.c_str()) != 0) return false;
    const std::string dir = target.find('/') == std::string::npos
                                ? std::string(".")
                                : target.substr(0, target.rfind('/') + 1);
    const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

bool removeFile(const std::string& path) { return unlink(path.c_str()) == 0; }

// ---- files ---------------------------------------------------------------------

int fileOpen(const std::string& path, OpenMode mode) {
    int flags = O_CLOEXEC;
    mode_t perm = 0666;
    bool privateFile = false;
    switch (mode) {
        case OpenMode::Create: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
        case OpenMode::OpenOrCreate: flags |= O_RDWR | O_CREAT; break;
        case OpenMode::Read: flags |= O_RDONLY; break;
        case OpenMode::Append: flags |= O_RDWR | O_CREAT | O_APPEND; break;
        case OpenMode::CreatePrivate:
            flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
            perm = 0600;
            privateFile = true;
            break;
        case OpenMode::AppendPrivate:
            flags |= O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW;
            perm = 0600;
            privateFile = true;
            break;
        case OpenMode::ReadPrivate:
            flags |= O_RDONLY | O_NOFOLLOW;
            privateFile = true;
            break;
    }
    // A private file planted as a pipe must not block us; only a regular
    // file of our own is accepted (in a shared temporary directory another
    // user could have made the log first, to read or edit it).
    if (privateFile) flags |= O_NONBLOCK;
    int fd = open(path.c_str(), flags, perm);
    if (fd < 0) return 0;
    if (privateFile) {
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() ||
            st.st_nlink != 1) {
            close(fd);
            return 0;
        }
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    Entry e;
    e.slot = Slot::File;
    e.fd = fd;
    return handles().add(e);
}

namespace posix {

int descriptorOf(int handle) { return handles().get(handle, Slot::File).fd; }

void setRenameCallHook(RenameCallHook hook) { renameCallHook() = std::move(hook); }

int realRenameCall(RenameCall call, int dirFd, const std::string& from, const std::string& to) {
    long r = -1;
    switch (call) {
        case RenameCall::RenameNoReplace:
            r = syscall(SYS_renameat2, dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE);
            break;
        case RenameCall::Link: r = linkat(dirFd, from.c_str(), dirFd, to.c_str(), 0); break;
        case RenameCall::Unlink: r = unlinkat(dirFd, from.c_str(), 0); break;
        case RenameCall::Reserve: {
            const int fd = openat(dirFd, from.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) reservationFd() = fd;
            r = fd >= 0 ? 0 : -1;
            break;
        }
        case RenameCall::Rename: r = renameat(dirFd, from.c_str(), dirFd, to.c_str()); break;
    }
    return r == 0 ? 0 : errno;
}

}  // namespace posix

bool fileWrite(int handle, const char* data, std::size_t size) {
    Entry e = handles().get(handle, Slot::File);
    if (e.fd < 0) return false;
    while (size > 0) {
        ssize_t n = write(e.fd, data, size);
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

bool fileWrite(int handle, const std::string& text) {
    return fileWrite(handle, text.data(), text.size());
}

long long fileRead(int handle, char* data, std::size_t size) {
    Entry e = handles().get(handle, Slot::File);
    if (e.fd < 0) return -1;
    for (;;) {
        ssize_t n = read(e.fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool fileSeekEnd(int handle) {
    Entry e = handles().get(handle, Slot::File);
    return e.fd >= 0 && lseek(e.fd, 0, SEEK_END) >= 0;
}

bool fileSeek(int handle, long long offset) {
    Entry e = handles().get(handle, Slot::File);
    return e.fd >= 0 && lseek(e.fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool fileSync(int handle) {
    Entry e = handles().get(handle, Slot::File);
    return e.fd >= 0 && fsync(e.fd) == 0;
}

bool fileClose(int handle) {
    Entry e = handles().release(handle, Slot::File);
    return e.fd >= 0 && close(e.fd) == 0;
}

}  // namespace platform
