#include "window/pictures.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

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
int Lit(int c, double divisor) {
    return static_cast<int>(std::floor(c + (255 - c) / divisor + 0.5));
}

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

namespace aspect::window {
namespace {

// FNV-1a over the channels, row by row.
std::uint64_t Fingerprint(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 14695981039346656037u;
    for (const std::uint8_t b : bytes) h = (h ^ b) * 1099511628211u;
    return h;
}

std::uint64_t Fingerprint(const Bitmap& b) {
    std::vector<std::uint8_t> bytes;
    for (const Rgb& p : b.pixels) bytes.insert(bytes.end(), {p.r, p.g, p.b});
    return Fingerprint(bytes);
}

std::uint64_t Fingerprint(const RgbaImage& image) {
    std::vector<std::uint8_t> bytes;
    for (const Rgba& p : image.pixels) bytes.insert(bytes.end(), {p.r, p.g, p.b, p.a});
    return Fingerprint(bytes);
}

// What a design pixel of a painted picture looks like.
enum class Tone { White, Light, Dark, Black, Red, Silver };

bool Is(Tone tone, Rgb c) {
    switch (tone) {
        case Tone::White:
            return c == Rgb{255, 255, 255};
        case Tone::Light:
            return c.r > 240 && c.g > 210 && c.b > 210;
        case Tone::Dark:
            return c.r < 60 && c.g < 60 && c.b < 70 && c.b >= c.r;
        case Tone::Black:
            return c.r < 40 && c.g < 40 && c.b < 40;
        case Tone::Red:
            return c.r > 120 && c.g < 80 && c.b < 80;
        case Tone::Silver:
            return c.r > 140 && c.r < 235 && c.r == c.g && c.b > c.r;
    }
    return false;
}

struct Landmark {
    PictureId picture;
    int x, y;  // design pixel
    Tone tone;
};

const Landmark kLandmarks[] = {
    {PictureId::Logo, 0, 0, Tone::White},     {PictureId::Logo, 3, 27, Tone::Dark},
    {PictureId::Logo, 32, 20, Tone::White},   {PictureId::Logo, 32, 26, Tone::Black},
    {PictureId::Logo, 13, 35, Tone::Black},   {PictureId::Logo, 50, 18, Tone::Black},
    {PictureId::Logo, 32, 48, Tone::Silver},  {PictureId::Logo, 32, 55, Tone::Silver},
    {PictureId::Logo, 10, 55, Tone::White},   {PictureId::Emblem, 0, 0, Tone::White},
    {PictureId::Emblem, 15, 15, Tone::White}, {PictureId::Emblem, 8, 2, Tone::Red},
    {PictureId::Emblem, 8, 8, Tone::Red},     {PictureId::Emblem, 8, 11, Tone::Light},
    {PictureId::Emblem, 11, 5, Tone::Light},  {PictureId::Emblem, 4, 7, Tone::Red},
};

TEST(PaintedPictures, LandmarksAtEveryScale) {
    for (const int scale : {1, 2, 3}) {
        for (const Landmark& l : kLandmarks) {
            const Bitmap b = PictureBitmap(l.picture, scale);
            const int side = l.picture == PictureId::Logo ? 64 : 16;
            ASSERT_EQ(b.width, side * scale);
            ASSERT_EQ(b.height, side * scale);
            // The device pixel nearest the design pixel's centre.
            const Rgb c = b.At(l.x * scale + scale / 2, l.y * scale + scale / 2);
            EXPECT_TRUE(Is(l.tone, c))
                << "picture " << static_cast<int>(l.picture) << " at " << l.x << "," << l.y
                << " scale " << scale << ": " << int{c.r} << "," << int{c.g} << "," << int{c.b};
        }
    }
}

TEST(PaintedPictures, FlagsAreBlocksAndPaintingsAreFiner) {
    for (const PictureId id : {PictureId::FlagEnglish, PictureId::FlagHungarianLit}) {
        EXPECT_EQ(PictureBitmap(id, 3).pixels, Enlarged(PictureBitmap(id), 3).pixels);
    }
    EXPECT_EQ(PictureBitmap(PictureId::FlagEnglishLit).pixels, LitFlag(EnglishFlag()).pixels);
    for (const PictureId id : {PictureId::Logo, PictureId::Emblem}) {
        EXPECT_NE(PictureBitmap(id, 2).pixels, Enlarged(PictureBitmap(id), 2).pixels);
    }
    EXPECT_TRUE(PictureBitmap(PictureId::None).pixels.empty());
}

TEST(MonitorIcon, MaskAndEdges) {
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        for (const IconMask mask : {IconMask::OneBit, IconMask::Alpha}) {
            const RgbaImage icon = MonitorIcon(size, mask);
            ASSERT_EQ(icon.width, size);
            ASSERT_EQ(icon.pixels.size(), static_cast<std::size_t>(size * size));
            int opaque = 0, partial = 0;
            for (const Rgba& p : icon.pixels) {
                opaque += p.a == 255;
                partial += p.a != 0 && p.a != 255;
            }
            EXPECT_GT(opaque, size * size / 3) << size;
            EXPECT_EQ(partial == 0, mask == IconMask::OneBit) << size;
            EXPECT_EQ(icon.At(0, size - 1).a, 0) << "the corner under the stand is clear";
            // The screen below the stroke is pale blue.
            EXPECT_EQ(icon.At(size * 22 / 32, size / 2), (Rgba{225, 238, 250, 255})) << size;
        }
    }
}

// The pixels of this build, fixed, so that a build for another platform or
// processor that draws them differently fails here.
TEST(Pictures, SamePixelsOnEveryPlatform) {
    EXPECT_EQ(Fingerprint(PictureBitmap(PictureId::Logo)), 8155696603353764119u);
    EXPECT_EQ(Fingerprint(PictureBitmap(PictureId::Logo, 2)), 16507677612959528079u);
    EXPECT_EQ(Fingerprint(PictureBitmap(PictureId::Emblem)), 17282031812989595259u);
    EXPECT_EQ(Fingerprint(PictureBitmap(PictureId::Emblem, 2)), 12259662587380881325u);
    EXPECT_EQ(Fingerprint(MonitorIcon(16)), 7858045211866804753u);
    EXPECT_EQ(Fingerprint(MonitorIcon(32)), 15429634315127886325u);
    EXPECT_EQ(Fingerprint(MonitorIcon(256, IconMask::Alpha)), 9770195705932014135u);
}

TEST(MonitorSvg, SameDrawingAsTheIcon) {
    const std::string svg = MonitorSvg();
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 32 32\""), std::string::npos);
    EXPECT_NE(
        svg.find("<polygon points=\"3,8 29,4.5 29,21.5 3,20\" fill=\"#e1eefa\" stroke=\"none\"/>"),
        std::string::npos);
    EXPECT_NE(svg.find("<polyline points=\"7,18 25,7.5\" fill=\"none\" stroke=\"#1e285a\" "
                       "stroke-width=\"2.2\" stroke-linejoin=\"bevel\" stroke-linecap=\"round\"/>"),
              std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

}  // namespace
}  // namespace aspect::window
