#include "ratio/arithmetic.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace aspect::ratio {

std::optional<std::int32_t> RoundToInt32(double x) {
    // nearbyint honours the current rounding mode, which is round-to-nearest-even.
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        return std::nullopt;  // out of range, or NaN
    }
    return static_cast<std::int32_t>(r);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Walks a text the way the field reading does: blanks vanish wherever they stand.
class Cursor {
  public:
    explicit Cursor(std::string_view text) : text_(text) {}
    int Peek() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1;
    }
    void Next() { ++pos_; }
    std::size_t Pos() const { return pos_; }
    void Rewind(std::size_t pos) { pos_ = pos; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

double ReadLeadingNumber(std::string_view text) {
    Cursor in(text);
    std::string number;  // the number's characters without blanks, for from_chars
    bool negative = false;
    int c = in.Peek();
    if (c == '+' || c == '-') {
        negative = c == '-';
        in.Next();
        c = in.Peek();
    }
    // Where the first significant digit stands against the decimal point,
    // to tell an overflow from an underflow when from_chars gives up.
    long long intDigits = 0;
    long long leadingZeros = 0;
    bool significant = false;
    bool anyDigit = false;
    for (; IsDigit(c); in.Next(), c = in.Peek()) {
        number += static_cast<char>(c);
        anyDigit = true;
        if (c != '0') significant = true;
        if (significant) ++intDigits;
    }
    if (c == '.') {
        number += '.';
        in.Next();
        for (c = in.Peek(); IsDigit(c); in.Next(), c = in.Peek()) {
            number += static_cast<char>(c);
            anyDigit = true;
            if (!significant) {
                if (c != '0')
                    significant = true;
                else
                    ++leadingZeros;
            }
        }
    }
    if (!anyDigit) return 0.0;

    long long exponent = 0;
    if (c == 'e' || c == 'E') {
        const std::size_t mark = in.Pos();
        std::string part = "e";
        in.Next();
        c = in.Peek();
        bool expNegative = false;
        if (c == '+' || c == '-') {
            expNegative = c == '-';
            part += static_cast<char>(c);
            in.Next();
            c = in.Peek();
        }
        bool expDigits = false;
        for (; IsDigit(c); in.Next(), c = in.Peek()) {
            part += static_cast<char>(c);
            expDigits = true;
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (c - '0');
        }
        if (expDigits) {
            number += part;
            if (expNegative) exponent = -exponent;
        } else {
            in.Rewind(mark);  // "12e" is 12: the letter ends the number
            exponent = 0;
        }
    }

    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Decimal magnitude of the first significant digit decides the direction.
        const long long magnitude = (intDigits > 0 ? intDigits : -leadingZeros) + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::optional<std::int32_t> ReadField(std::string_view text) {
    return RoundToInt32(ReadLeadingNumber(text));
}

std::int32_t CentreOffset(double frame, double size) {
    // Both arguments are small whole numbers here, so the rounding always succeeds.
    return RoundToInt32(frame - size).value_or(0) / 2;
}

PreviewFit FitPreview(std::int32_t w, std::int32_t h) {
    const double v = kFrameHeight / h * w;
    PreviewFit fit{};
    if (v > kFrameWidth) {  // wider than 16:9: full width
        fit.wide = true;
        fit.width = kFrameWidth;
        fit.height = RoundToInt32(kFrameWidth / w * h).value_or(0);
        fit.leftOffset = 0;
        fit.topOffset = CentreOffset(kFrameHeight, fit.height);
    } else {  // 16:9 or narrower: full height
        fit.height = kFrameHeight;
        fit.width = RoundToInt32(v).value_or(0);
        fit.topOffset = 0;
        fit.leftOffset = CentreOffset(kFrameWidth, fit.width);
    }
    return fit;
}

std::string ToDecimal(std::int64_t n) { return std::to_string(n); }

std::string ResultCaption(const Reduction& r) {
    return ToDecimal(r.shownW) + " : " + ToDecimal(r.shownH);
}

std::optional<std::int32_t> LockedConvert(std::int32_t edited, std::int32_t ratioEdited,
                                          std::int32_t ratioOther) {
    if (ratioEdited == 0) return std::nullopt;  // division by zero, or 0 / 0
    const double x = static_cast<double>(edited) / ratioEdited * ratioOther * 10;
    if (!std::isfinite(x)) return std::nullopt;
    const auto tenths = RoundToInt32(x);
    if (!tenths) return std::nullopt;
    return RoundToInt32(*tenths / 10.0);
}

}  // namespace aspect::ratio
