#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aspect::settings {

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

// UTF-8 to UTF-16LE bytes, as the registry keeps strings; malformed input becomes U+FFFD.
std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text);

// UTF-16LE bytes to UTF-8. Returns false when `strict` and the bytes are not well-formed
// UTF-16 (odd length, unpaired surrogate); otherwise such units become U+FFFD.
bool Utf16LeToUtf8(const std::vector<std::uint8_t>& bytes, bool strict, std::string& text);

// UTF-16LE bytes (an even number) to UTF-8, losslessly: an unpaired surrogate is encoded as
// any other code unit below U+10000 (WTF-8), so Wtf8ToUtf16Le gives the same bytes back.
std::string Utf16LeToWtf8(std::string_view bytes);
std::string Wtf8ToUtf16Le(std::string_view text);

}  // namespace aspect::settings
