// The benchmark runner: measures the program's workloads against bare
// system-call loops and peer renamers in the same run and prints one table.
//
//   quonabix_bench            1,000, 10,000 and 100,000 files
//   quonabix_bench --quick    10,000 files only
// Further options: --runs K (counted runs, at least 5), --sizes N[,N...],
// --only table|rename|exfat|photos|memory (repeatable; exfat runs when 10,000 is
// among the sizes), --spread (lowest and highest run);
// --breakdown N and --repeat W N K look inside a workload (bench/profile.cpp).
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/groups.h"
#include "bench/harness.h"
#include "bench/profile.h"
#include "bench/qtprogram.h"
#include "bench/references.h"
#include "bench/workloads.h"
#include "platform/headless/headless.h"
#include "platform/process.h"

namespace {

struct Options {
    std::vector<int> sizes{1000, 10000, 100000};
    int runs = 5;
    std::set<std::string> only;
    bool spread = false;
};

std::vector<int> parseSizes(const std::string& text) {
    std::vector<int> sizes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const int n = std::stoi(text.substr(start, end - start));
        if (n < 1 || n > 999999) throw std::runtime_error("sizes run from 1 to 999,999 files");
        sizes.push_back(n);
        start = end + 1;
    }
    return sizes;
}

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--quick") o.sizes = {10000};
        else if (a == "--runs" && more) o.runs = std::max(5, std::atoi(argv[++i]));
        else if (a == "--sizes" && more) o.sizes = parseSizes(argv[++i]);
        else if (a == "--only" && more) o.only.insert(argv[++i]);
        else if (a == "--spread") o.spread = true;
        else throw std::runtime_error("unknown option " + a);
    }
    return o;
}

// Tells the program's window when the program let it repaint.
struct WatchedHeadless : platform::HeadlessWindowSystem {
    bench::ProgramWindow* window = nullptr;
    void repaintNow() override {
        platform::HeadlessWindowSystem::repaintNow();
        if (window) window->repainted();
    }
};

bool wanted(const Options& o, const char* group) { return o.only.empty() || o.only.count(group) != 0; }

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one + " " + five;
}

void printHeader(const Options& o, const bench::Folders& folders) {
    utsname u{};
    uname(&u);
    const std::time_t now = std::time(nullptr);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", std::localtime(&now));
    std::printf("Quonabix benchmarks  %s  %s %s, %ld cores, load %s\n", when, u.sysname, u.release,
                sysconf(_SC_NPROCESSORS_ONLN), loadAverage().c_str());
    std::printf("median of %d runs after one warm-up; a fresh folder of empty IMG_nnnnnn.jpg files per run in %s\n\n",
                o.runs, folders.root().c_str());
}

void printNotes(const std::vector<bench::Line>& lines) {
    std::printf("\nours: the program's own code on the headless window system (or Qt, offscreen), driven\n"
                "through its event dispatch as a click or key stroke would; real files, same disk.\n"
                "Rename: default pattern with 6 digits (neu_000001.jpg ...), every row ticked; the figure\n"
                "includes the undo script, the undo log and the table's refresh. Undo: the script read\n"
                "and run by the program's interpreter, then the full rebuild the program does after it.\n"
                "(process): the peer is timed from spawn to exit, start-up included; it renames the same\n"
                "files to the same names (checked after every run). Ratio = ours / reference.\n"
                "exFAT: 10,000 files on a 64 MiB image mounted through exfat-fuse, the undo files on\n"
                "the disk above; its bare loop makes the calls of the reservation way (no hard links).\n"
                "Photos: 20,000 JPEGs of 1.3 KB, camera tags and a thumbnail written by libexiv2 (no\n"
                "maker note), read from the page cache; the first fill reads every one, later rebuilds none.\n");
    int missed = 0, met = 0;
    for (const bench::Line& l : lines) {
        const std::string v = bench::verdictOf(l);
        if (v == "met") ++met;
        if (v == "MISSED") ++missed;
    }
    std::printf("goals: %d met, %d missed; load at the end %s\n", met, missed, loadAverage().c_str());
}

int runAll(const Options& o) {
    bench::Folders folders;
    const std::string upper = [&] {
        std::string s = folders.root();
        for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return s;
    }();
    // The program never renames in a folder whose path holds its name.
    if (upper.find("QUONABIX") != std::string::npos)
        throw std::runtime_error("the folder path " + folders.root() + " holds the product name; set TMPDIR");
    // Qt wants a private runtime directory; without one it warns on every start.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string runtime = folders.scratch();
        chmod(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    printHeader(o, folders);
    std::fflush(stdout);

    WatchedHeadless headless;
    // The program's own clock, not the settable one of the headless
    // system: a long step repaints by it, and the bench times those gaps.
    platform::setTickSource({});
    bench::ProgramWindow program(headless);
    headless.window = &program;
    std::unique_ptr<bench::QtProgram> qt;
    if (wanted(o, "table") || wanted(o, "photos")) qt = std::make_unique<bench::QtProgram>();
    bench::Context c{folders, program, qt ? &qt->window() : nullptr, o.runs};

    std::vector<bench::Line> lines;
    for (int n : o.sizes) {
        const double start = bench::nowMs();
        if (wanted(o, "table"))
            for (auto& l : bench::measureTable(c, n)) lines.push_back(std::move(l));
        if (wanted(o, "rename"))
            for (auto& l : bench::measureRename(c, n)) lines.push_back(std::move(l));
        std::fprintf(stderr, "  %d files measured in %.0f s\n", n, (bench::nowMs() - start) / 1000);
    }
    // exFAT through FUSE is slow: its group runs at 10,000 files only.
    if (wanted(o, "exfat") && std::count(o.sizes.begin(), o.sizes.end(), 10000)) {
        const double start = bench::nowMs();
        for (auto& l : bench::measureExfat(c, 10000)) lines.push_back(std::move(l));
        std::fprintf(stderr, "  10000 files on exFAT measured in %.0f s\n", (bench::nowMs() - start) / 1000);
    }
    // The date taken is measured on a card of 20,000 photos, whatever the sizes.
    if (wanted(o, "photos"))
        for (auto& l : bench::measurePhotos(c, 20000)) lines.push_back(std::move(l));
    if (wanted(o, "memory")) lines.push_back(bench::measureMemory(c, o.sizes.back()));
    bench::printTable(lines, o.spread);
    printNotes(lines);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 2 && std::strcmp(argv[1], "--memory-child") == 0)
            return bench::memoryChild(std::vector<std::string>(argv + 2, argv + argc));
        if (argc == 3 && std::strcmp(argv[1], "--breakdown") == 0) return bench::breakdown(std::atoi(argv[2]));
        if (argc == 5 && std::strcmp(argv[1], "--repeat") == 0)
            return bench::repeat(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
        // The Qt run needs no display.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return runAll(parseOptions(argc, argv));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quonabix_bench: %s\n", e.what());
        return 1;
    }
}
