// Linux side of the file facts of platform/files.h: realpath, stat, lstat,
// chmod, and the rules of a folder's file system from the mount table.
#include "platform/files.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <mutex>
#include <sstream>

namespace platform {

std::string linkTarget(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string result(real);
    free(real);
    return result;
}

FileFacts fileFacts(const std::string& path) {
    FileFacts facts;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return facts;
    facts.exists = true;
    facts.permissions = static_cast<int>(st.st_mode & 07777);
    facts.ownFile = st.st_uid == geteuid();
    facts.links = static_cast<long long>(st.st_nlink);
    return facts;
}

bool entryFacts(const std::string& path, EntryFacts& out) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return false;
    out.kind = S_ISDIR(st.st_mode) ? EntryKind::Directory
               : S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? EntryKind::File : EntryKind::Other;
    out.size = static_cast<long long>(st.st_size);
    out.links = static_cast<long long>(st.st_nlink);
    out.identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

namespace {

// The mount table as last read, and the open file that tells when it
// changed: the kernel marks /proc/self/mountinfo with a priority event at
// every mount and unmount until it is read again. Every action and every
// rebuild asks for the rules of its folder; the table is read only when it
// changed.
struct MountTable {
    std::mutex lock;
    int fd = -1;
    pid_t owner = 0;   // a forked child shares the file, and its event, with its parent
    std::string text;
};

MountTable& mountTable() {
    static MountTable t;
    return t;
}

bool readWhole(int fd, std::string& text) {
    text.clear();
    if (lseek(fd, 0, SEEK_SET) != 0) return false;
    char block[8192];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n < 0) return false;
        if (n == 0) return true;
        text.append(block, static_cast<std::size_t>(n));
    }
}

std::string currentMounts() {
    MountTable& t = mountTable();
    std::lock_guard<std::mutex> g(t.lock);
    if (t.fd >= 0 && t.owner != getpid()) {
        close(t.fd);
        t.fd = -1;
    }
    if (t.fd < 0) {
        t.fd = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (t.fd < 0) return "";
        t.owner = getpid();
    } else {
        pollfd p{t.fd, POLLPRI, 0};
        if (poll(&p, 1, 0) == 0) return t.text;
    }
    if (!readWhole(t.fd, t.text)) {
        close(t.fd);
        t.fd = -1;
        t.text.clear();
    }
    return t.text;
}

// The type of the file system a folder is on: the mount of its device in
// /proc/self/mountinfo ("major:minor" is the third field, the type follows
// the " - " separator). "" where it cannot be told.
std::string fileSystemType(const std::string& dir) {
    struct stat st;
    if (stat(dir.empty() ? "." : dir.c_str(), &st) != 0) return "";
    const std::string device = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    std::istringstream in(currentMounts());
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, dev;
        fields >> id >> parent >> dev;
        const std::size_t dash = line.find(" - ");
        if (dev != device || dash == std::string::npos) continue;
        std::istringstream rest(line.substr(dash + 3));
        std::string type;
        rest >> type;
        return type;
    }
    return "";
}

}  // namespace

// A file system that allows longer names than 255 bytes (vfat, exfat)
// counts its 255 in UTF-16 units. Those of Windows (exFAT, FAT and NTFS,
// by the kernel or in user space as "fuseblk" and "fuse") take only
// well-formed UTF-8; fusefat writes no long names at all, only ASCII.
// Every FUSE file system of another kind (sshfs, rclone) is left to say
// no at "Rename".
NameRules nameRules(const std::string& dir) {
    NameRules rules;
    const long most = pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
    if (most > 0) rules.maxBytes = static_cast<std::size_t>(most);
    if (rules.maxBytes > 255) rules.maxUnits = 255;
    const std::string type = fileSystemType(dir);
    for (const char* windows : {"vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "fuse", "fuse.fusefat"})
        if (type == windows) rules.utf8Only = true;
    rules.asciiOnly = type == "fuse.fusefat";
    return rules;
}

bool setPermissions(const std::string& path, int permissions) {
    return chmod(path.c_str(), static_cast<mode_t>(permissions & 07777)) == 0;
}

}  // namespace platform
