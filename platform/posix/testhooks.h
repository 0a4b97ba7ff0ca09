// Test hooks of the posix backend, for tests only: they stand in for a
// system call, so that a test reaches what this machine's file systems
// never do on their own. The program never sets them, and without a hook
// the real calls run.
#pragma once

#include <functional>
#include <string>

namespace platform::posix {

// The system calls of the never-replacing rename (renameNoReplaceAt):
// renameat2 with RENAME_NOREPLACE; the link + unlink it falls back to
// where the file system refuses that flag; and where it has no hard links
// either, Reserve (openat with O_CREAT|O_EXCL|O_NOFOLLOW of `from`) and a
// plain Rename onto that reservation. Unlink and Reserve have no `to`. A
// hook returns 0 or an errno value, and may pass a call on to
// realRenameCall. Set it only while no rename runs; an empty function
// restores the real calls.
enum class RenameCall { RenameNoReplace, Link, Unlink, Reserve, Rename };
using RenameCallHook =
    std::function<int(RenameCall call, int dirFd, const std::string& from, const std::string& to)>;
void setRenameCallHook(RenameCallHook hook);
int realRenameCall(RenameCall call, int dirFd, const std::string& from, const std::string& to);

}  // namespace platform::posix
