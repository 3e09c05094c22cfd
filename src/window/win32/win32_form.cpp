#include "win32_form.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <commctrl.h>
#include <shellapi.h>

#include "dpi.h"
#include "resource_ids.h"
#include "system_library.h"
#include "text.h"
#include "win32_form_detail.h"
#include "window/events.h"
#include "window/pictures.h"
#include "window/placement.h"

// The window's construction, layout, fonts, pictures and message loop.
namespace aspect::window {

using namespace win32_detail;  // the source files' shared constants and helpers

namespace {

const wchar_t* FaceName(Face face) {
    switch (face) {
        case Face::Arial:
            return L"Arial";
        case Face::Georgia:
            return L"Georgia";
        case Face::Dialog:
            break;
    }
    return L"MS Shell Dlg 2";
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = DefWindowProcW;
    main.hInstance = instance;
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0,
                                               0, LR_DEFAULTSIZE | LR_SHARED));
    main.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    main.lpszClassName = kMainClass;
    WNDCLASSEXW spot = main;
    spot.hIcon = nullptr;
    spot.hIconSm = nullptr;
    spot.lpszClassName = kSpotClass;
    // Each class is registered once per process; a second window reuses it.
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, kMainClass, &existing) && !RegisterClassExW(&main)) {
        return false;
    }
    if (!GetClassInfoExW(instance, kSpotClass, &existing) && !RegisterClassExW(&spot)) {
        return false;
    }
    return true;
}

// The shell is loaded only when an address is first opened: at start-up its
// library and the many it pulls in would only slow the first paint.
HINSTANCE WINAPI ShellExecuteOnDemand(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                      LPCSTR directory, INT show) {
    using Execute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const auto execute = SystemFunction<Execute>(L"shell32.dll", "ShellExecuteA");
    if (execute == nullptr) {
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    }
    return execute(owner, operation, file, parameters, directory, show);
}

}  // namespace

Win32Form::Win32Form(HINSTANCE instance) : instance_(instance), shellOpen_(&ShellExecuteOnDemand) {
    for (const ControlDesign& d : Design()) {
        State& s = At(d.id);
        s.left = d.left;
        s.top = d.top;
        s.width = d.width;
        s.height = d.height;
        s.caption = Widen(d.text);
        s.fore = d.fore;
        s.visible = d.visible;
    }
    At(Control::frmMain).caption = Widen(kDesignCaption);
    RegisterClasses(instance);
    // The window procedures are plain functions; they find this object through the
    // windows' user data, set before any message needs it.
    hwnd_ = CreateWindowExW(0, kMainClass, At(Control::frmMain).caption.c_str(), kMainStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance,
                            nullptr);
    if (hwnd_ == nullptr) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainProc));
    dpi_ = DpiOf(hwnd_);
    // Measured before the children are made, so each is made at its final size.
    for (const ControlDesign& d : Design()) {
        if (d.autoSize) RefitAutoSize(d.id);
    }
    MakeControls();
    ServeScreenReaders(false);
    Layout();
    focus_ = Child(Control::txtW);
}

Win32Form::~Win32Form() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        events_ = nullptr;
        DestroyWindow(hwnd_);
    }
    DropFonts();
    DropPictures();
}

void Win32Form::MakeControls() {
    // Made in the order they are stacked, the first in front, which is also the
    // order the focus moves in.
    for (const Control c : {Control::txtW, Control::txtH, Control::chLock}) {
        const DWORD visible = At(c).visible ? WS_VISIBLE : 0;
        if (DesignOf(c).kind == Kind::TextField) {
            MakeChild(c, WS_EX_CLIENTEDGE, L"EDIT",
                      WS_TABSTOP | visible | ES_CENTER | ES_AUTOHSCROLL);
            // What the user types or pastes; the program's own writes pass uncut.
            SendMessageW(Child(c), EM_LIMITTEXT, kUserTextLimit, 0);
            SetWindowSubclass(Child(c), &FieldProc, Index(c), reinterpret_cast<DWORD_PTR>(this));
        } else {
            MakeChild(c, 0, L"BUTTON", WS_TABSTOP | visible | BS_AUTOCHECKBOX | BS_MULTILINE);
        }
    }
}

void Win32Form::MakeSpots() {
    if (complete_) return;
    complete_ = true;
    // Made while the window does not redraw, each is made as cheaply as under a
    // hidden window; each then paints what the main window already shows there.
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    for (const ControlDesign& d : Design()) {
        if (!IsSpot(d.kind)) continue;
        const HWND h = MakeChild(d.id, 0, kSpotClass, At(d.id).visible ? WS_VISIBLE : 0);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SpotProc));
    }
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    for (const ControlDesign& d : Design()) {
        if (IsSpot(d.kind)) InvalidateRect(At(d.id).hwnd, nullptr, FALSE);
    }
    ServeScreenReaders(true);
}

HWND Win32Form::MakeChild(Control c, DWORD exStyle, const wchar_t* windowClass, DWORD style) {
    State& s = At(c);
    // A picture has no text of its own: its window text is what it is called.
    const std::wstring& text = DesignOf(c).kind == Kind::Picture ? s.accessibleName : s.caption;
    // Made where they belong: moving each afterwards costs a round of messages.
    s.placed = DeviceRect(c);
    const RECT& r = s.placed;
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstChildId + Index(c)));
    s.hwnd = CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style,
                             r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_, id,
                             instance_, nullptr);
    return s.hwnd;
}

HWND Win32Form::Child(Control control) const {
    if (control == Control::frmMain) return hwnd_;
    return At(control).hwnd;
}

