// The reduction search against the linear one it replaces, on the slowest entries and on
// a mix of typed entries, and the allocations of one keystroke's calculation. Prints the
// ratios of the two searches measured in this same run after Google Benchmark's table.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "ratio/arithmetic.h"
#include "ratio/reduction.h"
#include "support/allocations.h"
#include "support/draw.h"

namespace {

using aspect::ratio::FitPreview;
using aspect::ratio::ReduceRatio;
using aspect::ratio::ReduceRatioFast;
using aspect::ratio::ReduceRatioLinear;
using aspect::ratio::Reduction;
using aspect::ratio::ResultCaption;

struct Entry {
    std::int32_t w, h;
};

struct WorstCase {
    const char* name;
    Entry entry;
    const char* why;
};

// The slowest entries for the linear search, and the one with the most candidates
// for the fast search found in a random sample of ten-digit pairs.
const WorstCase kWorstCases[] = {
    {"2147483647x1", {2147483647, 1}, "longest pasted width, no hit below it"},
    {"214748363x99991", {214748363, 99991}, "nine digits (locked mode), no hit below it"},
    {"2131268951x2128583998", {2131268951, 2128583998}, "most fast candidates found (2014)"},
};

// Typed entries: one to five digits, each length equally likely, in width and height.
std::vector<Entry> TypedMix() {
    aspect::testing_support::Draw draw(1920);
    auto field = [&draw] { return static_cast<std::int32_t>(draw.Typed()); };
    std::vector<Entry> entries(4096);
    for (Entry& e : entries) {
        e.w = field();
        e.h = field();
    }
    return entries;
}

const std::vector<Entry>& Typed() {
    static const std::vector<Entry> entries = TypedMix();
    return entries;
}

template <Reduction (*Search)(std::int32_t, std::int32_t)>
void OneEntry(benchmark::State& state, Entry e) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Search(e.w, e.h));
    }
}

template <Reduction (*Search)(std::int32_t, std::int32_t)>
void TypedEntries(benchmark::State& state) {
    const std::vector<Entry>& entries = Typed();
    std::size_t i = 0;
    for (auto _ : state) {
        const Entry& e = entries[i];
        benchmark::DoNotOptimize(Search(e.w, e.h));
        i = (i + 1) % entries.size();
    }
}

// What one keystroke computes in the unlocked mode: preview, reduction, caption.
void Keystroke(benchmark::State& state) {
    const std::vector<Entry>& entries = Typed();
    std::size_t i = 0;
    aspect::testing_support::StartCountingAllocations();
    for (auto _ : state) {
        const Entry& e = entries[i];
        benchmark::DoNotOptimize(FitPreview(e.w, e.h));
        const std::string caption = ResultCaption(ReduceRatio(e.w, e.h));
        benchmark::DoNotOptimize(caption.data());
        i = (i + 1) % entries.size();
    }
    const long allocations = aspect::testing_support::StopCountingAllocations();
    state.counters["allocs_per_keystroke"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

// Keeps each benchmark's wall time per iteration, for the ratios printed at the end.
class Recorder : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            // Keyed by the registered name, without suffixes such as "/iterations:1".
            const std::string& benchmark = run.run_name.function_name;
            seconds[benchmark] = run.real_accumulated_time / static_cast<double>(run.iterations);
            for (const auto& [name, counter] : run.counters) {
                counters[benchmark + " " + name] = counter.value;
            }
        }
    }
    std::map<std::string, double> seconds;
    std::map<std::string, double> counters;
};

std::string Human(double s) {
    char text[32];
    if (s >= 1) {
        std::snprintf(text, sizeof text, "%.2f s", s);
    } else if (s >= 1e-3) {
        std::snprintf(text, sizeof text, "%.2f ms", s * 1e3);
    } else if (s >= 1e-6) {
        std::snprintf(text, sizeof text, "%.2f us", s * 1e6);
    } else {
        std::snprintf(text, sizeof text, "%.1f ns", s * 1e9);
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

    for (const WorstCase& c : kWorstCases) {
        benchmark::RegisterBenchmark((std::string("fast/") + c.name).c_str(),
                                     OneEntry<ReduceRatioFast>, c.entry);
        // Seconds per call: one call is a long enough measurement.
        benchmark::RegisterBenchmark((std::string("linear/") + c.name).c_str(),
                                     OneEntry<ReduceRatioLinear>, c.entry)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("fast/typed-mix", TypedEntries<ReduceRatioFast>);
    benchmark::RegisterBenchmark("linear/typed-mix", TypedEntries<ReduceRatioLinear>)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("keystroke/typed-mix", Keystroke);

    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();

    const auto& t = recorder.seconds;
    std::printf("\nReduction search, wall time per calculation, both measured in this run\n");
    std::printf("%-24s %-12s %-12s %s\n", "entry", "linear", "fast", "linear / fast");
    double worstFast = 0;
    std::string worstName;
    std::vector<std::string> names;
    for (const WorstCase& c : kWorstCases) names.emplace_back(c.name);
    names.emplace_back("typed-mix");
    for (const std::string& name : names) {
        const auto fast = t.find("fast/" + name);
        const auto linear = t.find("linear/" + name);
        if (fast == t.end() || linear == t.end()) continue;  // filtered out
        std::printf("%-24s %-12s %-12s %.3g\n", name.c_str(), Human(linear->second).c_str(),
                    Human(fast->second).c_str(), linear->second / fast->second);
        if (name != "typed-mix" && fast->second > worstFast) {
            worstFast = fast->second;
            worstName = name;
        }
    }
    const auto nine = "214748363x99991";
    if (t.count(std::string("fast/") + nine) != 0 && t.count(std::string("linear/") + nine) != 0) {
        const double ratio =
            t.at(std::string("linear/") + nine) / t.at(std::string("fast/") + nine);
        std::printf("nine-digit worst case: %.3g x faster (target >= 10000): %s\n", ratio,
                    ratio >= 1e4 ? "met" : "MISSED");
    }
    if (!worstName.empty()) {
        std::printf("slowest fast calculation: %s on %s (target < 0.1 ms): %s\n",
                    Human(worstFast).c_str(), worstName.c_str(),
                    worstFast < 1e-4 ? "met" : "MISSED");
    }
    const auto allocs = recorder.counters.find("keystroke/typed-mix allocs_per_keystroke");
    if (allocs != recorder.counters.end()) {
        std::printf("heap allocations per typed keystroke (preview, reduction, caption): %g\n",
                    allocs->second);
    }
    return 0;
}
