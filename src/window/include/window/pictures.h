#pragma once

#include <cstdint>
#include <vector>

// The pictures whose pixels are fixed: the two flags and their lit twins.
namespace aspect::window {

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

}  // namespace aspect::window
