#include "raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace aspect::window::raster {

namespace {

double Cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool InBox(const Region& r, Point p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

Region Bounded(std::function<bool(Point)> inside, const std::vector<Point>& points, double margin) {
    Region r{std::move(inside), points[0].x, points[0].y, points[0].x, points[0].y};
    for (const Point& p : points) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    r.left -= margin;
    r.top -= margin;
    r.right += margin;
    r.bottom += margin;
    return r;
}

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour AtStop(const std::vector<Stop>& stops, double t) {
    if (t <= stops.front().at) return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            const Stop& s = stops[i - 1];
            return Mix(s.colour, stops[i].colour, (t - s.at) / (stops[i].at - s.at));
        }
    }
    return stops.back().colour;
}

std::uint8_t Channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
}

}  // namespace

Region Rectangle(double x, double y, double w, double h) {
    return {[](Point) { return true; }, x, y, x + w, y + h};
}

Region RoundedRectangle(double x, double y, double w, double h, double radius) {
    const double l = x + radius, t = y + radius, r = x + w - radius, b = y + h - radius;
    return {[=](Point p) {
                // The nearest point of the inner rectangle is within `radius`.
                const double dx = p.x < l ? l - p.x : (p.x > r ? p.x - r : 0);
                const double dy = p.y < t ? t - p.y : (p.y > b ? p.y - b : 0);
                return dx * dx + dy * dy <= radius * radius;
            },
            x, y, x + w, y + h};
}

Region Ellipse(Point c, double rx, double ry) {
    return {[=](Point p) {
                const double dx = (p.x - c.x) * ry, dy = (p.y - c.y) * rx;
                return dx * dx + dy * dy <= rx * rx * ry * ry;
            },
            c.x - rx, c.y - ry, c.x + rx, c.y + ry};
}

Region Polygon(std::vector<Point> points) {
    auto inside = [points](Point p) {
        int winding = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Point a = points[i];
            const Point b = points[(i + 1) % points.size()];
            if (a.y <= p.y) {
                if (b.y > p.y && Cross(a, b, p) > 0) ++winding;
            } else if (b.y <= p.y && Cross(a, b, p) < 0) {
                --winding;
            }
        }
        return winding != 0;
    };
    return Bounded(std::move(inside), points, 0);
}

Region Segment(Point a, Point b, double width, bool round) {
    const double half = width / 2;
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double length2 = ex * ex + ey * ey;
    auto inside = [=](Point p) {
        double t = ((p.x - a.x) * ex + (p.y - a.y) * ey) / length2;
        if (t < 0 || t > 1) {
            if (!round) return false;
            t = std::clamp(t, 0.0, 1.0);
        }
        const double dx = p.x - (a.x + ex * t), dy = p.y - (a.y + ey * t);
        return dx * dx + dy * dy <= half * half;
    };
    return Bounded(std::move(inside), {a, b}, half);
}

Region Outline(const std::vector<Point>& points, double width) {
    const double half = width / 2;
    const std::size_t n = points.size();
    // The unit normal of each side.
    std::vector<Point> normals;
    for (std::size_t i = 0; i < n; ++i) {
        const Point a = points[i], b = points[(i + 1) % n];
        const double length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
        normals.push_back({(a.y - b.y) / length, (b.x - a.x) / length});
    }
    std::vector<Region> parts;
    for (std::size_t i = 0; i < n; ++i) {
        const Point v = points[i];
        parts.push_back(Segment(v, points[(i + 1) % n], width, false));
        // The bevel fills the corner on both sides of the turn.
        const Point m = normals[(i + n - 1) % n], k = normals[i];
        for (const double s : {half, -half}) {
            parts.push_back(
                Polygon({v, {v.x + m.x * s, v.y + m.y * s}, {v.x + k.x * s, v.y + k.y * s}}));
        }
    }
    return Union(std::move(parts));
}

Region Arc(Point c, double radius, double width, Point from, Point to) {
    const double half = width / 2;
    const Point ends[] = {{c.x + from.x * radius, c.y + from.y * radius},
                          {c.x + to.x * radius, c.y + to.y * radius}};
    // Directions with y upwards, where counter-clockwise turns have positive cross products.
    const Point f{from.x, -from.y}, t{to.x, -to.y};
    const Point o{0, 0};
    const bool wide = Cross(o, f, t) < 0;  // more than half a turn
    auto inside = [=](Point p) {
        for (const Point& e : ends) {
            const double dx = p.x - e.x, dy = p.y - e.y;
            if (dx * dx + dy * dy <= half * half) return true;
        }
        const Point d{p.x - c.x, c.y - p.y};
        const double distance = std::sqrt(d.x * d.x + d.y * d.y);
        if (std::abs(distance - radius) > half) return false;
        if (wide) return !(Cross(o, t, d) > 0 && Cross(o, d, f) > 0);
        return Cross(o, f, d) >= 0 && Cross(o, d, t) >= 0;
    };
    return {std::move(inside), c.x - radius - half, c.y - radius - half, c.x + radius + half,
            c.y + radius + half};
}

