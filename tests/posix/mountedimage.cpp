// Making, mounting and taking down a file-system image (mountedimage.h).
#include "mountedimage.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/loop.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>

extern char** environ;

namespace testfs {

namespace {

constexpr long FuseMagic = 0x65735546;

// "" where it cannot be read: a process of /proc may end while it is read,
// and the stream then throws.
std::string readAll(const std::string& path) {
    try {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    } catch (const std::exception&) {
        return "";
    }
}

// The last line a program wrote, for a message.
std::string lastLine(const std::string& log) {
    std::string text = readAll(log);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    const std::size_t p = text.rfind('\n');
    return p == std::string::npos ? text : text.substr(p + 1);
}

// The FUSE program serving a mount point: the process that has the mount
// point, exactly as it was given, among its arguments. Every mount point
// here lies in a fresh folder of its own, so no other process has it.
pid_t daemonServing(const std::string& mountPoint) {
    pid_t found = -1;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (const dirent* e = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(e->d_name[0]))) continue;
        const std::string args = readAll(std::string("/proc/") + e->d_name + "/cmdline");
        for (std::size_t start = 0; start < args.size();) {
            std::size_t end = args.find('\0', start);
            if (end == std::string::npos) end = args.size();
            if (args.compare(start, end - start, mountPoint) == 0) found = std::atoi(e->d_name);
            start = end + 1;
        }
    }
    closedir(proc);
    return found;
}

// Waits up to `ms` for a process that is not our child to end.
bool waitForEnd(pid_t pid, int ms) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return errno == ESRCH;
    pollfd p{fd, POLLIN, 0};
    const bool ended = poll(&p, 1, ms) == 1;
    close(fd);
    return ended;
}

}  // namespace

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string dirs = std::string(path ? path : "/usr/bin:/bin") + ":/usr/local/sbin:/usr/sbin:/sbin";
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

int runProgram(const std::vector<std::string>& argv, const std::string& log) {
    const std::string program = findProgram(argv.at(0));
    if (program.empty()) return -1;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

MountedImage::MountedImage(const ImageFormat& format, const std::string& folder, int limitSeconds)
    : format_(format), folder_(folder), image_(folder + "image"), mountPoint_(folder + "mnt"),
      log_(folder + "mount.log") {
    if (geteuid() != 0) {
        why_ = "mounting " + format.name + " needs root";
        return;
    }
    const int fuse = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0) {
        why_ = "no /dev/fuse (" + std::string(std::strerror(errno)) + ")";
        return;
    }
    close(fuse);
    std::vector<std::string> programs{format.make.at(0), format.mount.at(0)};
    if (format.blockDevice) programs.push_back("losetup");
    for (const std::string& p : programs) {
        if (findProgram(p).empty()) {
            why_ = p + " is not installed, no " + format.name + " (tools/deps.sh installs it)";
            return;
        }
    }
    const int fd = open(image_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool sized = fd >= 0 && ftruncate(fd, format.sizeMiB << 20) == 0;
    if (fd >= 0) close(fd);
    std::vector<std::string> make = format.make;
    make.push_back(image_);
    if (!sized || runProgram(make, log_) != 0) {
        why_ = format.make[0] + " failed: " + lastLine(log_);
        return;
    }
    if (format.blockDevice) {
        const std::string out = folder + "losetup.out";
        const int rc = runProgram({"losetup", "-f", "--show", image_}, out);
        const std::string device = lastLine(out);
        if (rc != 0 || device.rfind("/dev/", 0) != 0) {
            why_ = "no loop device: " + device;
            return;
        }
        device_ = device;
    }
    if (mkdir(mountPoint_.c_str(), 0755) != 0) {
        why_ = "cannot make " + mountPoint_;
        return;
    }
    if (!mountWith(format.mount)) return;
    watchdog_ = std::thread([this, limitSeconds] { watch(limitSeconds); });
}

MountedImage::~MountedImage() {
    unmount();
    if (watchdog_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        stop_.notify_all();
        watchdog_.join();
    }
    if (!device_.empty()) {
        const int fd = open(device_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ioctl(fd, LOOP_CLR_FD, 0);
            close(fd);
        }
    }
}

bool MountedImage::mountWith(const std::vector<std::string>& args) {
    std::vector<std::string> argv;
    for (std::string a : args) {
        if (a == "{image}") a = device_.empty() ? image_ : device_;
        if (a == "{dir}") a = mountPoint_;
        argv.push_back(a);
    }
    const int rc = runProgram(argv, log_);
    struct statfs fs;
    const bool isFuse = statfs(mountPoint_.c_str(), &fs) == 0 && fs.f_type == FuseMagic;
    const pid_t pid = isFuse ? daemonServing(mountPoint_) : -1;
    if (rc != 0 || pid <= 0) {
        if (isFuse) umount2(mountPoint_.c_str(), MNT_DETACH);
        why_ = argv[0] + " could not mount the " + format_.name + " image: " + lastLine(log_);
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    daemon_ = pid;
    return true;
}

void MountedImage::unmount() {
    pid_t pid;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pid = daemon_;
    }
    if (pid <= 0) return;
    if (umount2(mountPoint_.c_str(), 0) != 0) {
        std::fprintf(stderr, "%s: %s is busy (%s); detached, the FUSE program ends when it is free\n",
                     format_.name.c_str(), mountPoint_.c_str(), std::strerror(errno));
        umount2(mountPoint_.c_str(), MNT_DETACH);
    }
    // The FUSE program ends once its file system is unmounted and written.
    if (!waitForEnd(pid, 20000)) {
        kill(pid, SIGKILL);
        waitForEnd(pid, 5000);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    daemon_ = -1;
}

bool MountedImage::remount(const std::vector<std::string>& mountArgs) {
    unmount();
    return mountWith(mountArgs.empty() ? format_.mount : mountArgs);
}

void MountedImage::watch(int limitSeconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stop_.wait_for(lock, std::chrono::seconds(limitSeconds), [this] { return stopping_; })) return;
    if (daemon_ > 0) {
        std::fprintf(stderr, "%s: the FUSE program of %s still runs after %d s; killed\n", format_.name.c_str(),
                     mountPoint_.c_str(), limitSeconds);
        kill(daemon_, SIGKILL);
    }
}

}  // namespace testfs
