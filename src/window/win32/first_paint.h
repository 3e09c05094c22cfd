#pragma once

#include <chrono>
#include <cstdio>

#include <windows.h>

namespace aspect::window {

// For the start-up benchmark: with ASPECT_EXIT_AFTER_FIRST_PAINT=1 the first
// call of Painted() (at the end of the main window's first paint) writes
// "first-paint-ns <steady_clock nanoseconds>" to stdout and closes the
// window; otherwise it does nothing.
class FirstPaintSignal {
  public:
    void Painted(HWND window) {
        if (!armed_) return;
        armed_ = false;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("first-paint-ns %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        // Posted, so the paint under way still reaches the screen.
        PostMessageW(window, WM_CLOSE, 0, 0);
    }

  private:
    static bool Armed() {
        wchar_t value[4] = {};
        const DWORD n = GetEnvironmentVariableW(L"ASPECT_EXIT_AFTER_FIRST_PAINT", value, 4);
        return n == 1 && value[0] == L'1';
    }

    bool armed_ = Armed();
};

}  // namespace aspect::window
