#pragma once

#include <functional>
#include <vector>

#include "window/pictures.h"

// A small rasteriser for the built-in drawings: regions are tested at fixed
// sample points and painted over with coverage. Only + - * / and sqrt decide a
// pixel, each rounded on its own, so every platform gets the same pixels.
namespace aspect::window::raster {

struct Point {
    double x, y;
};

// A colour with channels 0..255, kept unrounded while painting.
struct Colour {
    double r, g, b;
};

constexpr Colour Solid(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {r * 1.0, g * 1.0, b * 1.0};
}

// A set of points in design units with a box around it; `inside` is asked only
// about points in the box.
struct Region {
    std::function<bool(Point)> inside;
    double left, top, right, bottom;
};

Region Rectangle(double x, double y, double w, double h);
Region RoundedRectangle(double x, double y, double w, double h, double radius);
Region Ellipse(Point centre, double rx, double ry);
Region Polygon(std::vector<Point> points);  // any simple polygon, nonzero winding
// A straight stroke of `width`: with round ends when `round`, else cut square at the ends.
Region Segment(Point a, Point b, double width, bool round);
// A closed polygon's outline of `width`, corners bevelled.
Region Outline(const std::vector<Point>& points, double width);
// A stroke of `width` along the circle round `centre`, with round ends, from the
// direction `from` counter-clockwise as seen on the screen to the direction `to`
// (unit vectors with y growing downwards).
Region Arc(Point centre, double radius, double width, Point from, Point to);
Region Union(std::vector<Region> parts);
Region Difference(Region a, Region b);

// How a region is painted: a colour for each point in design units.
using Paint = std::function<Colour(Point)>;
Paint Flat(Colour c);
// Colour stops at 0..1 along the way from `from` to `to`; padded beyond.
struct Stop {
    double at;
    Colour colour;
};
Paint LinearGradient(Point from, Point to, std::vector<Stop> stops);
Paint RadialGradient(Point centre, double radius, std::vector<Stop> stops);

// A picture of `width` x `height` device pixels with `scale` of them to a design unit.
class Canvas {
  public:
    // `sharp`: a region covers a pixel wholly or not at all, as its centre decides.
    Canvas(int width, int height, double scale, bool sharp);
    void Clear(Colour c);  // opaque
    void Fill(const Region& region, const Paint& paint);
    RgbaImage Image() const;
    Bitmap Opaque() const;

  private:
    // Paints `cover` (0..1) of the pixel at (x, y) over what is there.
    void Blend(int x, int y, const Paint& paint, double cover);
    struct Pixel {
        double r = 0, g = 0, b = 0, a = 0;  // premultiplied
    };
    int width_;
    int height_;
    double scale_;
    bool sharp_;
    std::vector<Pixel> pixels_;
};

}  // namespace aspect::window::raster
