#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ratio/reduction.h"

// The calculation's arithmetic as plain functions on plain values. Every
// fractional step is one IEEE double operation, in the written order.
namespace aspect::ratio {

// Rounds to the nearest whole number, ties to even; empty when the result
// lies outside the signed 32-bit range (or x is not a number).
std::optional<std::int32_t> RoundToInt32(double x);

// The leading decimal number of a text: optional sign, digits, an optional
// fraction after '.', an optional exponent. Blanks, tabs and line feeds are
// skipped wherever they stand; reading stops at the first other character
// that cannot continue the number. No number gives 0. May be infinite.
double ReadLeadingNumber(std::string_view text);

// A dimension field's value: its leading number rounded, ties to even;
// empty when that does not fit in 32 bits.
std::optional<std::int32_t> ReadField(std::string_view text);

// Offset that centres `size` in `frame`: the difference rounded, then halved
// with truncation, so an odd difference sits half a unit up or left.
std::int32_t CentreOffset(double frame, double size);

// The preview of a screen fitted into the 320 x 180 frame, relative to the
// frame's top-left corner. Width and height are set first; the offsets are
// computed from them (as the shape holds them: whole numbers).
struct PreviewFit {
    double width;
    double height;
    double leftOffset;
    double topOffset;
    bool wide = false;  // wider than 16:9: fitted to the frame's width
    // Compares the geometry only.
    bool operator==(const PreviewFit& o) const {
        return width == o.width && height == o.height && leftOffset == o.leftOffset &&
               topOffset == o.topOffset;
    }
};
inline constexpr double kFrameWidth = 320;
inline constexpr double kFrameHeight = 180;
// Requires w >= 1 and h >= 1.
PreviewFit FitPreview(std::int32_t w, std::int32_t h);

// The result label's text for a reduction.
std::string ResultCaption(const Reduction& r);

// Locked conversion: the other dimension for `edited`, keeping the ratio
// ratioEdited : ratioOther (the edited field's term first). Rounds to tenths
// and then to a whole number, ties to even both times. Empty on any failure:
// a zero divisor, an invalid operation or overflow, or a tenths value outside
// the 32-bit range.
std::optional<std::int32_t> LockedConvert(std::int32_t edited, std::int32_t ratioEdited,
                                          std::int32_t ratioOther);

// Plain decimal digits, with a leading '-' only when negative.
std::string ToDecimal(std::int64_t n);

}  // namespace aspect::ratio
