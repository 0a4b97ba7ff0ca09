// The one table the runner prints: each line a workload at one N, the
// program's median, the reference's median from the same run, their ratio
// and the goal that ratio has.
#pragma once

#include <string>
#include <vector>

#include "bench/harness.h"

namespace bench {

struct Goal {
    double limit = 0;       // the ratio must stay at or below (strictly below when strict)
    bool strict = false;
    int onlyAtN = 0;        // 0: the goal holds at every N
    std::string text;       // as the table shows it
};

struct Line {
    std::string workload;
    int n = 0;
    Samples ours;
    std::string reference;
    Samples ref;
    Goal goal;
    // Paired lines: run i of ours and of the reference ran back to back on
    // fresh folders, and the ratio is the median of the per-run ratios, so a
    // slow moment of the disk weighs on both sides of a pair alike.
    bool paired = false;
    // Memory lines: the program's figure and the limit in MiB, no samples.
    // A line of time samples without reference samples has refValue, in
    // ms, as its limit.
    bool memory = false;
    double oursValue = -1, refValue = -1;
};

double ratioOf(const Line& line);
// The per-run ratios of a paired line after the warm-up, sorted.
std::vector<double> pairRatios(const Line& line);
// "met", "MISSED", or "" when the line has no goal at its N or no figure.
std::string verdictOf(const Line& line);

void printTable(const std::vector<Line>& lines, bool spread);

}  // namespace bench
