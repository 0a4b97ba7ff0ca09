// POSIX backend of platform/process.h (Linux).
//
// Program path from /proc/self/exe, environment variables, the monotonic
// tick counter and local time (all three replaceable by tests), and
// starting other programs with posix_spawn without waiting for them.
#include "platform/process.h"
#include "platform/posix/localtime.h"
#include "platform/sources.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

extern char** environ;

namespace platform {
namespace {

// The children we still have to reap.
struct ProcessState {
    std::mutex lock;
    std::vector<pid_t> children;
};

ProcessState& state() {
    static ProcessState s;
    return s;
}

// Parameters are split at blanks; double quotes group a parameter with
// blanks and are removed. No shell ever sees them.
std::vector<std::string> splitParameters(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    bool inQuotes = false, have = false;
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            have = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (have) out.push_back(cur);
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (have) out.push_back(cur);
    return out;
}

// Started programs are not waited for, but they must not stay zombies.
void reapFinishedChildren(ProcessState& s) {
    for (std::size_t i = 0; i < s.children.size();) {
        int status;
        if (waitpid(s.children[i], &status, WNOHANG) != 0) {
            s.children[i] = s.children.back();
            s.children.pop_back();
        } else {
            ++i;
        }
    }
}

}  // namespace

std::string programPath() {
    const std::function<std::string()> source = sources::programPath();
    if (source) return source();
    std::vector<char> buf(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return "";
        if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::string installedProgramFolder() {
    const std::function<std::string()> source = sources::installedFolder();
    if (source) return source();
#ifdef QUONABIX_INSTALLED_FOLDER
    return QUONABIX_INSTALLED_FOLDER;
#else
    return "";
#endif
}

// A relative XDG_CONFIG_HOME is no folder at all (XDG base directories).
std::string userSettingsFolder() {
    std::string config = environmentValue("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        const std::string home = environmentValue("HOME");
        if (home.empty() || home[0] != '/') return "";
        config = home + (home.back() == '/' ? "" : "/") + ".config";
    }
    return config + (config.back() == '/' ? "" : "/") + "quonabix/";
}

std::string currentDirectory() {
    std::vector<char> buf(4096);
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return "";
        buf.resize(buf.size() * 2);
    }
    std::string dir(buf.data());
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

std::string environmentValue(const std::string& name, bool* set) {
    const char* v = getenv(name.c_str());
    if (set) *set = v != nullptr;
    return v ? std::string(v) : std::string();
}

uint32_t tickCount() {
    const std::function<uint32_t()> source = sources::tick();
    if (source) return source();
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

LocalTime localNow() {
    const std::function<LocalTime()> source = sources::now();
    if (source) return source();
    LocalTime out;
    posix::toLocalTime(time(nullptr), out);
    return out;
}

namespace {

// Spawns the program with its parameters in the working directory; 0 when
// it could not be started.
pid_t spawn(const std::string& program, const std::string& parameters, const std::string& workingDirectory) {
    if (program.empty()) return 0;
    std::vector<std::string> args = splitParameters(parameters);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

}  // namespace

int startProgram(const std::string& program, const std::string& parameters,
                 const std::string& workingDirectory) {
    const pid_t pid = spawn(program, parameters, workingDirectory);
    ProcessState& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    reapFinishedChildren(s);
    if (pid == 0) return 0;
    s.children.push_back(pid);
    return 1;
}

int runProgram(const std::string& program, const std::string& parameters,
               const std::string& workingDirectory) {
    const pid_t pid = spawn(program, parameters, workingDirectory);
    if (pid == 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Scripts are UTF-8 like every file the program writes on Linux.
std::string toScriptBytes(std::string text) { return text; }
std::string fromScriptBytes(std::string bytes) { return bytes; }
std::string toProfileBytes(const std::string& text) { return text; }
std::string fromProfileBytes(const std::string& bytes) { return bytes; }

namespace {

void writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

void writeStdout(const std::string& text) { writeAll(STDOUT_FILENO, text); }
void writeStderr(const std::string& text) { writeAll(STDERR_FILENO, text); }

std::vector<std::string> commandArguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace platform
