#pragma once

#include <string>
#include <string_view>

// Text at the edge of the Win32 adapter: the behaviour speaks UTF-8, the
// window functions UTF-16.
namespace aspect::window {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A code point as UTF-16; empty for a lone surrogate or beyond U+10FFFF.
std::wstring Utf16Of(char32_t codePoint);

}  // namespace aspect::window
