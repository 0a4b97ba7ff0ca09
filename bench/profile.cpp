// Looking inside a workload that misses its goal.
//
//   quonabix_bench --breakdown N      the parts of a full rebuild, a rename
//                                     and an undo, each timed on its own
//   quonabix_bench --repeat W N K     one folder, workload W (rebuild or
//                                     rename) K times: a steady process to
//                                     run under perf or callgrind
#include "bench/profile.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "bench/harness.h"
#include "bench/references.h"
#include "bench/workloads.h"
#include "engine/batch.h"
#include "engine/rules.h"
#include "engine/state.h"
#include "engine/table.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "support/ids.h"
#include "support/text.h"
#include "support/values.h"

namespace bench {

namespace {

// The file list's order (A-Z folded, raw bytes deciding ties) with the
// equal bytes skipped eight at a time: a sketch of what the sort could cost.
bool foldedBefore(const std::string& a, const std::string& b) {
    auto folded = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + 32) : u;
    };
    const std::size_t n = std::min(a.size(), b.size());
    const char* x = a.data();
    const char* y = b.data();
    int raw = 0;
    for (std::size_t i = 0;; ++i) {
        for (; i + 8 <= n; i += 8) {
            uint64_t p, q;
            std::memcpy(&p, x + i, 8);
            std::memcpy(&q, y + i, 8);
            if (p != q) {
                i += static_cast<std::size_t>(__builtin_ctzll(p ^ q)) / 8;
                break;
            }
        }
        while (i < n && x[i] == y[i]) ++i;
        if (i >= n) break;
        const unsigned char cx = folded(x[i]), cy = folded(y[i]);
        if (cx != cy) return cx < cy;
        if (raw == 0) raw = static_cast<unsigned char>(x[i]) < static_cast<unsigned char>(y[i]) ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return raw < 0;
}

// CPU time of the process so far, user and system, in ms.
void cpuMs(double& user, double& system) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    user = u.ru_utime.tv_sec * 1e3 + u.ru_utime.tv_usec / 1e3;
    system = u.ru_stime.tv_sec * 1e3 + u.ru_stime.tv_usec / 1e3;
}

// Wall, user and system time of one call.
template <class F>
void split(const char* what, F f) {
    double u0, s0, u1, s1;
    cpuMs(u0, s0);
    const double start = nowMs();
    f();
    const double wall = nowMs() - start;
    cpuMs(u1, s1);
    std::printf("%-60s %9.2f ms  (user %.1f, system %.1f)\n", what, wall, u1 - u0, s1 - s0);
}

// Median of k runs of f after one warm-up.
template <class F>
double medianOf(int k, F f) {
    Samples s;
    for (int i = 0; i <= k; ++i) {
        const double start = nowMs();
        f();
        s.add(nowMs() - start);
    }
    return s.median();
}

void part(const char* what, double ms, double whole) {
    std::printf("  %-58s %9.2f ms  %5.1f%%\n", what, ms, whole > 0 ? 100 * ms / whole : 0);
}

void rebuildParts(ProgramWindow& w, platform::HeadlessWindowSystem& h, const std::string& dir, int n) {
    const int k = 5;
    const double whole = medianOf(k, [&] { w.chooseFolder(dir); w.fullRebuild(); });
    std::printf("full rebuild (mode 0), %d files: %.2f ms\n", n, whole);
    std::vector<std::string> list;
    part("yReadDir (full paths)", medianOf(k, [&] { engine::yReadDir(dir, "*.*", 0, list, 0, -1); }), whole);
    std::vector<std::string> copy;
    part("ySortFileList (full paths, fold A-Z)", medianOf(k, [&] { copy = list; engine::sortFileList(copy); }), whole);
    part("  the same copy alone (subtract)", medianOf(k, [&] { copy = list; }), whole);
    std::size_t count = 0;
    part("bare readdir + std::sort (reference)", medianOf(k, [&] { bareListAndSort(dir, count); }), whole);
    std::vector<std::string> sketch;
    part("  the same order, equal bytes skipped 8 at a time (sketch)",
         medianOf(k, [&] { sketch = list; std::sort(sketch.begin(), sketch.end(), foldedBefore); }), whole);
    engine::sortFileList(list);
    if (sketch != list) std::printf("  (the sketch's order differs!)\n");
    std::vector<std::string> bare(list);
    part("std::sort of the same full paths, operator<",
         medianOf(k, [&] { copy = bare; std::sort(copy.begin(), copy.end()); }), whole);
    part("yUpper(name) + yMatchPattern(\"*.JPG\", .)", medianOf(k, [&] {
        for (const std::string& p : list) engine::yMatchPattern("*.JPG", support::toUpper(p.substr(p.rfind('/') + 1)), 0);
    }), whole);
    const engine::RuleInputs rules = engine::readRuleInputs();
    part("NeuerName (default pattern)", medianOf(k, [&] {
        int32_t number = 1;
        for (const std::string& p : list) engine::newNameFor(rules, p, p.substr(p.rfind('/') + 1), number++);
    }), whole);
    part("addRow(name\\nnew\\n) + setRowState, headless", medianOf(k, [&] {
        h.clearRows(ids::FileTable);
        for (int i = 0; i < n; ++i) {
            h.addRow(ids::FileTable, -1, "IMG_000001.jpg\nneu_001.jpg\n");
            h.setRowState(ids::FileTable, i, platform::RowTicked);
        }
    }), whole);
    w.chooseFolder(dir);
    w.fullRebuild();
}

