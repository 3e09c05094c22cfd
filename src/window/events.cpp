#include "window/events.h"

#include <algorithm>
#include <initializer_list>

#include "window/screen_reader.h"

namespace aspect::window {

namespace {

constexpr std::uint16_t kBackspace = 8;

void RunKeyHandler(FormEvents* events, Control field, std::uint16_t& key) {
    if (events != nullptr && field == Control::txtW) events->txtW_KeyPress(key);
    if (events != nullptr && field == Control::txtH) events->txtH_KeyPress(key);
}

// One code point of UTF-8 text at `at` and its length in bytes; a byte that begins
// no valid sequence reads as U+FFFD on its own, as the toolkits' converters read it.
char32_t Decode(std::string_view s, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    length = 1;
    if (lead < 0x80) return lead;
    std::size_t n = 0;
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, cp = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    if (at + n > s.size()) return 0xFFFD;
    for (std::size_t i = 1; i < n; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    length = n;
    return cp;
}

struct Range {
    char32_t first, last;
};

bool In(char32_t cp, std::initializer_list<Range> ranges) {
    return std::any_of(ranges.begin(), ranges.end(),
                       [cp](const Range& r) { return cp >= r.first && cp <= r.last; });
}

// Grapheme clusters by a small hand-written subset of the Unicode rules: no library
// that segments text without a window toolkit is at hand on both Linux and Windows,
// and a field of five units only meets the cases below. Not covered: Hangul
// syllable sequences, prepended marks and spacing marks of the Indic scripts.
bool IsControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp == 0x2028 || cp == 0x2029;
}

// Combining marks, joiners, variation selectors, skin tones and tag characters: each
// belongs to the character before it.
bool IsExtend(char32_t cp) {
    return In(cp, {{0x0300, 0x036F},
                   {0x0483, 0x0489},
                   {0x0591, 0x05BD},
                   {0x0610, 0x061A},
                   {0x064B, 0x065F},
                   {0x1AB0, 0x1AFF},
                   {0x1DC0, 0x1DFF},
                   {0x200C, 0x200D},
                   {0x20D0, 0x20FF},
                   {0xFE00, 0xFE0F},
                   {0xFE20, 0xFE2F},
                   {0x1F3FB, 0x1F3FF},
                   {0xE0020, 0xE007F},
                   {0xE0100, 0xE01EF}});
}

// Symbols that a zero-width joiner binds into one emoji (a generous superset).
bool IsPictographic(char32_t cp) {
    return In(cp, {{0x00A9, 0x00A9}, {0x00AE, 0x00AE}, {0x203C, 0x3299}, {0x1F000, 0x1FAFF}});
}

bool IsRegionalIndicator(char32_t cp) { return cp >= 0x1F1E6 && cp <= 0x1F1FF; }

// Whether `next` continues the character that `previous` ends; `indicators` counts the
// regional indicators in a row that end with `previous`.
bool Continues(char32_t previous, char32_t next, int indicators) {
    if (previous == U'\r' && next == U'\n') return true;
    if (IsControl(previous) || IsControl(next)) return false;
    if (IsExtend(next)) return true;
    if (previous == 0x200D && IsPictographic(next)) return true;
    // Regional indicators pair up into flags.
    return IsRegionalIndicator(next) && indicators % 2 == 1;
}

// The length in bytes of the user-perceived character at the start of UTF-8 text.
std::size_t FirstCharacter(std::string_view utf8) {
    if (utf8.empty()) return 0;
    std::size_t at = 0;
    std::size_t n = 0;
    char32_t previous = Decode(utf8, at, n);
    int indicators = IsRegionalIndicator(previous) ? 1 : 0;
    for (at += n; at < utf8.size(); at += n) {
        const char32_t next = Decode(utf8, at, n);
        if (!Continues(previous, next, indicators)) break;
        indicators = IsRegionalIndicator(next) ? indicators + 1 : 0;
        previous = next;
    }
    return at;
}

}  // namespace

bool PointerMoved(FormEvents* events, Control control) {
    if (events == nullptr) return false;
    switch (control) {
        case Control::frmMain:
            events->Form_MouseMove();
            return true;
        case Control::imgLangENG:
            events->imgLangENG_MouseMove();
            return true;
        case Control::imgLangHUN:
            events->imgLangHUN_MouseMove();
            return true;
        case Control::lblHomepage:
            events->lblHomepage_MouseMove();
            return true;
        default:
            return false;
    }
}

void TextChanged(FormEvents* events, Control field) {
    if (events != nullptr && field == Control::txtW) events->txtW_Change();
    if (events != nullptr && field == Control::txtH) events->txtH_Change();
}

bool TakesClicks(Control control) {
    return control == Control::imgLangENG_hl || control == Control::imgLangHUN_hl ||
           control == Control::lblHomepage;
}

void ButtonReleased(FormEvents* events, Control pressed, Control released, bool inside) {
    if (events == nullptr || pressed != released || !inside || !TakesClicks(released)) return;
    Press(*events, released);
}

KeyOutcome KeyPressed(FormEvents* events, Control field, std::uint16_t& key, std::size_t length,
                      std::size_t selected) {
    RunKeyHandler(events, field, key);
    if (key == 0) return KeyOutcome::Discarded;
    if (key != kBackspace && RoomLeft(length, selected) == 0) return KeyOutcome::Refused;
    return KeyOutcome::Typed;
}

std::u16string FilterTyped(FormEvents* events, Control field, std::u16string_view typed) {
    std::u16string kept;
    for (const char16_t unit : typed) {
        std::uint16_t key = unit;
        RunKeyHandler(events, field, key);
        if (key != 0) kept += static_cast<char16_t>(key);
    }
    return kept;
}

std::size_t RoomLeft(std::size_t length, std::size_t selected) {
    const std::size_t kept = length - std::min(selected, length);
    const auto limit = static_cast<std::size_t>(kUserTextLimit);
    return kept < limit ? limit - kept : 0;
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t at = 0, n = 0; at < utf8.size(); at += n) {
        units += Decode(utf8, at, n) > 0xFFFF ? 2u : 1u;
    }
    return units;
}

std::string_view FitPaste(std::string_view pasted, std::size_t room) {
    pasted = pasted.substr(0, pasted.find_first_of("\r\n"));
    std::size_t kept = 0;
    while (kept < pasted.size() && room > 0) {
        const std::size_t n = FirstCharacter(pasted.substr(kept));
        const std::size_t units = Utf16Length(pasted.substr(kept, n));
        if (units > room) break;
        room -= units;
        kept += n;
    }
    return pasted.substr(0, kept);
}

Box Refit(const Box& now, Align align, int width, int height) {
    const int left = align == Align::Right ? now.left + now.width - width : now.left;
    return {left, now.top, width, height};
}

OuterBounds BoundsInTwips(int left, int top, int width, int height) {
    return {static_cast<double>(left) * kTwipsPerPixel, static_cast<double>(top) * kTwipsPerPixel,
            static_cast<double>(width) * kTwipsPerPixel,
            static_cast<double>(height) * kTwipsPerPixel};
}

}  // namespace aspect::window
