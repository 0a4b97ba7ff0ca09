// A small file-system image made and mounted for one test or benchmark
// run, in a folder of its own: exFAT, FAT or NTFS through their FUSE
// programs, where this machine allows it (root, /dev/fuse, the programs,
// a loop device for the programs that want a block device). Unmounting,
// ending the FUSE program and freeing the loop device happen on every way
// out; a FUSE program that hangs is killed after a time limit, so the
// case fails instead of hanging. Shared by tests/posix/filesystems_test.cpp
// and the exFAT group of the benchmarks.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testfs {

struct ImageFormat {
    std::string name;                    // for messages: "exFAT"
    std::vector<std::string> make;       // program and arguments; the image path is added at the end
    std::vector<std::string> mount;      // program and arguments; "{image}" and "{dir}" are filled in
    long long sizeMiB = 8;               // a sparse file
    bool blockDevice = false;            // the mount program wants a block device: a loop device
};

// Runs a program (looked up on the PATH and in the sbin folders) to its
// end, standard input from /dev/null, both outputs appended to `log`.
// Returns its exit code, -1 when it did not start or ended by a signal.
int runProgram(const std::vector<std::string>& argv, const std::string& log);
// The program's full path, or "" when it is not installed.
std::string findProgram(const std::string& name);

class MountedImage {
public:
    // Makes the image and mounts it below `folder` (which ends with "/"
    // and exists). `limitSeconds`: how long the FUSE program may live.
    MountedImage(const ImageFormat& format, const std::string& folder, int limitSeconds = 120);
    ~MountedImage();
    MountedImage(const MountedImage&) = delete;
    MountedImage& operator=(const MountedImage&) = delete;

    bool mounted() const { return daemon_ > 0; }
    // Why it is not mounted, for the skip message.
    const std::string& why() const { return why_; }
    // The mounted root, ending with "/".
    std::string dir() const { return mountPoint_ + "/"; }
    // Unmounts and mounts the same image again, with other mount arguments
    // (the format's own when empty). False, with why(), when that failed.
    bool remount(const std::vector<std::string>& mountArgs = {});

private:
    bool mountWith(const std::vector<std::string>& args);
    void unmount();
    void watch(int limitSeconds);

    ImageFormat format_;
    std::string folder_, image_, device_, mountPoint_, log_, why_;
    pid_t daemon_ = -1;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    std::thread watchdog_;
};

}  // namespace testfs
