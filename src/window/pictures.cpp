#include "window/pictures.h"

#include <cmath>
#include <cstdlib>

namespace aspect::window {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRimGrey = FromColourValue(0x00C6C6C6);
constexpr int kInnerWidth = kFlagWidth - 4;    // 17
constexpr int kInnerHeight = kFlagHeight - 4;  // 16

// The rim takes a darker tone of the flag colour beside it: white turns
// light grey, every other colour keeps about half of each channel.
Rgb Darker(Rgb c) {
    if (c == kWhite) return kRimGrey;
    auto dim = [](std::uint8_t v) { return static_cast<std::uint8_t>(v * 132 / 255); };
    return {dim(c.r), dim(c.g), dim(c.b)};
}

// Frames a 17 x 16 flag with the rim and the white margin.
Bitmap Framed(const Bitmap& art) {
    Bitmap out{kFlagWidth, kFlagHeight, std::vector<Rgb>(kFlagWidth * kFlagHeight, kWhite)};
    for (int y = 1; y < kFlagHeight - 1; ++y) {
        for (int x = 1; x < kFlagWidth - 1; ++x) {
            const int ix = x - 2;
            const int iy = y - 2;
            if (ZoneOf(x, y) == FlagZone::Inside) {
                out.At(x, y) = art.At(ix, iy);
                continue;
            }
            const bool corner = (x == 1 || x == kFlagWidth - 2) && (y == 1 || y == kFlagHeight - 2);
            if (corner) {
                out.At(x, y) = kRimGrey;
                continue;
            }
            // The neighbouring flag pixel, inward from this rim pixel.
            const int nx = ix < 0 ? 0 : (ix >= kInnerWidth ? kInnerWidth - 1 : ix);
            const int ny = iy < 0 ? 0 : (iy >= kInnerHeight ? kInnerHeight - 1 : iy);
            out.At(x, y) = Darker(art.At(nx, ny));
        }
    }
    return out;
}

std::uint8_t Lighten(std::uint8_t c, int divisor) {
    // c + (255 - c) / divisor, halves rounded up, in whole numbers.
    return static_cast<std::uint8_t>(c + (255 - c + divisor / 2) / divisor);
}

}  // namespace

FlagZone ZoneOf(int x, int y) {
    if (x <= 0 || y <= 0 || x >= kFlagWidth - 1 || y >= kFlagHeight - 1) return FlagZone::Margin;
    if (x == 1 || y == 1 || x == kFlagWidth - 2 || y == kFlagHeight - 2) return FlagZone::Rim;
    return FlagZone::Inside;
}

Bitmap HungarianFlag() {
    constexpr Rgb red = FromColourValue(0x000000FF);
    constexpr Rgb green = FromColourValue(0x0000FF00);
    Bitmap art{kInnerWidth, kInnerHeight, std::vector<Rgb>(kInnerWidth * kInnerHeight)};
    for (int y = 0; y < kInnerHeight; ++y) {
        const Rgb band = y < 5 ? red : (y < 11 ? kWhite : green);  // 5, 6 and 5 rows
        for (int x = 0; x < kInnerWidth; ++x) art.At(x, y) = band;
    }
    return Framed(art);
}

Bitmap EnglishFlag() {
    constexpr Rgb blue{1, 33, 105};
    constexpr Rgb red{200, 16, 46};
    Bitmap art{kInnerWidth, kInnerHeight, std::vector<Rgb>(kInnerWidth * kInnerHeight)};
    // Pixel centres in a frame where the flag spans -1..1 both ways.
    for (int y = 0; y < kInnerHeight; ++y) {
        for (int x = 0; x < kInnerWidth; ++x) {
            const double u = (x + 0.5) / kInnerWidth * 2 - 1;
            const double v = (y + 0.5) / kInnerHeight * 2 - 1;
            // Distance to each diagonal, in pixels.
            const double d1 = std::abs(u * kInnerHeight - v * kInnerWidth) /
                              std::hypot(kInnerWidth, kInnerHeight);
            const double d2 = std::abs(u * kInnerHeight + v * kInnerWidth) /
                              std::hypot(kInnerWidth, kInnerHeight);
            const double diagonal = std::min(d1, d2) * 8;        // half-widths scale with the flag
            const int cx = std::abs(2 * x - (kInnerWidth - 1));  // twice the distance to the middle
            const int cy = std::abs(2 * y - (kInnerHeight - 1));
            Rgb c = blue;
            if (diagonal < 1.9) c = kWhite;
            if (diagonal < 0.7) c = red;
            if (cx <= 5 || cy <= 5) c = kWhite;  // the cross's white border
            if (cx <= 2 || cy <= 1) c = red;     // the red cross
            art.At(x, y) = c;
        }
    }
    return Framed(art);
}

Bitmap LitFlag(const Bitmap& flag) {
    Bitmap out = flag;
    for (int y = 0; y < flag.height; ++y) {
        for (int x = 0; x < flag.width; ++x) {
            const FlagZone zone = ZoneOf(x, y);
            if (zone == FlagZone::Margin) continue;
            const int divisor = zone == FlagZone::Inside ? 2 : 4;
            Rgb& p = out.At(x, y);
            p = {Lighten(p.r, divisor), Lighten(p.g, divisor), Lighten(p.b, divisor)};
        }
    }
    return out;
}

Bitmap Enlarged(const Bitmap& bitmap, int scale) {
    Bitmap out{bitmap.width * scale, bitmap.height * scale, {}};
    out.pixels.reserve(static_cast<std::size_t>(out.width * out.height));
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) out.pixels.push_back(bitmap.At(x / scale, y / scale));
    }
    return out;
}

}  // namespace aspect::window
