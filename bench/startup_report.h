#pragma once
// What the start-up probes share: the clock both the probe and the program read, the runs
// of each program, and the table of medians and of ratios to the first program.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace startup {

// A program's name (UTF-8) and what its recorded runs measured.
struct Runs {
    std::string name;
    std::vector<double> startMs;
    std::vector<double> peakMiB;
    int failures = 0;
};

inline long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// What the memory figure is called: in the table's head, in full, and where it was taken.
struct MemoryName {
    const char* column;
    const char* full;
    const char* where;
};

inline double Minimum(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

// Prints the medians and minimums of each program and their ratios to the first's; the
// first paint's target applies to both ratios, since under a loaded machine the median
// alone moves by more than the target. The exit status: 0 when every program reported
// every run, 1 otherwise.
inline int Report(const std::vector<const Runs*>& programs, int runs, const MemoryName& memory,
                  double paintTarget = 1.15) {
    std::printf("\nStart-up to first paint and %s%s, median of %d runs each\n", memory.full,
                memory.where, runs);
    std::printf("%-14s %-16s %-12s %s\n", "program", "to first paint", memory.column, "runs");
    for (const Runs* p : programs) {
        if (p->startMs.empty()) {
            std::printf("%-14s (no run reported a first paint)\n", p->name.c_str());
            continue;
        }
        std::printf("%-14s %8.1f ms      %6.1f MiB   %zu (first paint %.1f to %.1f ms)\n",
                    p->name.c_str(), Median(p->startMs), Median(p->peakMiB), p->startMs.size(),
                    Minimum(p->startMs), *std::max_element(p->startMs.begin(), p->startMs.end()));
    }
    const Runs& base = *programs.front();
    int failed = 0;
    const auto verdict = [](double ratio, double target) {
        return ratio <= target ? "met" : "MISSED";
    };
    for (std::size_t i = 1; i < programs.size(); ++i) {
        const Runs& p = *programs[i];
        if (p.startMs.empty() || base.startMs.empty()) {
            ++failed;
            continue;
        }
        const double median = Median(p.startMs) / Median(base.startMs);
        const double minimum = Minimum(p.startMs) / Minimum(base.startMs);
        const double peak = Median(p.peakMiB) / Median(base.peakMiB);
        std::printf(
            "%s / %s: first paint median %.3fx, minimum %.3fx (target <= %.2f: %s, %s), "
            "%s %.3fx (target <= 1.15: %s)\n",
            p.name.c_str(), base.name.c_str(), median, minimum, paintTarget,
            verdict(median, paintTarget), verdict(minimum, paintTarget), memory.full, peak,
            verdict(peak, 1.15));
    }
    for (const Runs* p : programs) failed += p->failures > 0 ? 1 : 0;
    return failed == 0 ? 0 : 1;
}

}  // namespace startup
