// The measuring side of the benchmarks: clock, medians, fresh folders of
// camera-style file names, and starting a peer program as one timed process.
#pragma once

#include <string>
#include <vector>

namespace bench {

double nowMs();

// Figures of one workload; the first run is the warm-up and never counts.
struct Samples {
    std::vector<double> ms;
    void add(double v) { ms.push_back(v); }
    double median() const;   // of every run after the warm-up; -1 when none
    double low() const;
    double high() const;
};

// "IMG_000001.jpg" and the name the rename workloads give it, "neu_000001.jpg".
std::string pictureName(int number);
std::string renamedName(int number);
// Both lists of 1..n in that order (which is also the file list's order).
std::vector<std::string> pictureNames(int n);
std::vector<std::string> renamedNames(int n);

// The names in a folder ("." and ".." left out), sorted bytewise.
std::vector<std::string> listFolder(const std::string& dir);
// True when the folder holds exactly these names (any order in `expected`).
bool folderHolds(const std::string& dir, std::vector<std::string> expected);

// Fresh folders of n empty files named IMG_000001.jpg ... under one root
// below $TMPDIR (or /tmp). Creating an inode costs 100-300 µs on a virtual
// disk, so every n keeps one stock of empty files: a fresh folder is a new
// directory into which the stock's files are moved under the picture names
// (about 20 µs a file), and a used folder becomes the stock of the next one.
// `parent` (ending with "/") puts the root below another folder, such as a
// mounted image.
class Folders {
public:
    explicit Folders(const std::string& parent = "");
    ~Folders();
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;

    const std::string& root() const { return root_; }
    // A new folder of n empty picture files, written through to the disk;
    // the path ends with "/".
    std::string fresh(int n);
    // Hands a folder of n files (any names) back as the stock for n.
    void recycle(const std::string& dir, int n);
    // A new empty directory below the root (for the undo files of one run).
    std::string scratch();
    // Removes a scratch directory with its files.
    void drop(const std::string& dir);

private:
    std::string root_;
    int serial_ = 0;
    std::vector<std::pair<int, std::string>> stocks_;
    std::string& stockFor(int n);
};

// Runs a program to its end; returns its exit status (-1 when it could not
// start). `ms` is the time from before fork to after wait: the whole
// process, start-up included. Standard input comes from `input` (or
// /dev/null), output goes to /dev/null, error output to `errors`.
int runTimed(const std::vector<std::string>& argv, const std::string& workingDir,
             const std::string& input, const std::string& errors, double& ms);
// Whether a program is on the PATH.
bool onPath(const std::string& program);

}  // namespace bench
