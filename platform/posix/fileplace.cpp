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

bool setPermissions(const std::string& path, int permissions) {
    return chmod(path.c_str(), static_cast<mode_t>(permissions & 07777)) == 0;
}

}  // namespace platform
