// The painted pictures: the emblem, the logo and the monitor icon.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "raster.h"
#include "window/pictures.h"

namespace aspect::window {

namespace {

using raster::Canvas;
using raster::Colour;
using raster::Point;
using raster::Region;
using raster::Solid;

constexpr Colour kWhite = Solid(255, 255, 255);

// A shape filled, then outlined by a pen of `width` centred on its edge.
void FillAndStroke(Canvas& canvas, const Region& shape, const raster::Paint& fill,
                   const Region& outer, const Region& inner, Colour pen) {
    canvas.Fill(shape, fill);
    canvas.Fill(raster::Difference(outer, inner), raster::Flat(pen));
}

// A small glossy red disc with a white curved mark.
Bitmap Emblem(int scale) {
    Canvas canvas(16 * scale, 16 * scale, scale, false);
    canvas.Clear(kWhite);
    canvas.Fill(
        raster::Ellipse({8, 8}, 7.5, 7.5),
        raster::RadialGradient(
            {6, 5}, 9,
            {{0, Solid(255, 140, 140)}, {0.45, Solid(220, 20, 30)}, {1, Solid(130, 0, 10)}}));
    // The mark runs from 200 degrees counter-clockwise through the bottom to 40
    // degrees; the directions are fixed numbers, not computed, to be the same everywhere.
    const Point from{-0.93969262078590838, 0.34202014332566871};  // 200 degrees
    const Point to{0.76604444311897801, -0.64278760968653925};    // 40 degrees
    canvas.Fill(raster::Arc({8, 8}, 4, 1.6, from, to), raster::Flat(kWhite));
    return canvas.Opaque();
}

// A widescreen monitor on a silver stand, its white screen crossed by a black
// double-headed arrow from lower left to upper right.
Bitmap Logo(int scale) {
    Canvas canvas(64 * scale, 64 * scale, scale, false);
    canvas.Clear(kWhite);
    // Stand: neck and foot, in a silver shade that darkens downwards, with a one-unit rim.
    const auto silver = raster::LinearGradient(
        {0, 44}, {0, 58}, {{0, Solid(225, 225, 230)}, {1, Solid(150, 150, 160)}});
    const Colour rim = Solid(110, 110, 120);
    FillAndStroke(canvas, raster::Rectangle(28.5, 44.5, 7, 8), silver,
                  raster::Rectangle(28, 44, 8, 9), raster::Rectangle(29, 45, 6, 7), rim);
    FillAndStroke(canvas, raster::RoundedRectangle(16.5, 52.5, 31, 5, 2), silver,
                  raster::RoundedRectangle(16, 52, 32, 6, 2.5),
                  raster::RoundedRectangle(17, 53, 30, 4, 1.5), rim);
    // Bezel and screen, 16:9.
    FillAndStroke(canvas, raster::RoundedRectangle(2.5, 9.5, 59, 35, 2.5),
                  raster::Flat(Solid(45, 45, 52)), raster::RoundedRectangle(2, 9, 60, 36, 3),
                  raster::RoundedRectangle(3, 10, 58, 34, 2), Solid(20, 20, 25));
    canvas.Fill(raster::Rectangle(5.5, 12.5, 53, 29), raster::Flat(kWhite));
    // The arrow from (11.5, 36.5) to (52.5, 17.5): 41 across and 19 up, so the
    // shaft's direction is (41, -19) / sqrt(2042).
    const Point a{11.5, 36.5}, b{52.5, 17.5};
    const double length = std::sqrt(41.0 * 41 + 19.0 * 19);
    const Point dir{41 / length, -19 / length};
    const Point normal{-dir.y, dir.x};
    const auto black = raster::Flat(Solid(0, 0, 0));
    canvas.Fill(raster::Segment({a.x + dir.x * 4, a.y + dir.y * 4},
                                {b.x - dir.x * 4, b.y - dir.y * 4}, 2, false),
                black);
    for (const auto& [tip, back] : {std::pair{b, Point{-dir.x, -dir.y}}, std::pair{a, dir}}) {
        const Point base{tip.x + back.x * 7, tip.y + back.y * 7};
        canvas.Fill(raster::Polygon({tip,
                                     {base.x + normal.x * 4, base.y + normal.y * 4},
                                     {base.x - normal.x * 4, base.y - normal.y * 4}}),
                    black);
    }
    return canvas.Opaque();
}

// One piece of the monitor icon on its 32-unit grid: a closed polygon, or an
// open stroke with round ends when `closed` is false.
struct MonitorPart {
    std::vector<Point> points;
    bool closed = true;
    const char* fill = nullptr;  // "#rrggbb", or none
    const char* stroke = nullptr;
    double strokeWidth = 1;
};

// The one drawing behind the window icon, the desktop's icons and the SVG.
const std::vector<MonitorPart>& MonitorParts() {
    static const std::vector<MonitorPart> parts = {
        // Stand: neck and foot.
        {{{14, 23}, {18, 22}, {19, 27}, {15, 28}}, true, "#aaaab4", "#3c3c46"},
        {{{8, 28}, {24, 26}, {27, 29}, {10, 31}}, true, "#aaaab4", "#3c3c46"},
        // The monitor seen at an angle: the right edge is nearer, so taller.
        {{{1, 6}, {31, 2}, {31, 24}, {1, 22}}, true, "#282830", "#0f0f14"},
        {{{3, 8}, {29, 4.5}, {29, 21.5}, {3, 20}}, true, "#e1eefa", nullptr},
        // The dark diagonal stroke across the screen.
        {{{7, 18}, {25, 7.5}}, false, nullptr, "#1e285a", 2.2},
    };
    return parts;
}

Colour FromHex(const char* hex) {
    unsigned r = 0, g = 0, b = 0;
    std::sscanf(hex, "#%02x%02x%02x", &r, &g, &b);
    return {r * 1.0, g * 1.0, b * 1.0};
}

std::string SvgNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

}  // namespace

RgbaImage MonitorIcon(int size, IconMask mask) {
    // The window's small icons are drawn pixel-sharp; the larger ones smooth.
    Canvas canvas(size, size, size / 32.0, mask == IconMask::OneBit && size <= 32);
    for (const MonitorPart& part : MonitorParts()) {
        if (part.closed) {
            if (part.fill)
                canvas.Fill(raster::Polygon(part.points), raster::Flat(FromHex(part.fill)));
            if (part.stroke) {
                canvas.Fill(raster::Outline(part.points, part.strokeWidth),
                            raster::Flat(FromHex(part.stroke)));
            }
        } else {
            canvas.Fill(raster::Segment(part.points[0], part.points[1], part.strokeWidth, true),
                        raster::Flat(FromHex(part.stroke)));
        }
    }
    RgbaImage image = canvas.Image();
    if (mask == IconMask::Alpha) return image;
    // One-bit transparency: every pixel is either the picture or nothing.
    for (Rgba& p : image.pixels) p = p.a >= 128 ? Rgba{p.r, p.g, p.b, 255} : Rgba{0, 0, 0, 0};
    return image;
}

std::string MonitorSvg() {
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
        "viewBox=\"0 0 32 32\">\n";
    for (const MonitorPart& part : MonitorParts()) {
        svg += part.closed ? "  <polygon points=\"" : "  <polyline points=\"";
        for (std::size_t i = 0; i < part.points.size(); ++i) {
            if (i > 0) svg += ' ';
            svg += SvgNumber(part.points[i].x) + ',' + SvgNumber(part.points[i].y);
        }
        svg += "\" fill=\"" + std::string(part.fill ? part.fill : "none") + "\" stroke=\"" +
               std::string(part.stroke ? part.stroke : "none") + '"';
        if (part.stroke) {
            svg +=
                " stroke-width=\"" + SvgNumber(part.strokeWidth) + "\" stroke-linejoin=\"bevel\"";
            svg += part.closed ? " stroke-linecap=\"square\"" : " stroke-linecap=\"round\"";
        }
        svg += "/>\n";
    }
    svg += "</svg>\n";
    return svg;
}

Bitmap PictureBitmap(PictureId id, int scale) {
    switch (id) {
        case PictureId::FlagHungarian:
            return Enlarged(HungarianFlag(), scale);
        case PictureId::FlagEnglish:
            return Enlarged(EnglishFlag(), scale);
        case PictureId::FlagHungarianLit:
            return Enlarged(LitFlag(HungarianFlag()), scale);
        case PictureId::FlagEnglishLit:
            return Enlarged(LitFlag(EnglishFlag()), scale);
        case PictureId::Emblem:
            return Emblem(scale);
        case PictureId::Logo:
            return Logo(scale);
        case PictureId::None:
            break;
    }
    return {};
}

}  // namespace aspect::window
