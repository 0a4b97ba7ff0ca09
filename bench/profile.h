// Looking inside the workloads: their parts timed one by one, and a steady
// repetition of one workload for a profiler.
#pragma once

#include <string>

namespace bench {

int breakdown(int n);
int repeat(const std::string& workload, int n, int times);

}  // namespace bench
