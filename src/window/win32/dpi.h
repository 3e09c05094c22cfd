#pragma once

#include <windows.h>

// Resolution awareness through functions that newer Windows versions add;
// each is looked up at run time, with the older call as the fallback.
namespace aspect::window {

// Asks the system not to stretch the window's bitmap: per-monitor aware where
// the system knows it, system aware otherwise.
void EnableDpiAwareness();

// Dots per inch of the window's monitor (or of the system).
UINT DpiOf(HWND window);

// The outer size of a window whose client area is `client` device pixels.
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace aspect::window