Control Win32Form::ControlOf(HWND child) const {
    for (std::size_t i = 0; i < state_.size(); ++i) {
        if (state_[i].hwnd == child && child != nullptr) return static_cast<Control>(i);
    }
    return Control::frmMain;
}

int Win32Form::Device(int designPixels) const {
    return MulDiv(designPixels, static_cast<int>(dpi_), 96);
}

int Win32Form::PictureScale() const {
    // Whole multiples only; 144 dots per inch keeps 1, as 2 would push the two
    // flags, three design pixels apart, into each other.
    return std::max(1, static_cast<int>(dpi_) / 96);
}

RECT Win32Form::DeviceRect(Control c) const {
    const State& s = At(c);
    const ControlDesign& d = DesignOf(c);
    const int l = Device(s.left);
    const int t = Device(s.top);
    if (d.kind == Kind::Picture) {
        const int p = PictureScale();
        return {l, t, l + s.width * p, t + s.height * p};
    }
    if (d.kind == Kind::Line) {
        const int w = std::max(1, static_cast<int>(dpi_) / 96);
        return {l, t, Device(s.left + s.width), t + w};
    }
    return {l, t, Device(s.left + s.width), Device(s.top + s.height)};
}

void Win32Form::Place(Control c) {
    State& s = At(c);
    if (s.hwnd == nullptr) return;
    const RECT r = DeviceRect(c);
    // Only this window moves its children, so where it last put one is where it is.
    if (EqualRect(&r, &s.placed)) return;
    s.placed = r;
    SetWindowPos(s.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::Layout() {
    for (const ControlDesign& d : Design()) {
        Place(d.id);
        const State& s = At(d.id);
        if (d.kind == Kind::TextField || d.kind == Kind::CheckBox) {
            SendMessageW(s.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(d.font, false)), TRUE);
        }
    }
    const SIZE client{Device(kClientWidth), Device(kClientHeight)};
    SIZE& outer = outer_;
    outer = OuterSize(client, kMainStyle, 0, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame the system actually draws may differ from its metrics for this
    // resolution (a title bar not scaled with the monitor): measure and correct.
    RECT inner{};
    GetClientRect(hwnd_, &inner);
    if (inner.right != client.cx || inner.bottom != client.cy) {
        outer.cx += client.cx - inner.right;
        outer.cy += client.cy - inner.bottom;
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

HFONT Win32Form::Font(const FontDesign& font, bool underline) const {
    const int key = static_cast<int>(font.face) * 10000000 +
                    static_cast<int>(std::lround(font.points * 100)) * 100 + (font.bold ? 10 : 0) +
                    (underline ? 1 : 0);
    if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    // Point sizes follow the display's resolution: 8.25 points are 11 pixels at 96.
    const int height = -static_cast<int>(std::lround(font.points * dpi_ / 72.0));
    // Character set 238 is Central European: the Hungarian letters.
    HFONT f = CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                          underline ? TRUE : FALSE, FALSE, EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          FaceName(font.face));
    fonts_[key] = f;
    return f;
}

void Win32Form::DropFonts() {
    for (auto& [key, font] : fonts_) DeleteObject(font);
    fonts_.clear();
}

HBITMAP Win32Form::Picture(PictureId id) const {
    if (const auto it = pictures_.find(id); it != pictures_.end()) return it->second;
    HBITMAP b = ToDib(PictureBitmap(id, PictureScale()));
    pictures_[id] = b;
    return b;
}

void Win32Form::DropPictures() {
    for (auto& [id, bitmap] : pictures_) DeleteObject(bitmap);
    pictures_.clear();
}

void Win32Form::RefitAutoSize(Control c) {
    State& s = At(c);
    const ControlDesign& d = DesignOf(c);
    HDC dc = GetDC(hwnd_);
    const HGDIOBJ old = SelectObject(dc, Font(d.font, s.underline));
    SIZE extent{};
    GetTextExtentPoint32W(dc, s.caption.c_str(), static_cast<int>(s.caption.size()), &extent);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    // Back to design pixels, rounded up so that the text is never cut.
    const auto design = [this](LONG device) {
        const LONG dpi = static_cast<LONG>(dpi_);
        return static_cast<int>((device * 96 + dpi - 1) / dpi);
    };
    const int frame = d.border ? 2 : 0;
    const int width = design(extent.cx) + frame;
    const int height = design(tm.tmHeight) + frame;
    Invalidate(c);
    const Box b = Refit({s.left, s.top, s.width, s.height}, d.align, width, height);
    s.left = b.left;
    s.width = b.width;
    s.height = b.height;
    Place(c);
    Invalidate(c);
}

void Win32Form::Invalidate(const RECT& deviceRect) {
    RedrawWindow(hwnd_, &deviceRect, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Win32Form::Invalidate(Control c) { Invalidate(DeviceRect(c)); }

void Win32Form::CentreOnScreen() {
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT& area = mi.rcWork;
    const ScreenPlace at =
        PlaceInWorkArea(area.left, area.top, area.right - area.left, area.bottom - area.top,
                        outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(hwnd_, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    FirstPaintStamp::Stage("shown");
    UpdateWindow(hwnd_);
    // Until now the main window painted the labels and pictures itself: made
    // before the first paint, their windows would only delay it.
    MakeSpots();
    SetFocus(focus_);
    FirstPaintStamp::Stage("complete");
}

int Win32Form::RunMessageLoop() {
    quitOnDestroy_ = true;
    MSG msg{};
    BOOL got = 0;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (HandleDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace aspect::window
