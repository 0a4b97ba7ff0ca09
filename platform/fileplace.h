// Where a file's content really lives, and what a save must keep of it.
//
// Used to save a settings file that the user may have linked elsewhere or
// given other permission bits: the save writes the file a link leads to,
// and a replacement by a new file gets the old file's permission bits.
// Implemented on Linux in platform/fileplace.cpp.
#pragma once

#include <string>

namespace platform {

// The file a chain of symbolic links leads to, as an absolute path; path
// itself when it is no link or the chain leads nowhere.
std::string linkTarget(const std::string& path);

struct FileFacts {
    bool exists = false;    // links followed
    int permissions = 0;    // permission bits (rwx for user, group, others)
    bool ownFile = false;   // owned by the user the program runs as
    long long links = 0;    // names the file has (hard links)
};
FileFacts fileFacts(const std::string& path);

// Sets the permission bits of a file (links followed); false on failure.
bool setPermissions(const std::string& path, int permissions);

}  // namespace platform
