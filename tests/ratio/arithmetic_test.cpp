#include "ratio/arithmetic.h"

#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/row_name.h"

namespace aspect::ratio {
namespace {

struct UnlockedRow {
    const char* name;
    std::int32_t w, h;
    const char* caption;
    std::int32_t ratioW, ratioH;
    PreviewFit preview;
};

// Screens people enter, and entries where the double search differs from
// exact reduction. Preview offsets are relative to the frame's corner.
const UnlockedRow kUnlocked[] = {
    {"FullHd", 1920, 1080, "16 : 9", 16, 9, {320, 180, 0, 0}},
    {"HdPlus", 1600, 900, "16 : 9", 16, 9, {320, 180, 0, 0}},
    {"WxgaShownAs16to10", 1280, 800, "16 : 10", 8, 5, {288, 180, 16, 0}},
    {"Xga", 1024, 768, "4 : 3", 4, 3, {240, 180, 40, 0}},
    {"Sxga", 1280, 1024, "5 : 4", 5, 4, {225, 180, 47, 0}},
    {"WideBranchRoundsTo180", 1366, 768, "683 : 384", 683, 384, {320, 180, 0, 0}},
    {"JustNarrowerThan16to9", 1360, 768, "85 : 48", 85, 48, {319, 180, 0, 0}},
    {"UltraWide", 2560, 1080, "64 : 27", 64, 27, {320, 135, 0, 22}},
    {"UltraWide1440", 3440, 1440, "43 : 18", 43, 18, {320, 134, 0, 23}},
    {"Portrait", 1080, 1920, "9 : 16", 9, 16, {101, 180, 109, 0}},
    {"WidthTieToEven", 637, 360, "637 : 360", 637, 360, {318, 180, 1, 0}},
    {"HeightTieToEven", 640, 5, "128 : 1", 128, 1, {320, 2, 0, 89}},
    {"TallSliver", 1, 100, "1 : 100", 1, 100, {2, 180, 159, 0}},
    {"SearchPassesExactTerm", 640, 464, "120 : 87", 120, 87, {248, 180, 36, 0}},
    {"SmallTallTerm", 3, 147, "3 : 147", 3, 147, {4, 180, 158, 0}},
    {"NoWholeTermShowsEntry", 1280, 854, "1280 : 854", 1280, 854, {270, 180, 25, 0}},
    {"Square", 1, 1, "1 : 1", 1, 1, {180, 180, 70, 0}},
};

class Unlocked : public testing::TestWithParam<UnlockedRow> {};

TEST_P(Unlocked, ReducesAndFits) {
    const UnlockedRow& row = GetParam();
    const Reduction r = ReduceRatio(row.w, row.h);
    EXPECT_EQ(ResultCaption(r), row.caption);
    EXPECT_EQ(r.ratioW, row.ratioW);
    EXPECT_EQ(r.ratioH, row.ratioH);
    EXPECT_EQ(ReduceRatioLinear(row.w, row.h), r);
    EXPECT_EQ(FitPreview(row.w, row.h), row.preview);
}

INSTANTIATE_TEST_SUITE_P(Screens, Unlocked, testing::ValuesIn(kUnlocked),
                         testing_support::RowName());

TEST(ReductionSearch, StopsAtFirstWholeMultipleWhenExactTermMissesByAnUlp) {
    // 640 / 464: the exact term 40 gives 28.999999999999996 and 80 gives
    // 57.99999999999999; only 120 comes out whole.
    const double ratioValue = 640.0 / 464.0;
    EXPECT_NE(40 / ratioValue, 29.0);
    EXPECT_NE(80 / ratioValue, 58.0);
    EXPECT_EQ(120 / ratioValue, 87.0);
}

TEST(ReductionSearch, ExactReductionForCoprimeAndScaledPairs) {
    // For small entries the double search agrees with gcd reduction unless an
    // ulp miss pushes it to a multiple, which is always a multiple of the exact term.
    for (std::int32_t w = 1; w <= 60; ++w) {
        for (std::int32_t h = 1; h <= 60; ++h) {
            const Reduction r = ReduceRatio(w, h);
            const std::int32_t g = std::gcd(w, h);
            ASSERT_EQ(r.ratioW % (w / g), 0) << w << "x" << h;
            ASSERT_EQ(static_cast<std::int64_t>(r.ratioW) * h,
                      static_cast<std::int64_t>(r.ratioH) * w)
                << w << "x" << h;
        }
    }
}

struct RoundRow {
    const char* name;
    double x;
    std::optional<std::int32_t> expected;
};

const RoundRow kRounding[] = {
    {"TieDownToEven", 2.5, 2},
    {"TieUpToEven", 3.5, 4},
    {"Tie318", 318.5, 318},
    {"NegativeTie", -2.5, -2},
    {"JustBelowTie", 2.4999999999999996, 2},
    {"Largest", 2147483647.0, 2147483647},
    {"LargestPlusTieRoundsOut", 2147483647.5, std::nullopt},
    {"Smallest", -2147483648.0, -2147483648},
    {"SmallestMinusTieRoundsToEvenInside", -2147483648.5, -2147483648},
    {"SmallestMinusMoreRoundsOut", -2147483648.6, std::nullopt},
    {"Infinity", std::numeric_limits<double>::infinity(), std::nullopt},
    {"NotANumber", std::numeric_limits<double>::quiet_NaN(), std::nullopt},
};

class Rounding : public testing::TestWithParam<RoundRow> {};
TEST_P(Rounding, TiesToEvenWithin32Bits) {
    EXPECT_EQ(RoundToInt32(GetParam().x), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Values, Rounding, testing::ValuesIn(kRounding),
                         testing_support::RowName());

struct ReadRow {
    const char* name;
    const char* text;
    std::optional<std::int32_t> expected;
};

const ReadRow kReading[] = {
    {"Empty", "", 0},
    {"Digits", "1920", 1920},
    {"LeadingZeros", "00042", 42},
    {"BlankBetweenDigits", "1 2", 12},
    {"BlanksTabsLineFeedsAnywhere", " \t1\n2 ", 12},
    {"CarriageReturnStops", "1\r2", 1},
    {"TrailingLetters", "12ab", 12},
    {"LetterFirst", "ab12", 0},
    {"FractionTiesToEven", "2.5", 2},
    {"FractionRoundsUp", "2.51", 3},
    {"LeadingPoint", ".5", 0},
    {"TrailingPoint", "5.", 5},
    {"SecondPointStops", "1.5.9", 2},
    {"Sign", "-17", -17},
    {"PlusSign", "+17", 17},
    {"SignAlone", "-", 0},
    {"DoubleSign", "--5", 0},
    {"BlankAfterSign", "- 5", -5},
    {"Exponent", "2e9", 2000000000},
    {"UpperExponent", "1E3", 1000},
    {"NegativeExponent", "15e-1", 2},
    {"ExponentWithBlanks", "1 e 3", 1000},
    {"ExponentWithoutDigits", "12e", 12},
    {"ExponentSignWithoutDigits", "12e+", 12},
    {"ExponentLargestInRange", "21e8", 2100000000},
    {"ExponentOutOfRange", "3e9", std::nullopt},
    {"HugeExponent", "9e99", std::nullopt},
    {"BeyondDoubleRange", "9e999", std::nullopt},
    {"NegativeBeyondDoubleRange", "-9e999", std::nullopt},
    {"UnderflowReadsZero", "9e-999", 0},
    {"ZeroWithHugeExponent", "0e99999", 0},
    {"HexPrefixIsNotANumber", "&H10", 0},
    {"LongDigitRun", "123456789012", std::nullopt},
};

class Reading : public testing::TestWithParam<ReadRow> {};
TEST_P(Reading, LeadingNumberRounded) {
    EXPECT_EQ(ReadField(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}
INSTANTIATE_TEST_SUITE_P(Texts, Reading, testing::ValuesIn(kReading), testing_support::RowName());

TEST(Reading, OverflowKeepsSign) {
    EXPECT_EQ(ReadLeadingNumber("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadLeadingNumber("0.0001e-400"), 0.0);
    EXPECT_EQ(ReadLeadingNumber("1.5e3x"), 1500.0);
}

struct LockedRow {
    const char* name;
    std::int32_t edited, ratioEdited, ratioOther;
    std::optional<std::int32_t> expected;
};

// Width edits pass RatioW, RatioH; height edits pass RatioH, RatioW.
const LockedRow kLocked[] = {
    {"HeightFromWidth16to9", 1280, 16, 9, 720},
    {"WidthFromHeight16to9TwoRoundings", 1200, 9, 16, 2133},
    {"StoredEightToFive", 1000, 8, 5, 625},
    {"TieToEvenDown", 8, 16, 9, 4},
    {"TieToEvenUp", 24, 16, 9, 14},
    {"TieToEvenDown22", 40, 16, 9, 22},
    {"DoubleRoundingUp", 13, 64, 27, 6},
    {"DoubleRoundingDown", 6, 64, 27, 2},
    {"LongResult", 1000, 1, 100, 100000},
    {"TenthsOutOfRange", 99999, 1, 5000, std::nullopt},
    {"NoStoredRatio", 1920, 0, 0, std::nullopt},
    {"NoStoredRatioEmptyField", 0, 0, 0, std::nullopt},
    {"EmptiedField", 0, 16, 9, 0},
    {"NegativePasted", -16, 16, 9, -9},
    {"NineDigitResult", 99999, 1, 2147, 214697853},
};

class Locked : public testing::TestWithParam<LockedRow> {};
TEST_P(Locked, ConvertsWithTwoRoundings) {
    const LockedRow& row = GetParam();
    EXPECT_EQ(LockedConvert(row.edited, row.ratioEdited, row.ratioOther), row.expected);
}
INSTANTIATE_TEST_SUITE_P(Examples, Locked, testing::ValuesIn(kLocked), testing_support::RowName());

TEST(CentreOffset, HalvesTheRoundedDifferenceWithTruncation) {
    EXPECT_EQ(CentreOffset(400, 241), 79);  // 159 / 2
    EXPECT_EQ(CentreOffset(180, 135), 22);  // odd difference: half a unit up
    EXPECT_EQ(CentreOffset(320, 320), 0);
}

TEST(Decimal, PlainDigitsWithMinusOnlyWhenNegative) {
    EXPECT_EQ(ToDecimal(0), "0");
    EXPECT_EQ(ToDecimal(-42), "-42");
    EXPECT_EQ(ToDecimal(2147483648LL), "2147483648");
}

}  // namespace
}  // namespace aspect::ratio
