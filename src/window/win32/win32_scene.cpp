#include "win32_form.h"

#include <algorithm>

#include "win32_form_detail.h"

// The painted scene: every control that is not one of the system's own, back to front.
namespace aspect::window {

namespace win32_detail {

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

HBITMAP ToDib(const Bitmap& b) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = b.width;
    info.bmiHeader.biHeight = -b.height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr || bits == nullptr) return dib;
    auto* px = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < b.pixels.size(); ++i) {
        const Rgb c = b.pixels[i];
        px[i] =
            (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) | c.b;
    }
    return dib;
}

}  // namespace win32_detail

using namespace win32_detail;  // the source files' shared constants and helpers

namespace {

UINT AlignFlags(Align a) {
    switch (a) {
        case Align::Centre:
            return DT_CENTER;
        case Align::Right:
            return DT_RIGHT;
        case Align::Left:
            break;
    }
    return DT_LEFT;
}

// An outline on the rectangle's own outermost pixels, `w` device pixels wide;
// dashes run 4 on, 2 off, in units of the width.
void DrawOutline(HDC dc, const RECT& r, int w, COLORREF colour, bool dashed) {
    const auto band = [&](LONG l, LONG t, LONG rr, LONG b) {
        if (!dashed) {
            Fill(dc, RECT{l, t, rr, b}, colour);
            return;
        }
        const bool across = rr - l > b - t;
        const LONG from = across ? l : t;
        const LONG to = across ? rr : b;
        for (LONG p = from; p < to; p += 6 * w) {
            const LONG e = std::min<LONG>(p + 4 * w, to);
            Fill(dc, across ? RECT{p, t, e, b} : RECT{l, p, rr, e}, colour);
        }
    };
    band(r.left, r.top, r.right, r.top + w);
    band(r.left, r.bottom - w, r.right, r.bottom);
    band(r.left, r.top + w, r.left + w, r.bottom - w);
    band(r.right - w, r.top + w, r.right, r.bottom - w);
}

}  // namespace

void Win32Form::PaintScene(HDC dc, const RECT& clip, bool spots) const {
    Fill(dc, clip, GetSysColor(COLOR_BTNFACE));
    const int w = std::max(1, static_cast<int>(dpi_) / 96);
    SetBkMode(dc, TRANSPARENT);
    const auto& design = Design();
    // Back to front; the system's own controls paint themselves.
    for (auto it = design.rbegin(); it != design.rend(); ++it) {
        const ControlDesign& d = *it;
        const State& s = At(d.id);
        if (!s.visible || d.kind == Kind::Timer || d.kind == Kind::TextField ||
            d.kind == Kind::CheckBox || (!spots && IsSpot(d.kind))) {
            continue;
        }
        const RECT r = DeviceRect(d.id);
        RECT overlap{};
        if (!IntersectRect(&overlap, &r, &clip)) continue;
        switch (d.kind) {
            case Kind::Rectangle:
                if (d.filled) Fill(dc, r, Resolve(d.back));
                if (d.outline != Outline::None) {
                    DrawOutline(dc, r, w, Resolve(s.fore), d.outline == Outline::Dashed);
                }
                break;
            case Kind::Line:
                Fill(dc, r, Resolve(s.fore));
                break;
            case Kind::Picture: {
                HDC src = CreateCompatibleDC(dc);
                const HGDIOBJ old = SelectObject(src, Picture(d.picture));
                BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, SRCCOPY);
                SelectObject(src, old);
                DeleteDC(src);
                break;
            }
            case Kind::Label: {
                Fill(dc, r, Resolve(d.back));
                RECT text = r;
                if (d.border) {
                    // One design pixel wide, as the outlines are.
                    RECT edge = r;
                    for (int i = 0; i < w; ++i) {
                        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
                        InflateRect(&edge, -1, -1);
                    }
                    text = edge;
                }
                const HGDIOBJ old = SelectObject(dc, Font(d.font, s.underline));
                SetTextColor(dc, Resolve(s.fore));
                SetBkMode(dc, TRANSPARENT);
                DrawTextW(dc, s.caption.c_str(), static_cast<int>(s.caption.size()), &text,
                          AlignFlags(d.align) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
                SelectObject(dc, old);
                break;
            }
            default:
                break;
        }
    }
}

COLORREF Win32Form::Resolve(Colour colour) {
    if (colour & kSystemColour) return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0x00FFFFFF);  // the same 0x00BBGGRR layout
}

}  // namespace aspect::window
