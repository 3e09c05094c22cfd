// The long differential run: the fast reduction search against the linear one over more
// than ten million pairs, on every core. Where the linear search would take seconds per
// pair, the bound search stands in for it (equal to it by the 2^52 bound of reduction.cpp
// alone) wherever that one is cheap; a few dozen long pairs still get the linear search.
// Exits 1 on any difference.
#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "ratio/arithmetic.h"
#include "ratio/reduction.h"
#include "support/bound_search.h"
#include "support/draw.h"

namespace {

using aspect::ratio::ReduceRatio;
using aspect::ratio::ReduceRatioByBound;
using aspect::ratio::ReduceRatioLinear;
using aspect::ratio::Reduction;
using aspect::ratio::SearchCost;
using aspect::testing_support::BoundSearchCost;

constexpr std::int64_t kMaxEntry = 2147483647;

using aspect::testing_support::Draw;

struct Pair {
    std::int32_t w = 0, h = 0;  // w == 0: no pair for this index
};

Pair MakePair(std::int64_t w, std::int64_t h) {
    if (w < 1 || h < 1 || w > kMaxEntry || h > kMaxEntry) return {};
    return {static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
}

// Entries on which the linear search passes every term or nearly: no hit, or a late one.
const Pair kSlowest[] = {
    {2147483647, 1},           // the longest width, no hit
    {214748363, 99991},        // nine digits, no hit
    {2131268951, 2128583998},  // the most fast-search candidates found, no hit
    {2147483647, 2147483646},  // consecutive, hit at 2147483393
    {2147483646, 2147483647},
    {1280000000, 854000000},   // a no-hit entry scaled up: hits at its third multiple
    {2147465015, 1073339940},  // hits at the 1889th multiple
};

enum class Reference { kLinear, kBound };

constexpr std::int64_t kBoundBudget = std::int64_t{1} << 20;

struct Part {
    const char* name;
    std::int64_t count;
    Reference reference;
    std::function<Pair(std::int64_t)> pair;
};

struct Tally {
    std::atomic<std::int64_t> compared{0};
    std::atomic<std::int64_t> skipped{0};  // too costly for the bound search
    std::atomic<std::int64_t> offMultiples{0};
    std::atomic<std::int64_t> mismatches{0};
};

std::mutex gPrint;

void Check(const Part& part, std::int64_t index, Tally& tally) {
    const Pair p = part.pair(index);
    if (p.w == 0) {
        ++tally.skipped;
        return;
    }
    Reduction reference{};
    if (part.reference == Reference::kLinear) {
        reference = ReduceRatioLinear(p.w, p.h);
    } else {
        if (BoundSearchCost(p.w, p.h) > kBoundBudget) {
            ++tally.skipped;
            return;
        }
        SearchCost cost;
        reference = ReduceRatioByBound(p.w, p.h, cost);
    }
    const Reduction got = ReduceRatio(p.w, p.h);
    ++tally.compared;
    if (reference.ratioW != p.w && reference.ratioW % (p.w / std::gcd(p.w, p.h)) != 0) {
        ++tally.offMultiples;
    }
    if (!(got == reference)) {
        if (++tally.mismatches <= 10) {
            const std::lock_guard lock(gPrint);
            std::printf("MISMATCH %s: %d x %d: search %d : %d, reference %d : %d\n", part.name, p.w,
                        p.h, got.ratioW, got.ratioH, reference.ratioW, reference.ratioH);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    if (argc > 1) threads = static_cast<unsigned>(std::max(1, std::atoi(argv[1])));

    const std::vector<Part> parts = {
        {"every pair up to 2000, linear", 2000 * 2000, Reference::kLinear,
         [](std::int64_t i) { return MakePair(i / 2000 + 1, i % 2000 + 1); }},
        {"typed 1-5 digit pairs, linear", 1'000'000, Reference::kLinear,
         [](std::int64_t i) {
             Draw d(0x7e57'0001u + static_cast<std::uint64_t>(i));
             return MakePair(d.Typed(), d.Typed());
         }},
        {"widths up to 2^18, any height, linear", 400'000, Reference::kLinear,
         [](std::int64_t i) {
             Draw d(0x7e57'0002u + static_cast<std::uint64_t>(i));
             return MakePair(d.LogUniform(1, 1 << 18), d.LogUniform(1, kMaxEntry));
         }},
        {"any lengths, bound search", 4'000'000, Reference::kBound,
         [](std::int64_t i) {
             Draw d(0x7e57'0003u + static_cast<std::uint64_t>(i));
             return MakePair(d.LogUniform(1, kMaxEntry), d.LogUniform(1, kMaxEntry));
         }},
        {"common factor up to 2^24, bound search", 1'000'000, Reference::kBound,
         [](std::int64_t i) {
             Draw d(0x7e57'0004u + static_cast<std::uint64_t>(i));
             const std::int64_t g = d.LogUniform(2, 1 << 24);
             return MakePair(g * d.LogUniform(1, kMaxEntry / g),
                             g * d.LogUniform(1, kMaxEntry / g));
         }},
        {"w * h near 2^52, bound search", 1'000'000, Reference::kBound,
         [](std::int64_t i) {
             Draw d(0x7e57'0005u + static_cast<std::uint64_t>(i));
             const std::int64_t w = d.LogUniform(1 << 21, kMaxEntry);
             const std::int64_t atBound = (std::int64_t{1} << 52) / w;
             // Past the bound the bound search tries about w * w * spread / 2^52 terms:
             // keep that near 2^14.
             const auto affordable = static_cast<std::int64_t>(
                 std::ldexp(1.0, 14 + 52) / static_cast<double>(w) / static_cast<double>(w));
             const std::int64_t spread =
                 std::max<std::int64_t>(1, std::min(atBound / 8, affordable));
             return MakePair(w, atBound + d.Uniform(-spread, spread));
         }},
        {"widths 2^22..2^25, heights 2^30..2^31, linear", 600, Reference::kLinear,
         [](std::int64_t i) {
             Draw d(0x7e57'0006u + static_cast<std::uint64_t>(i));
             return MakePair(d.Uniform(1 << 22, 1 << 25), d.Uniform(1 << 30, kMaxEntry));
         }},
        {"slowest known entries, linear", std::ssize(kSlowest), Reference::kLinear,
         [](std::int64_t i) { return kSlowest[i]; }},
        {"ten-digit pairs, linear", 200, Reference::kLinear,
         [](std::int64_t i) {
             Draw d(0x7e57'0007u + static_cast<std::uint64_t>(i));
             return MakePair(d.Uniform(1 << 30, kMaxEntry), d.Uniform(1 << 30, kMaxEntry));
         }},
    };

    std::printf("differential run on %u threads\n", threads);
    const auto start = std::chrono::steady_clock::now();
    std::int64_t compared = 0, mismatches = 0;
    for (const Part& part : parts) {
        Tally tally;
        const auto partStart = std::chrono::steady_clock::now();
        std::atomic<std::int64_t> next{0};
        std::vector<std::thread> pool;
        for (unsigned t = 0; t < threads; ++t) {
            pool.emplace_back([&] {
                // Small batches: a few pairs of the linear parts take seconds each.
                const std::int64_t batch = part.count >= 1'000'000 ? 4096 : 1;
                for (std::int64_t from; (from = next.fetch_add(batch)) < part.count;) {
                    for (std::int64_t i = from; i < std::min(part.count, from + batch); ++i) {
                        Check(part, i, tally);
                    }
                }
            });
        }
        for (std::thread& t : pool) t.join();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - partStart).count();
        std::printf(
            "%-48s compared %9lld  skipped %8lld  off-multiple hits %8lld  "
            "mismatches %lld  %.1f s\n",
            part.name, static_cast<long long>(tally.compared.load()),
            static_cast<long long>(tally.skipped.load()),
            static_cast<long long>(tally.offMultiples.load()),
            static_cast<long long>(tally.mismatches.load()), seconds);
        std::fflush(stdout);
        compared += tally.compared;
        mismatches += tally.mismatches;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("total: %lld pairs compared, %lld mismatches, %.1f s\n",
                static_cast<long long>(compared), static_cast<long long>(mismatches), seconds);
    return mismatches == 0 ? 0 : 1;
}
