// Printing the table of figures and the verdict on each goal.
#include "bench/report.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

std::string figure(double value, const char* unit) {
    if (value < 0) return "n/a";
    char text[32];
    if (value >= 100) std::snprintf(text, sizeof text, "%.0f %s", value, unit);
    else if (value >= 10) std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    else std::snprintf(text, sizeof text, "%.2f %s", value, unit);
    return text;
}

std::string grouped(int n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string range(const Samples& s) {
    if (s.low() < 0) return "";
    char text[48];
    std::snprintf(text, sizeof text, "%.4g-%.4g", s.low(), s.high());
    return text;
}

double oursOf(const Line& l) { return l.memory ? l.oursValue : l.ours.median(); }
// A line against a fixed limit has no reference samples, only the limit.
double refOf(const Line& l) { return l.memory || l.ref.ms.empty() ? l.refValue : l.ref.median(); }

}  // namespace

std::vector<double> pairRatios(const Line& line) {
    std::vector<double> r;
    for (std::size_t i = 1; i < line.ours.ms.size() && i < line.ref.ms.size(); ++i)
        if (line.ref.ms[i] > 0) r.push_back(line.ours.ms[i] / line.ref.ms[i]);
    std::sort(r.begin(), r.end());
    return r;
}

double ratioOf(const Line& line) {
    if (line.paired) {
        const std::vector<double> r = pairRatios(line);
        if (r.empty()) return -1;
        const std::size_t m = r.size() / 2;
        return r.size() % 2 ? r[m] : (r[m - 1] + r[m]) / 2;
    }
    const double a = oursOf(line), b = refOf(line);
    return a < 0 || b <= 0 ? -1 : a / b;
}

std::string verdictOf(const Line& line) {
    const double r = ratioOf(line);
    if (r < 0 || line.goal.text.empty()) return "";
    if (line.goal.onlyAtN != 0 && line.goal.onlyAtN != line.n) return "";
    const bool met = line.goal.strict ? r < line.goal.limit : r <= line.goal.limit;
    return met ? "met" : "MISSED";
}

void printTable(const std::vector<Line>& lines, bool spread) {
    std::printf("%-40s %8s %10s  %-34s %10s %7s  %-24s %s\n", "workload", "N", "ours", "reference",
                "reference", "ratio", "goal", "");
    std::printf("%s\n", std::string(146, '-').c_str());
    for (const Line& l : lines) {
        const char* unit = l.memory ? "MiB" : "ms";
        const double r = ratioOf(l);
        char ratio[16] = "n/a";
        if (r >= 0) std::snprintf(ratio, sizeof ratio, "%.2fx", r);
        std::string goal = l.goal.text;
        if (l.goal.onlyAtN != 0 && l.goal.onlyAtN != l.n) goal = "(at " + grouped(l.goal.onlyAtN) + ")";
        std::string verdict = verdictOf(l);
        if (l.paired) {
            const std::vector<double> p = pairRatios(l);
            char text[64];
            if (!p.empty())
                std::snprintf(text, sizeof text, "%s%spaired, %zu runs %.2f-%.2f", verdict.c_str(),
                              verdict.empty() ? "" : "  ", p.size(), p.front(), p.back());
            if (!p.empty()) verdict = text;
        }
        std::printf("%-40s %8s %10s  %-34s %10s %7s  %-24s %s\n", l.workload.c_str(), grouped(l.n).c_str(),
                    figure(oursOf(l), unit).c_str(), l.reference.c_str(), figure(refOf(l), unit).c_str(),
                    ratio, goal.c_str(), verdict.c_str());
        if (spread && !l.memory)
            std::printf("%-40s %8s %10s  %-34s %10s\n", "", "range", range(l.ours).c_str(), "",
                        range(l.ref).c_str());
    }
}

}  // namespace bench
