#include "dpi.h"

namespace aspect::window {

namespace {

template <class Fn>
Fn User32(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return nullptr;
    // The documented way to reach a function by name; its type is the caller's promise.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

void EnableDpiAwareness() {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    if (const auto set = User32<SetContext>("SetProcessDpiAwarenessContext")) {
        if (set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
            set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) {
            return;
        }
    }
    using SetAware = BOOL(WINAPI*)();
    if (const auto set = User32<SetAware>("SetProcessDPIAware")) set();
}

bool UsableDpi(UINT dpi) { return dpi >= 48 && dpi <= 480; }

UINT DpiOf(HWND window) {
    using ForWindow = UINT(WINAPI*)(HWND);
    if (window != nullptr) {
        if (const auto forWindow = User32<ForWindow>("GetDpiForWindow")) {
            const UINT dpi = forWindow(window);
            if (UsableDpi(dpi)) return dpi;
        }
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 && UsableDpi(static_cast<UINT>(dpi)) ? static_cast<UINT>(dpi) : 96;
}

SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
    RECT r{0, 0, client.cx, client.cy};
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    const auto adjust = User32<AdjustForDpi>("AdjustWindowRectExForDpi");
    if (adjust == nullptr || !adjust(&r, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace aspect::window
