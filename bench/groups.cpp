// The measuring runs. Every run makes its folders before the clock starts
// and checks the outcome after it stops; the order of the contenders
// rotates from run to run, so a neighbour's load on the shared cores falls
// on all of them alike.
#include "bench/groups.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>

#include "bench/harness.h"
#include "bench/references.h"
#include "bench/workloads.h"
#include "engine/preview.h"
#include "engine/texts.h"
#include "engine/state.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "support/ids.h"
#include "support/values.h"
#include "tests/posix/mountedimage.h"

namespace bench {

namespace {

void expect(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("check failed: " + what);
}

// Runs the contenders of one run in an order that starts one later each run.
void rotated(int run, const std::vector<std::function<void()>>& contenders) {
    const std::size_t k = contenders.size();
    for (std::size_t i = 0; i < k; ++i) contenders[(static_cast<std::size_t>(run) + i) % k]();
}

std::vector<std::string> reversed(std::vector<std::string> v) {
    std::reverse(v.begin(), v.end());
    return v;
}

std::string names(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& name : list) text += name + "\n";
    return text;
}

// The user's rename and undo (none without `undo`) in the headless window,
// on a fresh folder of `files`, with the undo files in a directory of
// their own for this run.
void programRename(Context& c, Folders& files, int n, Samples& rename, Samples* undo) {
    const std::string dir = files.fresh(n), temp = c.folders.scratch();
    support::TempVerzeichnis = temp;
    ProgramWindow& w = c.headless;
    w.setDigits("6");
    w.chooseFolder(dir);
    w.fullRebuild();
    expect(w.rows() == n, "rows before the rename");
    w.clearBoxes();
    rename.add(w.renameAction());
    expect(folderHolds(dir, renamedNames(n)), "the program's new names");
    expect(w.cell(n - 1, ids::ColStatus) == engine::text::StatusOk, "status of the last row");
    expect(platform::fileSize(engine::UndoDatei) > 0, "the undo script " + engine::UndoDatei);
    expect(platform::fileSize(temp + engine::text::LogName) > 0, "the undo log");
    if (undo) {
        undo->add(w.undoAction());
        expect(folderHolds(dir, pictureNames(n)), "the names after undo");
        expect(w.lastBox() == engine::text::AllUndone, "the undo's message: " + w.lastBox());
    }
    w.setDigits("3");
    c.folders.drop(temp);
    files.recycle(dir, n);
}

void bareRename(Context& c, int n, Samples& forth, Samples& back) {
    static std::vector<std::string> from, to, fromBack, toBack;
    if (static_cast<int>(from.size()) != n) {
        from = pictureNames(n);
        to = renamedNames(n);
        // The undo script renames the last file back first; so does this.
        fromBack = reversed(to);
        toBack = reversed(from);
    }
    const std::string dir = c.folders.fresh(n);
    int failed = 0;
    forth.add(bareRenameLoop(dir, from, to, failed));
    expect(failed == 0 && folderHolds(dir, to), "the bare loop's new names");
    back.add(bareRenameLoop(dir, fromBack, toBack, failed));
    expect(failed == 0 && folderHolds(dir, from), "the bare loop's names back");
    c.folders.recycle(dir, n);
}

void peerRename(Context& c, int n, const Peer& peer, const std::string& list, Samples& s) {
    const std::string dir = c.folders.fresh(n);
    const std::string errors = c.folders.root() + "peer-errors.txt";
    bool ok = false;
    const double ms = runPeer(peer, dir, list, errors, ok);
    if (!ok) {
        std::ifstream in(errors);
        std::string first;
        std::getline(in, first);
        throw std::runtime_error(peer.label + " failed: " + first);
    }
    s.add(ms);
    expect(folderHolds(dir, renamedNames(n)), peer.label + "'s new names");
    c.folders.recycle(dir, n);
}

}  // namespace

