#pragma once

#include <windows.h>

// Resolution awareness through functions that newer Windows versions add;
// each is looked up at run time, with the older call as the fallback.
namespace aspect::window {

// Asks the system not to stretch the window's bitmap: per-monitor aware where
// the system knows it, system aware otherwise.
void EnableDpiAwareness();

// Whether a resolution is one to lay the window out for: 48 to 480 dpi. Windows
// scales from 96 (100 %) to 480 (500 %); below 96 only a Wine prefix set so goes,
// and half of 96 still lays out a legible window. Anything else (0, 1, a huge
// value) can come only from another process's message and is not taken.
bool UsableDpi(UINT dpi);

// Dots per inch of the window's monitor (or of the system); 96 when neither
// gives a usable value.
UINT DpiOf(HWND window);

// The outer size of a window whose client area is `client` device pixels.
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace aspect::window
