// What the program's figures are measured against: bare loops of the system
// calls a renamer cannot do without, and other renamers run as processes.
#pragma once

#include <string>
#include <vector>

namespace bench {

// opendir/readdir of the folder into std::string names, then std::sort.
// Returns the time; `count` the names found.
double bareListAndSort(const std::string& dir, std::size_t& count);

// renameat2(RENAME_NOREPLACE) relative to one directory descriptor, from[i]
// to to[i] in order. Returns the time; `failed` the calls that failed.
double bareRenameLoop(const std::string& dir, const std::vector<std::string>& from,
                      const std::vector<std::string>& to, int& failed);

// The calls of a rename that reserves its new name first, as where the
// file system has neither RENAME_NOREPLACE nor hard links (exFAT): for
// each file openat(to, O_CREAT|O_EXCL|O_NOFOLLOW), fstat of it, fstatat of
// the name, renameat(from, to), close. Returns the time; `failed` counts
// the files not renamed.
double bareReserveRenameLoop(const std::string& dir, const std::vector<std::string>& from,
                             const std::vector<std::string>& to, int& failed);

// A peer renamer turning IMG_000001.jpg ... into neu_000001.jpg ... in the
// folder, timed as a whole process. `ok` is false when it failed or is missing.
struct Peer {
    std::string label;     // for the table
    std::string program;   // looked up on the PATH
};
const std::vector<Peer>& peers();
// `listFile` holds the folder's names, one a line, for peers that read
// names from standard input; `errors` receives the peer's error output.
double runPeer(const Peer& peer, const std::string& dir, const std::string& listFile,
               const std::string& errors, bool& ok);

}  // namespace bench
