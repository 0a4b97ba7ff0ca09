// Clock, medians, fresh folders and timed peer processes.
#include "bench/harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace bench {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

namespace {

std::vector<double> counted(const std::vector<double>& all) {
    if (all.size() < 2) return {};
    std::vector<double> v(all.begin() + 1, all.end());
    std::sort(v.begin(), v.end());
    return v;
}

std::string numbered(const char* format, int number) {
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

// Every entry but "." and "..", in the order the directory gives them.
std::vector<std::string> entries(int dirFd) {
    std::vector<std::string> names;
    const int fd = dup(dirFd);
    DIR* d = fdopendir(fd);
    if (!d) {
        close(fd);
        return names;
    }
    rewinddir(d);
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
    return names;
}

int openDir(const std::string& dir) {
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open folder " + dir);
    return fd;
}

}  // namespace

double Samples::median() const {
    const std::vector<double> v = counted(ms);
    if (v.empty()) return -1;
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

double Samples::low() const {
    const std::vector<double> v = counted(ms);
    return v.empty() ? -1 : v.front();
}

double Samples::high() const {
    const std::vector<double> v = counted(ms);
    return v.empty() ? -1 : v.back();
}

std::string pictureName(int number) { return numbered("IMG_%06d.jpg", number); }
std::string renamedName(int number) { return numbered("neu_%06d.jpg", number); }

std::vector<std::string> pictureNames(int n) {
    std::vector<std::string> v;
    v.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) v.push_back(pictureName(i));
    return v;
}

std::vector<std::string> renamedNames(int n) {
    std::vector<std::string> v;
    v.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) v.push_back(renamedName(i));
    return v;
}

std::vector<std::string> listFolder(const std::string& dir) {
    const int fd = openDir(dir);
    std::vector<std::string> names = entries(fd);
    close(fd);
    std::sort(names.begin(), names.end());
    return names;
}

bool folderHolds(const std::string& dir, std::vector<std::string> expected) {
    std::sort(expected.begin(), expected.end());
    return listFolder(dir) == expected;
}

// ---- folders ---------------------------------------------------------------------

Folders::Folders(const std::string& parent) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string under = !parent.empty() ? parent : std::string(tmp && *tmp ? tmp : "/tmp") + "/";
    std::string pattern = under + "qbx-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    root_ = pattern + "/";
}

Folders::~Folders() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string& Folders::stockFor(int n) {
    for (auto& [count, dir] : stocks_)
        if (count == n) return dir;
    stocks_.emplace_back(n, std::string());
    return stocks_.back().second;
}

std::string Folders::scratch() {
    const std::string dir = root_ + "run-" + std::to_string(++serial_) + "/";
    if (mkdir(dir.c_str(), 0755) != 0) throw std::runtime_error("cannot make " + dir);
    return dir;
}

void Folders::drop(const std::string& dir) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::string Folders::fresh(int n) {
    std::string& stock = stockFor(n);
    if (stock.empty()) {
        // The first folder of this size: its files are made once.
        stock = scratch();
        const int fd = openDir(stock);
        for (int i = 1; i <= n; ++i) {
            const int f = openat(fd, pictureName(i).c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
            if (f < 0) throw std::runtime_error("cannot create files in " + stock);
            close(f);
        }
        close(fd);
    }
    const std::string dir = scratch();
    const int from = openDir(stock), to = openDir(dir);
    const std::vector<std::string> names = entries(from);
    if (static_cast<int>(names.size()) != n) throw std::runtime_error("stock of " + stock + " is short");
    for (int i = 0; i < n; ++i) {
        if (renameat(from, names[static_cast<std::size_t>(i)].c_str(), to, pictureName(i + 1).c_str()) != 0)
            throw std::runtime_error("cannot fill " + dir);
    }
    // What the filling left in the journal is written now, not during a run.
    syncfs(to);
    close(from);
    close(to);
    rmdir(stock.c_str());
    stock.clear();
    return dir;
}

void Folders::recycle(const std::string& dir, int n) {
    std::string& stock = stockFor(n);
    if (!stock.empty()) {
        drop(dir);
        return;
    }
    stock = dir;
}

// ---- peer processes -------------------------------------------------------------

int runTimed(const std::vector<std::string>& argv, const std::string& workingDir,
             const std::string& input, const std::string& errors, double& ms) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, input.empty() ? "/dev/null" : input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const double start = nowMs();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    int status = 0;
    if (rc == 0) waitpid(pid, &status, 0);
    ms = nowMs() - start;
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find(':', start);
        if (end == std::string::npos) end = rest.size();
        const std::string candidate = rest.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace bench
