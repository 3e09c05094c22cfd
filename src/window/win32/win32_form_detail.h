#pragma once

// What the window's source files share; none of it is part of the adapter's interface.

#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "win32_form.h"

namespace aspect::window::win32_detail {

inline constexpr wchar_t kMainClass[] = L"MorlaneAspectRatio";
inline constexpr wchar_t kSpotClass[] = L"MorlaneAspectRatioSpot";
inline constexpr UINT_PTR kTimerId = 1;
// Child identifiers stay clear of IDOK and IDCANCEL, which dialog navigation sends.
inline constexpr int kFirstChildId = 100;
// Device rows the main window paints at a time.
inline constexpr LONG kPaintBand = 64;
inline constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

inline std::size_t Index(Control c) { return static_cast<std::size_t>(c); }

// Labels and pictures: child windows that paint their part of the scene.
inline bool IsSpot(Kind k) { return k == Kind::Label || k == Kind::Picture; }

// The window object behind one of its windows.
inline Win32Form* FormOf(HWND hwnd) {
    return reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The length of a field's selection, in UTF-16 units.
inline std::size_t Selected(HWND edit) {
    DWORD from = 0;
    DWORD to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return to > from ? to - from : 0;
}

// Fills a device rectangle with a solid colour.
void Fill(HDC dc, const RECT& r, COLORREF colour);

// The bitmap as a 32-bit top-down DIB section.
HBITMAP ToDib(const Bitmap& b);

// An off-screen bitmap the size of a paint, blitted to `area` of the target at
// the end: no flicker. Its device origin is the area's top-left corner.
class Buffer {
  public:
    Buffer(HDC target, const RECT& area)
        : target_(target),
          area_(area),
          dc_(CreateCompatibleDC(target)),
          bitmap_(CreateCompatibleBitmap(target, std::max<LONG>(1, area.right - area.left),
                                         std::max<LONG>(1, area.bottom - area.top))),
          old_(SelectObject(dc_, bitmap_)) {}
    ~Buffer() {
        SetViewportOrgEx(dc_, 0, 0, nullptr);
        BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top,
               dc_, 0, 0, SRCCOPY);
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    HDC Dc() const { return dc_; }

  private:
    HDC target_;
    RECT area_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

}  // namespace aspect::window::win32_detail
