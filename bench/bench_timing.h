#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

// The calling thread's own processor time, in microseconds: steadier than wall time on a shared machine.
inline double ThreadMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
