#include "dpi.h"

#include "system_library.h"

namespace aspect::window {

void EnableDpiAwareness() {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    if (const auto set =
            SystemFunction<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
            set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) {
            return;
        }
    }
    using SetAware = BOOL(WINAPI*)();
    if (const auto set = SystemFunction<SetAware>(L"user32.dll", "SetProcessDPIAware")) set();
}

bool UsableDpi(UINT dpi) { return dpi >= 48 && dpi <= 480; }

UINT DpiOf(HWND window) {
    if (window != nullptr) {
        // Windows 10 knows each window's own; 8.1 its monitor's.
        using ForWindow = UINT(WINAPI*)(HWND);
        if (const auto forWindow = SystemFunction<ForWindow>(L"user32.dll", "GetDpiForWindow")) {
            const UINT dpi = forWindow(window);
            if (UsableDpi(dpi)) return dpi;
        }
        // MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI is 0.
        using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
        if (const auto forMonitor = SystemFunction<ForMonitor>(L"shcore.dll", "GetDpiForMonitor")) {
            UINT x = 0;
            UINT y = 0;
            const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
            if (SUCCEEDED(forMonitor(monitor, 0, &x, &y)) && y != 0) return y;
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
    const auto adjust = SystemFunction<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (adjust == nullptr || !adjust(&r, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace aspect::window