// The bare loop on a fresh folder, for the split of its time.
void bareOnFresh(Folders& folders, int n) {
    const std::vector<std::string> from = pictureNames(n), to = renamedNames(n);
    const std::string dir = folders.fresh(n);
    int failed = 0;
    split("bare renameat2 loop, fresh folder", [&] { bareRenameLoop(dir, from, to, failed); });
    folders.recycle(dir, n);
}

void renameParts(ProgramWindow& w, Folders& folders, const std::string& dir, int n) {
    bareOnFresh(folders, n);
    support::TempVerzeichnis = folders.scratch();
    w.setDigits("6");
    w.chooseFolder(dir);
    w.fullRebuild();
    double rename = 0;
    split("Rename, fresh folder", [&] { rename = w.renameAction(); });
    const std::string script = engine::UndoDatei;
    part("NeuAufbauen(ModeRefresh) that ends it", medianOf(5, [&] {
        engine::NeuAufbauen(engine::ModeRefresh, engine::DateiListe);
    }), rename);
    const int log = platform::journalOpen(support::TempVerzeichnis + "probe.log");
    const std::string line = engine::batchRenLine("neu_000001.jpg", "IMG_000001.jpg") + "\r\n";
    part("journalAppend of one log line per row (N lines)", medianOf(5, [&] {
        for (int i = 0; i < n; ++i) platform::journalAppend(log, line.data(), line.size());
    }), rename);
    platform::journalClose(log);
    double undo = 0;
    split("undo", [&] { undo = w.undoAction(); });
    part("NeuAufbauen(ModeFull) that ends it", medianOf(5, [&] {
        engine::NeuAufbauen(engine::ModeFull, engine::DateiListe);
    }), undo);
    // The interpreter alone, on the folder back under its new names.
    std::vector<std::string> from = pictureNames(n), to = renamedNames(n);
    int failed = 0;
    part("bare renameat2 loop on the same folder (forth)", bareRenameLoop(dir, from, to, failed), undo);
    std::reverse(from.begin(), from.end());
    std::reverse(to.begin(), to.end());
    part("bare renameat2 loop on the same folder (back)", bareRenameLoop(dir, to, from, failed), undo);
    bareRenameLoop(dir, from, to, failed);
    const double start = nowMs();
    const engine::BatchResult r = engine::runBatchScript(script, dir);
    part("yRunBatch alone (the script's renames included)", nowMs() - start, undo);
    std::printf("  (%zu lines failed)\n", r.failures.size());
    w.setDigits("3");
    folders.drop(support::TempVerzeichnis);
}

}  // namespace

int breakdown(int n) {
    Folders folders;
    platform::HeadlessWindowSystem h;
    ProgramWindow w(h);
    const std::string dir = folders.fresh(n);
    rebuildParts(w, h, dir, n);
    std::printf("\n");
    renameParts(w, folders, dir, n);
    return 0;
}

int repeat(const std::string& workload, int n, int times) {
    Folders folders;
    platform::HeadlessWindowSystem h;
    ProgramWindow w(h);
    const std::string dir = folders.fresh(n);
    support::TempVerzeichnis = folders.scratch();
    if (workload == "rename") w.setDigits("6");
    double total = 0;
    for (int i = 0; i < times; ++i) {
        w.chooseFolder(dir);
        const double ms = w.fullRebuild();
        if (workload == "rebuild") total += ms;
        else if (workload == "rename") total += w.renameAction() + w.undoAction();
        else throw std::runtime_error("workloads to repeat: rebuild, rename");
    }
    std::printf("%s, %d files, %d times: %.2f ms each\n", workload.c_str(), n, times, total / times);
    return 0;
}

}  // namespace bench