std::vector<Line> measureTable(Context& c, int n) {
    Samples full, names, bare, qt, fullToday, namesToday, typing, gaps, qtGaps;
    for (int run = 0; run <= c.runs; ++run) {
        const std::string dir = c.folders.fresh(n);
        rotated(run, {
            [&] {
                // With the preview of failing rows and, back to back, without
                // it as the program was before; which goes first alternates.
                ProgramWindow& w = c.headless;
                auto rebuilds = [&](bool preview, Samples& f, Samples& m) {
                    engine::previewOn = preview;
                    w.chooseFolder(dir);
                    // Both start from a table without marks: the one without
                    // the preview must not pay for those the other left.
                    auto& table = platform::win();
                    for (int r = 0; r < table.countRows(ids::FileTable); ++r)
                        table.setRowMark(ids::FileTable, r, platform::RowMark::None);
                    f.add(w.fullRebuild());
                    if (preview) gaps.add(w.longestGap());
                    expect(w.rows() == n, "rows of the headless rebuild");
                    m.add(w.recomputeNames("4"));
                    expect(w.cell(0, ids::ColNew) == "neu_0001.jpg", "new names after the digits changed");
                    w.setDigits("3");
                    engine::previewOn = true;
                };
                for (int k = 0; k < 2; ++k) {
                    if ((k + run) % 2 == 0) rebuilds(true, full, names);
                    else rebuilds(false, fullToday, namesToday);
                }
                typing.add(w.typeMask("*.jpg"));
                expect(w.rows() == n, "rows after typing the mask");
            },
            [&] {
                std::size_t count = 0;
                bare.add(bareListAndSort(dir, count));
                expect(count == static_cast<std::size_t>(n), "names the bare loop listed");
            },
            [&] {
                if (!c.qt) return;
                c.qt->chooseFolder(dir);
                qt.add(c.qt->fullRebuild());
                qtGaps.add(c.qt->longestGap());
                expect(c.qt->rows() == n, "rows of the Qt rebuild");
            },
        });
        c.folders.recycle(dir, n);
    }
    std::vector<Line> lines;
    // Twice the bare loop at 100,000 files and at a million.
    const int rebuildGoalAt = n == 999999 ? n : 100000;
    lines.push_back({"full rebuild (mode 0), headless", n, full, "bare readdir + std::sort", bare,
                     {2.0, false, rebuildGoalAt, "<= 2x"}});
    lines.push_back({"new names (mode 1), headless", n, names, "full rebuild, headless (above)", full,
                     {0.5, false, 0, "<= 0.5x"}});
    lines.push_back({"full rebuild (mode 0) with preview", n, full, "the same without preview", fullToday,
                     {1.2, false, 100000, "<= 1.2x"}, true});
    lines.push_back({"new names (mode 1) with preview", n, names, "the same without preview", namesToday,
                     {1.5, false, 100000, "<= 1.5x"}, true});
    lines.push_back({"5 keys into the mask (*.jpg), headless", n, typing, "full rebuild, headless (above)", full,
                     {2.5, false, 999999, "<= 2.5x"}});
    auto waitLine = [n](const char* workload, const Samples& s) {
        Line l{workload, n, s, "limit", {}, {1.0, false, 999999, "<= 100 ms"}};
        l.refValue = 100;
        return l;
    };
    lines.push_back(waitLine("longest repaint gap, rebuild, headless", gaps));
    if (c.qt) lines.push_back(waitLine("longest repaint gap, rebuild, Qt", qtGaps));
    if (c.qt)
        lines.push_back({"full rebuild (mode 0), Qt offscreen", n, qt, "full rebuild, headless (above)", full,
                         {2.0, false, 100000, "<= 2x"}});
    return lines;
}

std::vector<Line> measureRename(Context& c, int n) {
    const std::string list = c.folders.root() + "names-" + std::to_string(n) + ".txt";
    std::ofstream(list) << names(pictureNames(n));
    std::vector<Peer> present;
    for (const Peer& p : peers())
        if (onPath(p.program)) present.push_back(p);
    Samples rename, undo, forth, back;
    std::vector<Samples> peer(present.size());
    for (int run = 0; run <= c.runs; ++run) {
        std::vector<std::function<void()>> contenders = {
            [&] { programRename(c, c.folders, n, rename, &undo); },
            [&] { bareRename(c, n, forth, back); },
        };
        for (std::size_t i = 0; i < present.size(); ++i)
            contenders.push_back([&, i] { peerRename(c, n, present[i], list, peer[i]); });
        rotated(run, contenders);
    }
    std::vector<Line> lines;
    // A small action pays the fixed costs (the undo files made and synced,
    // the folder's rules) on few renames.
    const Goal renameGoal = n <= 1000 ? Goal{1.25, false, 0, "<= 1.25x"} : Goal{1.1, false, 0, "<= 1.1x"};
    const Goal undoGoal = n <= 1000 ? Goal{1.25, false, 0, "<= 1.25x"} : Goal{1.05, false, 100000, "<= 1.05x"};
    lines.push_back({"Rename, headless", n, rename, "bare renameat2 loop", forth, renameGoal, true});
    for (std::size_t i = 0; i < present.size(); ++i)
        lines.push_back({"Rename, headless", n, rename, present[i].label, peer[i],
                         {1.0, true, 0, "< 1x (faster)"}});
    lines.push_back({"undo (Rueckgaengig), headless", n, undo, "bare renameat2 loop back", back, undoGoal, true});
    for (std::size_t i = 0; i < present.size(); ++i)
        lines.push_back({"undo (Rueckgaengig), headless", n, undo, present[i].label, peer[i],
                         {1.0, true, 0, "< 1x (faster)"}});
    return lines;
}

