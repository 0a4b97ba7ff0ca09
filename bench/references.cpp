// The bare loops and the peer renamers.
#include "bench/references.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "bench/harness.h"

namespace bench {

double bareListAndSort(const std::string& dir, std::size_t& count) {
    const double start = nowMs();
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
            names.emplace_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    const double ms = nowMs() - start;
    count = names.size();
    return ms;
}

double bareRenameLoop(const std::string& dir, const std::vector<std::string>& from,
                      const std::vector<std::string>& to, int& failed) {
    failed = 0;
    const double start = nowMs();
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        failed = static_cast<int>(from.size());
        return nowMs() - start;
    }
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (renameat2(fd, from[i].c_str(), fd, to[i].c_str(), RENAME_NOREPLACE) != 0) ++failed;
    }
    close(fd);
    return nowMs() - start;
}

double bareReserveRenameLoop(const std::string& dir, const std::vector<std::string>& from,
                             const std::vector<std::string>& to, int& failed) {
    failed = 0;
    const double start = nowMs();
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        failed = static_cast<int>(from.size());
        return nowMs() - start;
    }
    for (std::size_t i = 0; i < from.size(); ++i) {
        const int reserved = openat(fd, to[i].c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (reserved < 0) {
            ++failed;
            continue;
        }
        struct stat held, named;
        const bool ours = fstat(reserved, &held) == 0 &&
                          fstatat(fd, to[i].c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                          held.st_ino == named.st_ino && held.st_dev == named.st_dev;
        if (!ours || renameat(fd, from[i].c_str(), fd, to[i].c_str()) != 0) ++failed;
        close(reserved);
    }
    close(fd);
    return nowMs() - start;
}

// Both give exactly the names the program gives with six digits: the
// running number of the sorted list equals the number in the old name.
const std::vector<Peer>& peers() {
    static const std::vector<Peer> list = {
        {"mmv -r (process)", "mmv"},
        {"perl rename (process)", "file-rename"},
    };
    return list;
}

double runPeer(const Peer& peer, const std::string& dir, const std::string& listFile,
               const std::string& errors, bool& ok) {
    ok = false;
    if (!onPath(peer.program)) return -1;
    std::vector<std::string> argv;
    std::string input;
    if (peer.program == "mmv") {
        argv = {"mmv", "-r", "IMG_*.jpg", "neu_#1.jpg"};
    } else {
        // Without names on the command line it reads them from standard
        // input; 100,000 names would not fit on a command line anyway.
        argv = {peer.program, "s/^IMG_(\\d+)\\.jpg$/neu_$1.jpg/"};
        input = listFile;
    }
    double ms = 0;
    ok = runTimed(argv, dir, input, errors, ms) == 0;
    return ms;
}

}  // namespace bench
