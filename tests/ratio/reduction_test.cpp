#include "ratio/reduction.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>

#include <gtest/gtest.h>

#include "ratio/arithmetic.h"
#include "support/allocations.h"
#include "support/bound_search.h"
#include "support/draw.h"
#include "support/row_name.h"

namespace aspect::ratio {
namespace {

constexpr std::int32_t kMaxEntry = 2147483647;

using testing_support::BoundSearchCost;
using testing_support::Draw;

// Entries fit in 32 bits.
std::int32_t LogUniform(Draw& d, std::int64_t lo, std::int64_t hi) {
    return static_cast<std::int32_t>(d.LogUniform(lo, hi));
}
std::int32_t Uniform(Draw& d, std::int64_t lo, std::int64_t hi) {
    return static_cast<std::int32_t>(d.Uniform(lo, hi));
}

std::string Show(const Reduction& r) {
    return std::to_string(r.ratioW) + " : " + std::to_string(r.ratioH) + " shown as " +
           ResultCaption(r);
}

// The program's search against a reference result for the same entry.
testing::AssertionResult SameAs(std::int32_t w, std::int32_t h, const Reduction& reference) {
    const Reduction got = ReduceRatio(w, h);
    if (got == reference) return testing::AssertionSuccess();
    return testing::AssertionFailure() << w << " x " << h << ": search gives " << Show(got)
                                       << ", reference " << Show(reference);
}

// The bound search is affordable for a pair when few terms lie past the bound.
constexpr std::int64_t kBoundBudget = std::int64_t{1} << 17;

bool IsMultipleHit(std::int32_t w, std::int32_t h, const Reduction& r) {
    return r.ratioW % (w / std::gcd(w, h)) == 0;
}

TEST(ReductionDifferential, EqualsLinearForEveryPairUpTo300) {
    for (std::int32_t w = 1; w <= 300; ++w) {
        for (std::int32_t h = 1; h <= 300; ++h) {
            ASSERT_TRUE(SameAs(w, h, ReduceRatioLinear(w, h)));
        }
    }
}

struct PairRow {
    const char* name;
    std::int32_t w, h;
};

// Entries whose first whole height term comes at a width term that is not a multiple
// of w / gcd(w, h): possible only once k * h / gcd(w, h) reaches 2^52. Each row is
// checked against the linear search, which passes a few million terms for each.
const PairRow kPastTheBound[] = {
    // k * h0 is 1.061 * 2^52 at the hit: the bound cannot be loosened by even 7%.
    {"PlusOneClassJustPastTheBound", 8534846, 2101392889},
    {"MinusOneClassJustPastTheBound", 542885926, 2129438315},
    {"MinusOneClassLongHeight", 4295346, 2076434671},
    {"PlusTwoClass", 1914371182, 2143874745},
    {"MinusTwoClass", 100447152, 1879943477},
    {"PlusThreeClass", 32704531, 2056130529},
    {"MinusThreeClass", 244306204, 1887608301},
    // gcd 2: the exact term 111835567 hits, but a non-multiple comes first.
    {"BeforeAHittingMultiple", 223671134, 1575037120},
    {"CommonFactorFour", 176353640, 2060498636},
    {"CommonFactorThree", 130982367, 2000821329},
};

class PastTheBound : public testing::TestWithParam<PairRow> {};

TEST_P(PastTheBound, EqualsLinear) {
    const PairRow& row = GetParam();
    const Reduction linear = ReduceRatioLinear(row.w, row.h);
    EXPECT_TRUE(SameAs(row.w, row.h, linear));
    // Guards the row itself: it must keep exercising a hit off the multiples.
    EXPECT_FALSE(IsMultipleHit(row.w, row.h, linear)) << Show(linear);
}

INSTANTIATE_TEST_SUITE_P(Entries, PastTheBound, testing::ValuesIn(kPastTheBound),
                         testing_support::RowName());

TEST(ReductionDifferential, EqualsLinearForShortWidthsAndAnyHeight) {
    // Up to six-digit widths: every typed entry, and heights the locked mode or a paste
    // can give. The linear search passes at most w terms here.
    Draw rng(20240611);
    for (int i = 0; i < 4000; ++i) {
        const std::int32_t w = LogUniform(rng, 1, 1 << 17);
        const std::int32_t h = LogUniform(rng, 1, kMaxEntry);
        ASSERT_TRUE(SameAs(w, h, ReduceRatioLinear(w, h)));
    }
}

TEST(ReductionDifferential, EqualsLinearForMidWidthsAndLongHeights) {
    // Past the bound with up to a few dozen residue classes (w * h / 2^52 up to 16).
    Draw rng(86);
    int offMultiples = 0;
    for (int i = 0; i < 8; ++i) {
        const std::int32_t w = Uniform(rng, 1 << 22, (1 << 24) - 1);
        const std::int32_t h = Uniform(rng, 1 << 30, kMaxEntry);
        const Reduction linear = ReduceRatioLinear(w, h);
        ASSERT_TRUE(SameAs(w, h, linear));
        if (linear.ratioW != w && !IsMultipleHit(w, h, linear)) ++offMultiples;
    }
    EXPECT_GE(offMultiples, 4);
    std::printf("offmid %d\n", offMultiples);  // the sample must keep reaching past the bound
}

TEST(ReductionDifferential, BoundSearchEqualsLinearAroundTheBoundary) {
    // The bound search is the reference for large entries below, so it is checked
    // itself where the linear search is affordable: w * h near 2^52 with w near 2^21.
    Draw rng(4099);
    for (int i = 0; i < 12; ++i) {
        const std::int32_t w = Uniform(rng, 1 << 21, (1 << 22) - 1);
        const std::int64_t atBound = (std::int64_t{1} << 52) / w;
        const std::int32_t h =
            Uniform(rng, atBound - atBound / 4, std::min<std::int64_t>(kMaxEntry, 2 * atBound));
        SearchCost cost;
        EXPECT_EQ(ReduceRatioByBound(w, h, cost), ReduceRatioLinear(w, h)) << w << " x " << h;
    }
}

TEST(ReductionDifferential, EqualsBoundSearchAcrossTheWholeRange) {
    // Any lengths, and pairs with a large common factor, wherever the bound search is
    // cheap: every pair with w * h / gcd below 2^52, and those a little beyond.
    Draw rng(31337);
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        std::int32_t w = 0, h = 0;
        if (i % 2 == 0) {
            w = LogUniform(rng, 1, kMaxEntry);
            h = LogUniform(rng, 1, kMaxEntry);
        } else {
            const std::int32_t g = LogUniform(rng, 2, 1 << 24);
            w = g * LogUniform(rng, 1, kMaxEntry / g);
            h = g * LogUniform(rng, 1, kMaxEntry / g);
        }
        if (BoundSearchCost(w, h) > kBoundBudget) continue;
        SearchCost cost;
        ASSERT_TRUE(SameAs(w, h, ReduceRatioByBound(w, h, cost)));
        ++compared;
    }
    EXPECT_GE(compared, 15000);
}

TEST(ReductionDifferential, EqualsBoundSearchAroundTheBoundary) {
    // w * h / gcd from just below 2^52 to a little past it, widths from 2^21 to 2^31: where
    // the search starts to try terms off the multiples. (Hits there are rare this close to
    // the bound; the PastTheBound rows hold some.)
    Draw rng(52);
    int compared = 0;
    for (int i = 0; i < 2000; ++i) {
        const std::int32_t w = LogUniform(rng, 1 << 21, kMaxEntry);
        const std::int64_t atBound = (std::int64_t{1} << 52) / w;
        // Past the bound, the bound search tries about w * w * spread / 2^52 terms.
        const auto affordable =
            static_cast<std::int64_t>(std::ldexp(static_cast<double>(kBoundBudget), 52) / w / w);
        const std::int64_t spread =
            std::max<std::int64_t>(1, std::min<std::int64_t>(atBound / 8, affordable));
        const std::int64_t h64 = atBound + Uniform(rng, -spread, spread);
        if (h64 < 1 || h64 > kMaxEntry) continue;
        const auto h = static_cast<std::int32_t>(h64);
        if (BoundSearchCost(w, h) > kBoundBudget) continue;
        SearchCost cost;
        ASSERT_TRUE(SameAs(w, h, ReduceRatioByBound(w, h, cost)));
        ++compared;
    }
    EXPECT_GE(compared, 1500);
}

struct CostRow {
    const char* name;
    std::int32_t w, h;
    std::int64_t maxCandidates;
};

// The search's cost is bounded by its proof: at most one multiple per binade of the
// height term (31), plus fewer than 4096 terms past the bound.
const CostRow kCosts[] = {
    {"LongestWidthNoHit", 2147483647, 1, 31},
    {"NineDigitsNoHit", 214748363, 99991, 31},
    // Exact term 35557 : 17772 with common factor 60395; the 1889th multiple is the first hit.
    {"LateHittingMultiple", 2147465015, 1073339940, 31},
    // 1280 x 854 has no hit; scaled by a million, its third multiple hits.
    {"ScaledUpNoHitEntry", 1280000000, 854000000, 31},
    {"TypedNoHit", 1280, 854, 31},
    // The most candidates found in a random sample of long pairs: no term hits at all.
    {"ManyClassesNoHit", 2131268951, 2128583998, 31 + 4096},
};

class Cost : public testing::TestWithParam<CostRow> {};

TEST_P(Cost, TriesFewCandidates) {
    const CostRow& row = GetParam();
    SearchCost cost;
    ReduceRatioFast(row.w, row.h, cost);
    EXPECT_GE(cost.candidates, 1);
    EXPECT_LE(cost.candidates, row.maxCandidates);
}

INSTANTIATE_TEST_SUITE_P(Entries, Cost, testing::ValuesIn(kCosts), testing_support::RowName());

TEST(ReductionCost, FewCandidatesForRandomLongEntries) {
    Draw rng(8);
    std::int64_t most = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::int32_t w = Uniform(rng, 1 << 30, kMaxEntry);
        const std::int32_t h = Uniform(rng, 1 << 30, kMaxEntry);
        SearchCost cost;
        ReduceRatioFast(w, h, cost);
        most = std::max(most, cost.candidates);
    }
    EXPECT_LE(most, 31 + 4096);
}

TEST(ReductionCost, TypedEntriesTryOnlyMultiples) {
    Draw rng(5);
    for (int i = 0; i < 20000; ++i) {
        const std::int32_t w = LogUniform(rng, 1, 99999);
        const std::int32_t h = LogUniform(rng, 1, 99999);
        SearchCost cost;
        ReduceRatioFast(w, h, cost);
        ASSERT_LE(cost.candidates, 17) << w << " x " << h;  // heights below 2^17
    }
}

TEST(TypedEntry, CalculationAllocatesNothing) {
    Draw rng(99);
    long allocations = 0;
    std::size_t sink = 0;
    for (int i = 0; i < 2000; ++i) {
        const std::int32_t w = LogUniform(rng, 1, 99999);
        const std::int32_t h = LogUniform(rng, 1, 99999);
        testing_support::StartCountingAllocations();
        const PreviewFit fit = FitPreview(w, h);
        const Reduction r = ReduceRatio(w, h);
        sink += ResultCaption(r).size() + static_cast<std::size_t>(fit.width);
        allocations += testing_support::StopCountingAllocations();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(sink, 0u);
}

}  // namespace
}  // namespace aspect::ratio
