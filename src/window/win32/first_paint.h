#pragma once

#include <windows.h>

#include "window/first_paint.h"

namespace aspect::window {

// Closes the main window after its first paint when the start-up benchmark
// asks for it (see FirstPaintStamp).
class FirstPaintSignal {
  public:
    void Painted(HWND window) {
        // Posted, so the paint under way still reaches the screen.
        if (stamp_.Write()) PostMessageW(window, WM_CLOSE, 0, 0);
    }

  private:
    FirstPaintStamp stamp_;
};

}  // namespace aspect::window
