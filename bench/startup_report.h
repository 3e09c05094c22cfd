#pragma once
// What the start-up probes share: the clock both the probe and the program read, the runs
// of each program, and the table of medians and of ratios to the first program.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace startup {

// A program's name (UTF-8) and what its recorded runs measured.
struct Runs {
    std::string name;
    std::vector<double> startMs;
    std::vector<double> peakMiB;
    int failures = 0;
    // The moments a program marks on its way ("stage <name> <ns>" lines), in
    // milliseconds from its start, each run's in the order the program marked them.
    std::vector<std::pair<std::string, std::vector<double>>> stages;

    // Takes the stage lines of one run's output, `started` being its start in ns.
    void AddStages(const std::string& output, long long started) {
        for (std::size_t at = output.find("stage "); at != std::string::npos;
             at = output.find("stage ", at + 1)) {
            const std::size_t space = output.find(' ', at + 6);
            if (space == std::string::npos) break;
            const std::string stage = output.substr(at + 6, space - at - 6);
            const double ms = static_cast<double>(
                                  std::strtoll(output.c_str() + space + 1, nullptr, 10) - started) /
                              1e6;
            auto it = std::find_if(stages.begin(), stages.end(),
                                   [&](const auto& known) { return known.first == stage; });
            if (it == stages.end()) it = stages.insert(stages.end(), {stage, {}});
            it->second.push_back(ms);
        }
    }
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
    // Where the time goes: each marked moment's median and minimum from the start.
    for (const Runs* p : programs) {
        if (p->stages.empty() || p->startMs.empty()) continue;
        std::printf("%s, ms from the start (median / minimum):", p->name.c_str());
        for (const auto& [name, ms] : p->stages) {
            std::printf(" %s %.1f / %.1f,", name.c_str(), Median(ms), Minimum(ms));
        }
        std::printf(" first paint %.1f / %.1f\n", Median(p->startMs), Minimum(p->startMs));
    }
    for (const Runs* p : programs) failed += p->failures > 0 ? 1 : 0;
    return failed == 0 ? 0 : 1;
}

}  // namespace startup
