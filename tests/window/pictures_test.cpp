#include "window/pictures.h"

#include <cmath>

#include <gtest/gtest.h>

namespace aspect::window {
namespace {

constexpr Rgb kWhite{255, 255, 255};

TEST(Flags, HungarianBandsRimAndMargin) {
    const Bitmap flag = HungarianFlag();
    ASSERT_EQ(flag.width, 21);
    ASSERT_EQ(flag.height, 20);
    const Rgb red = FromColourValue(0x000000FF);
    const Rgb green = FromColourValue(0x0000FF00);
    for (int x = 2; x <= 18; ++x) {
        for (int y = 2; y <= 6; ++y) EXPECT_EQ(flag.At(x, y), red) << x << "," << y;
        for (int y = 7; y <= 12; ++y) EXPECT_EQ(flag.At(x, y), kWhite) << x << "," << y;
        for (int y = 13; y <= 17; ++y) EXPECT_EQ(flag.At(x, y), green) << x << "," << y;
        EXPECT_EQ(flag.At(x, 1), FromColourValue(0x00000084)) << "top rim " << x;
        EXPECT_EQ(flag.At(x, 18), FromColourValue(0x00008400)) << "bottom rim " << x;
    }
    for (const int x : {1, 19}) {
        EXPECT_EQ(flag.At(x, 4), FromColourValue(0x00000084));
        EXPECT_EQ(flag.At(x, 9), FromColourValue(0x00C6C6C6));
        EXPECT_EQ(flag.At(x, 15), FromColourValue(0x00008400));
        EXPECT_EQ(flag.At(x, 1), FromColourValue(0x00C6C6C6)) << "corner";
        EXPECT_EQ(flag.At(x, 18), FromColourValue(0x00C6C6C6)) << "corner";
    }
    for (int x = 0; x < 21; ++x) {
        EXPECT_EQ(flag.At(x, 0), kWhite);
        EXPECT_EQ(flag.At(x, 19), kWhite);
    }
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(flag.At(0, y), kWhite);
        EXPECT_EQ(flag.At(20, y), kWhite);
    }
}

TEST(Flags, EnglishFlagHasBlueFieldAndRedCross) {
    const Bitmap flag = EnglishFlag();
    ASSERT_EQ(flag.width, 21);
    ASSERT_EQ(flag.height, 20);
    const Rgb centre = flag.At(10, 9);
    EXPECT_GT(centre.r, 150);
    EXPECT_LT(centre.b, 80);
    int blue = 0;
    for (const Rgb& p : flag.pixels) blue += p.b > 80 && p.r < 40;
    EXPECT_GE(blue, 4 * 6);  // a dark-blue field in each of the four quarters
    EXPECT_EQ(flag.At(0, 0), kWhite);
}

// Lightening by hand: inside c + (255 - c) / 2, on the rim c + (255 - c) / 4,
// halves rounded up.
int Lit(int c, double divisor) { return static_cast<int>(std::floor(c + (255 - c) / divisor + 0.5)); }

TEST(Flags, LitTwinsFollowTheLighteningRulePixelByPixel) {
    for (const Bitmap& flag : {HungarianFlag(), EnglishFlag()}) {
        const Bitmap lit = LitFlag(flag);
        ASSERT_EQ(lit.width, flag.width);
        ASSERT_EQ(lit.height, flag.height);
        for (int y = 0; y < flag.height; ++y) {
            for (int x = 0; x < flag.width; ++x) {
                const Rgb p = flag.At(x, y);
                const Rgb q = lit.At(x, y);
                const FlagZone zone = ZoneOf(x, y);
                if (zone == FlagZone::Margin) {
                    EXPECT_EQ(q, kWhite);
                    continue;
                }
                const double d = zone == FlagZone::Inside ? 2.0 : 4.0;
                EXPECT_EQ(q.r, Lit(p.r, d)) << x << "," << y;
                EXPECT_EQ(q.g, Lit(p.g, d)) << x << "," << y;
                EXPECT_EQ(q.b, Lit(p.b, d)) << x << "," << y;
            }
        }
    }
}

TEST(Flags, PureRedBecomesLightRedAndRimsAQuarterLighter) {
    const Bitmap lit = LitFlag(HungarianFlag());
    EXPECT_EQ(lit.At(5, 3), FromColourValue(0x008080FF));
    EXPECT_EQ(lit.At(5, 15), FromColourValue(0x0080FF80));
    EXPECT_EQ(lit.At(5, 9), kWhite);
    // 0x84 = 132 goes to 132 + 123 / 4 = 162.75, so 163; 0 goes to 64 (63.75).
    EXPECT_EQ(lit.At(5, 1), (Rgb{163, 64, 64}));
    EXPECT_EQ(lit.At(1, 1), (Rgb{212, 212, 212}));  // 198 + 57 / 4 = 212.25
}

}  // namespace
}  // namespace aspect::window