Region Union(std::vector<Region> parts) {
    Region r = parts.front();
    for (const Region& p : parts) {
        r.left = std::min(r.left, p.left);
        r.top = std::min(r.top, p.top);
        r.right = std::max(r.right, p.right);
        r.bottom = std::max(r.bottom, p.bottom);
    }
    r.inside = [parts = std::move(parts)](Point p) {
        return std::any_of(parts.begin(), parts.end(),
                           [p](const Region& part) { return InBox(part, p) && part.inside(p); });
    };
    return r;
}

Region Difference(Region a, Region b) {
    Region r = a;
    r.inside = [a = std::move(a), b = std::move(b)](Point p) {
        return a.inside(p) && !(InBox(b, p) && b.inside(p));
    };
    return r;
}

Paint Flat(Colour c) {
    return [c](Point) { return c; };
}

Paint LinearGradient(Point from, Point to, std::vector<Stop> stops) {
    const double ex = to.x - from.x, ey = to.y - from.y;
    const double length2 = ex * ex + ey * ey;
    return [=, stops = std::move(stops)](Point p) {
        return AtStop(stops, ((p.x - from.x) * ex + (p.y - from.y) * ey) / length2);
    };
}

Paint RadialGradient(Point c, double radius, std::vector<Stop> stops) {
    return [=, stops = std::move(stops)](Point p) {
        const double dx = p.x - c.x, dy = p.y - c.y;
        return AtStop(stops, std::sqrt(dx * dx + dy * dy) / radius);
    };
}

Canvas::Canvas(int width, int height, double scale, bool sharp)
    : width_(width),
      height_(height),
      scale_(scale),
      sharp_(sharp),
      pixels_(static_cast<std::size_t>(width * height)) {}

void Canvas::Clear(Colour c) {
    for (Pixel& p : pixels_) p = {c.r, c.g, c.b, 1};
}

void Canvas::Fill(const Region& region, const Paint& paint) {
    // Sixty-four samples a pixel for the smallest pictures, whose fine marks need
    // them; sixteen elsewhere, smooth enough and cheap enough that drawing the
    // logo adds little to the window's start-up.
    const int grid = width_ * height_ <= 32 * 32 ? 8 : 4;
    const double samples = grid * grid;
    const int x0 = std::max(0, static_cast<int>(std::floor(region.left * scale_)));
    const int y0 = std::max(0, static_cast<int>(std::floor(region.top * scale_)));
    const int x1 = std::min(width_, static_cast<int>(std::ceil(region.right * scale_)));
    const int y1 = std::min(height_, static_cast<int>(std::ceil(region.bottom * scale_)));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (sharp_) {
                // One sample, a little above and left of the centre, so that an edge
                // through pixel centres takes one side only.
                const Point p{(x + 0.5 - 1.0 / 64) / scale_, (y + 0.5 - 1.0 / 64) / scale_};
                if (InBox(region, p) && region.inside(p)) Blend(x, y, paint, 1);
                continue;
            }
            int hits = 0;
            for (int j = 0; j < grid; ++j) {
                for (int i = 0; i < grid; ++i) {
                    const Point p{(x + (i + 0.5) / grid) / scale_, (y + (j + 0.5) / grid) / scale_};
                    hits += InBox(region, p) && region.inside(p);
                }
            }
            if (hits > 0) Blend(x, y, paint, hits / samples);
        }
    }
}

void Canvas::Blend(int x, int y, const Paint& paint, double cover) {
    const Colour c = paint({(x + 0.5) / scale_, (y + 0.5) / scale_});
    Pixel& d = pixels_[static_cast<std::size_t>(y * width_ + x)];
    const double keep = 1 - cover;
    d = {c.r * cover + d.r * keep, c.g * cover + d.g * keep, c.b * cover + d.b * keep,
         cover + d.a * keep};
}

RgbaImage Canvas::Image() const {
    RgbaImage out{width_, height_, {}};
    out.pixels.reserve(pixels_.size());
    for (const Pixel& p : pixels_) {
        if (p.a <= 0) {
            out.pixels.push_back({0, 0, 0, 0});
            continue;
        }
        out.pixels.push_back(
            {Channel(p.r / p.a), Channel(p.g / p.a), Channel(p.b / p.a), Channel(p.a * 255)});
    }
    return out;
}

Bitmap Canvas::Opaque() const {
    Bitmap out{width_, height_, {}};
    out.pixels.reserve(pixels_.size());
    for (const Pixel& p : pixels_) out.pixels.push_back({Channel(p.r), Channel(p.g), Channel(p.b)});
    return out;
}

}  // namespace aspect::window::raster
