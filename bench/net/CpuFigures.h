#pragma once

// What the benchmarks that time a run of messages share: the CPU time used so far and the figures
// of one run.

#include <sys/resource.h>

namespace quillory::bench {

// The CPU time (user and system) of this process (RUSAGE_SELF) or of its waited-for children
// (RUSAGE_CHILDREN), in seconds.
inline double CpuSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    ::getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A run of messages: its wall time, its CPU time and how many messages arrived.
struct Figures {
    double seconds = 0;
    double cpuSeconds = 0;
    int delivered = 0;
};

}  // namespace quillory::bench
