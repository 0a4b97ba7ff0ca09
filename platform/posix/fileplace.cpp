// Linux side of the file facts of platform/files.h: realpath, stat, lstat and chmod.
#include "platform/files.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A file system that allows longer names than 255 bytes (vfat, exfat)
// counts its 255 in UTF-16 units.
NameRules nameRules(const std::string& dir) {
    NameRules rules;
    const long most = pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
    if (most > 0) rules.maxBytes = static_cast<std::size_t>(most);
    if (rules.maxBytes > 255) rules.maxUnits = 255;
    return rules;
}

bool setPermissions(const std::string& path, int permissions) {
    return chmod(path.c_str(), static_cast<mode_t>(permissions & 07777)) == 0;
}

}  // namespace platform
