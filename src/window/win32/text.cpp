#include "text.h"

#include <windows.h>

namespace aspect::window {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring_view FitPaste(std::wstring_view pasted, int room) {
    pasted = pasted.substr(0, pasted.find_first_of(L"\r\n"));
    if (room <= 0) return {};
    std::size_t n = std::min(pasted.size(), static_cast<std::size_t>(room));
    if (n < pasted.size() && IS_HIGH_SURROGATE(pasted[n - 1]) && IS_LOW_SURROGATE(pasted[n])) --n;
    return pasted.substr(0, n);
}

std::wstring Utf16Of(char32_t codePoint) {
    if (codePoint < 0x10000) {
        if (codePoint >= 0xD800 && codePoint < 0xE000) return {};
        return std::wstring(1, static_cast<wchar_t>(codePoint));
    }
    if (codePoint > 0x10FFFF) return {};
    const char32_t v = codePoint - 0x10000;
    return {static_cast<wchar_t>(0xD800 + (v >> 10)), static_cast<wchar_t>(0xDC00 + (v & 0x3FF))};
}

}  // namespace aspect::window