// ---- exFAT ------------------------------------------------------------------

namespace {

const testfs::ImageFormat exfat{"exFAT", {"mkfs.exfat"}, {"mount.exfat-fuse", "{image}", "{dir}"}, 64, true};

void bareReserveRename(Folders& files, int n, Samples& forth) {
    static std::vector<std::string> from, to;
    if (static_cast<int>(from.size()) != n) {
        from = pictureNames(n);
        to = renamedNames(n);
    }
    const std::string dir = files.fresh(n);
    int failed = 0;
    forth.add(bareReserveRenameLoop(dir, from, to, failed));
    expect(failed == 0 && folderHolds(dir, to), "the bare reservation loop's new names on exFAT");
    files.recycle(dir, n);
}

}  // namespace

std::vector<Line> measureExfat(Context& c, int n) {
    Line line{"Rename, headless, exFAT image", n, {}, "bare reserve + renameat loop", {},
              {1.1, false, 0, "<= 1.1x"}, true};
    const std::string where = c.folders.scratch();
    // The FUSE program may run for the whole group; an hour is no hang.
    auto image = std::make_unique<testfs::MountedImage>(exfat, where, 3600);
    if (!image->mounted()) {
        line.reference = "skipped: " + image->why();
    } else {
        auto onImage = std::make_unique<Folders>(image->dir());
        try {
            for (int run = 0; run <= c.runs; ++run)
                rotated(run, {
                    [&] { programRename(c, *onImage, n, line.ours, nullptr); },
                    [&] { bareReserveRename(*onImage, n, line.ref); },
                });
        } catch (const std::exception& e) {
            line.reference = std::string("failed: ") + e.what();
            line.ours = line.ref = Samples();
        }
        // The image goes as a whole: removing its files one by one would
        // cost exfat-fuse as long as making them.
        image.reset();
        onImage.reset();
    }
    image.reset();
    c.folders.drop(where);
    return {line};
}

// ---- memory -----------------------------------------------------------------

namespace {

// A value in kB from /proc/self/status ("VmHWM", "VmRSS").
long statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

std::string selfPath() {
    char path[4096];
    const ssize_t k = readlink("/proc/self/exe", path, sizeof path - 1);
    if (k <= 0) throw std::runtime_error("cannot read /proc/self/exe");
    return std::string(path, static_cast<std::size_t>(k));
}

}  // namespace

int memoryChild(const std::vector<std::string>& args) {
    if (args.size() != 4) return 2;
    const std::string dir = args[0], out = args[3];
    const int n = std::stoi(args[2]);
    support::TempVerzeichnis = args[1];
    const long before = statusKb("VmRSS");
    platform::HeadlessWindowSystem h;
    ProgramWindow w(h);
    w.setDigits("6");
    w.chooseFolder(dir);
    w.fullRebuild();
    w.renameAction();
    w.undoAction();
    // The program's peak, before the check's own lists of names come.
    const long peak = statusKb("VmHWM");
    const bool ok = w.rows() == n && w.lastBox() == engine::text::AllUndone &&
                    folderHolds(dir, pictureNames(n));
    std::ofstream(out) << peak << " " << before << " " << (ok ? 1 : 0) << "\n";
    return ok ? 0 : 1;
}

Line measureMemory(Context& c, int n) {
    const std::string dir = c.folders.fresh(n), temp = c.folders.scratch();
    const std::string out = temp + "memory.txt";
    double ms = 0;
    const int rc = runTimed({selfPath(), "--memory-child", dir, temp, std::to_string(n), out}, temp, "",
                            temp + "errors.txt", ms);
    long peak = -1, before = -1;
    int ok = 0;
    std::ifstream(out) >> peak >> before >> ok;
    expect(rc == 0 && ok == 1 && peak > 0, "the memory run (exit " + std::to_string(rc) + ")");
    c.folders.drop(temp);
    c.folders.recycle(dir, n);
    Line l;
    l.workload = "peak memory, headless (" + std::to_string(before / 1024) + " MiB at start)";
    l.n = n;
    l.memory = true;
    l.oursValue = static_cast<double>(peak) / 1024.0;
    // About 200 bytes a file at a million; at 100,000 no more than the
    // program took before this limit was set.
    if (n == 999999) {
        l.reference = "limit";
        l.refValue = 200;
        l.goal = {1.0, false, n, "<= 200 MiB"};
    } else {
        l.reference = "the program before (62.1 MiB)";
        l.refValue = 62.1;
        l.goal = {1.0, false, 100000, "<= 62.1 MiB"};
    }
    return l;
}

}  // namespace bench
