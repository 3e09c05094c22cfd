#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The built-in pictures as pixels, free of any toolkit, so that every window
// adapter and the desktop icons show the same ones.
namespace aspect::window {

enum class PictureId {
    None,
    FlagHungarian,
    FlagEnglish,
    FlagHungarianLit,
    FlagEnglishLit,
    Emblem,
    Logo
};

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// Converts a 0x00BBGGRR colour value.
constexpr Rgb FromColourValue(std::uint32_t bgr) {
    return {static_cast<std::uint8_t>(bgr & 0xFF), static_cast<std::uint8_t>((bgr >> 8) & 0xFF),
            static_cast<std::uint8_t>((bgr >> 16) & 0xFF)};
}

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row from the top
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

inline constexpr int kFlagWidth = 21;
inline constexpr int kFlagHeight = 20;

// Where a flag pixel lies: the white margin, the darker rim, or the flag itself.
enum class FlagZone { Margin, Rim, Inside };
FlagZone ZoneOf(int x, int y);

Bitmap HungarianFlag();
Bitmap EnglishFlag();

// The lit twin: inside the rim each channel goes half-way to white, on the
// rim a quarter of the way, halves rounded up; the margin stays white.
Bitmap LitFlag(const Bitmap& flag);

// The bitmap with each pixel repeated as a `scale`-by-`scale` block.
Bitmap Enlarged(const Bitmap& bitmap, int scale);

struct Rgba {
    std::uint8_t r, g, b, a;  // not premultiplied
    bool operator==(const Rgba&) const = default;
};

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;  // row by row from the top
    Rgba At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// What a picture control shows, with `scale` device pixels to each design pixel:
// the flags repeat each pixel as a scale-by-scale block, the painted pictures
// (emblem, logo) are drawn finer, so that neither is blurred on a dense screen.
Bitmap PictureBitmap(PictureId id, int scale = 1);

// How the monitor icon's edge meets the background.
enum class IconMask {
    OneBit,  // every pixel is the picture or nothing (the window icon at 16 and 32)
    Alpha,   // smooth edges, for the desktop's larger icon sizes
};

// The program's monitor icon, `size` pixels square; at 32 pixels and below a
// one-bit icon is also drawn pixel-sharp.
RgbaImage MonitorIcon(int size, IconMask mask = IconMask::OneBit);

// The same monitor as a scalable SVG document on the icon's 32-unit grid.
std::string MonitorSvg();

}  // namespace aspect::window
