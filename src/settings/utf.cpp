#include "utf.h"

#include <cstddef>

namespace aspect::settings {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`; false (and `i` moved past one byte) when malformed.
// Encoded surrogates are malformed unless `surrogates`.
bool NextCodePoint(std::string_view text, std::size_t& i, char32_t& cp, bool surrogates = false) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1Fu, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0Fu, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07u, min = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (text.size() - i < length) {
        ++i;
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (next & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (!surrogates && cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += length;
    return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUnit(std::vector<std::uint8_t>& out, char32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

// UTF-8 (with `surrogates`, WTF-8) as UTF-16LE; what does not decode becomes U+FFFD.
std::vector<std::uint8_t> EncodeUtf16Le(std::string_view text, bool surrogates) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() * 2);
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        if (!NextCodePoint(text, i, cp, surrogates)) cp = kReplacement;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUnit(out, 0xD800 + (cp >> 10));
            AppendUnit(out, 0xDC00 + (cp & 0x3FF));
        } else {
            AppendUnit(out, cp);
        }
    }
    return out;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    char32_t cp = 0;
    while (i < text.size()) {
        if (!NextCodePoint(text, i, cp)) return false;
    }
    return true;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text) {
    return EncodeUtf16Le(text, false);
}

namespace {

// Decodes `units` little-endian UTF-16 units into `out`. A lone surrogate is kept as
// itself when `keepLone` (WTF-8), otherwise replaced, or refused when `strict`.
bool DecodeUtf16Le(const unsigned char* bytes, std::size_t units, bool keepLone, bool strict,
                   std::string& out) {
    const auto unitAt = [&](std::size_t k) {
        return static_cast<char32_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
    };
    for (std::size_t k = 0; k < units; ++k) {
        char32_t cp = unitAt(k);
        if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < units && unitAt(k + 1) >= 0xDC00 &&
            unitAt(k + 1) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unitAt(k + 1) - 0xDC00);
            ++k;
        } else if (cp >= 0xD800 && cp <= 0xDFFF && !keepLone) {
            if (strict) return false;
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return true;
}

}  // namespace

bool Utf16LeToUtf8(const std::vector<std::uint8_t>& bytes, bool strict, std::string& text) {
    text.clear();
    if (strict && bytes.size() % 2 != 0) return false;
    if (!DecodeUtf16Le(bytes.data(), bytes.size() / 2, false, strict, text)) return false;
    if (bytes.size() % 2 != 0) AppendUtf8(text, kReplacement);
    return true;
}

std::string Utf16LeToWtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    DecodeUtf16Le(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size() / 2, true,
                  false, text);
    return text;
}

std::string Wtf8ToUtf16Le(std::string_view text) {
    const std::vector<std::uint8_t> units = EncodeUtf16Le(text, true);
    return std::string(units.begin(), units.end());
}

}  // namespace aspect::settings
