// The change stamp of a directory, from one stat of the directory itself.
#include <sys/stat.h>

#include "platform/files.h"

namespace platform {

bool folderStamp(const std::string& dir, FolderStamp& out) {
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    out.identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    out.changedSec = st.st_mtim.tv_sec;
    out.changedNsec = st.st_mtim.tv_nsec;
    return true;
}

}  // namespace platform
