#include "win32_form.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <vector>

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "dpi.h"
#include "resource_ids.h"
#include "text.h"
#include "window/pictures.h"

namespace aspect::window {

namespace {

constexpr wchar_t kMainClass[] = L"MorlaneAspectRatio";
constexpr wchar_t kSpotClass[] = L"MorlaneAspectRatioSpot";
constexpr UINT_PTR kTimerId = 1;
// Child identifiers stay clear of IDOK and IDCANCEL, which dialog navigation sends.
constexpr int kFirstChildId = 100;
// Device rows the main window paints at a time.
constexpr LONG kPaintBand = 64;
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

std::size_t Index(Control c) { return static_cast<std::size_t>(c); }

// Labels and pictures: child windows that paint their part of the scene.
bool IsSpot(Kind k) { return k == Kind::Label || k == Kind::Picture; }

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

UINT AlignFlags(Align a) {
    switch (a) {
        case Align::Centre:
            return DT_CENTER;
        case Align::Right:
            return DT_RIGHT;
        case Align::Left:
            break;
    }
    return DT_LEFT;
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// An outline on the rectangle's own outermost pixels, `w` device pixels wide;
// dashes run 4 on, 2 off, in units of the width.
void DrawOutline(HDC dc, const RECT& r, int w, COLORREF colour, bool dashed) {
    const auto band = [&](LONG l, LONG t, LONG rr, LONG b) {
        if (!dashed) {
            Fill(dc, RECT{l, t, rr, b}, colour);
            return;
        }
        const bool across = rr - l > b - t;
        const LONG from = across ? l : t;
        const LONG to = across ? rr : b;
        for (LONG p = from; p < to; p += 6 * w) {
            const LONG e = std::min<LONG>(p + 4 * w, to);
            Fill(dc, across ? RECT{p, t, e, b} : RECT{l, p, rr, e}, colour);
        }
    };
    band(r.left, r.top, r.right, r.top + w);
    band(r.left, r.bottom - w, r.right, r.bottom);
    band(r.left, r.top + w, r.left + w, r.bottom - w);
    band(r.right - w, r.top + w, r.right, r.bottom - w);
}

HBITMAP ToDib(const Bitmap& b) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = b.width;
    info.bmiHeader.biHeight = -b.height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr || bits == nullptr) return dib;
    auto* px = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < b.pixels.size(); ++i) {
        const Rgb c = b.pixels[i];
        px[i] =
            (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) | c.b;
    }
    return dib;
}

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

// How many more characters the user may put into a field, over its selection.
int Room(HWND edit) {
    DWORD from = 0;
    DWORD to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return kUserTextLimit - (GetWindowTextLengthW(edit) - static_cast<int>(to - from));
}

// The shell is loaded only when an address is first opened: at start-up its
// library and the many it pulls in would only slow the first paint.
HINSTANCE WINAPI ShellExecuteOnDemand(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                      LPCSTR directory, INT show) {
    using Execute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    // From the system folder only, never from beside the program.
    static const Execute execute = [] {
        const HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (shell == nullptr) return static_cast<Execute>(nullptr);
        // The documented way to reach a function by name; its type is the caller's promise.
        return reinterpret_cast<Execute>(
            reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
    }();
    if (execute == nullptr) {
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    }
    return execute(owner, operation, file, parameters, directory, show);
}

Win32Form* FormOf(HWND hwnd) {
    return reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
    CreateChildren();
    Layout();
    for (const ControlDesign& d : Design()) {
        if (d.autoSize) RefitAutoSize(d.id);
    }
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

void Win32Form::CreateChildren() {
    // Children are stacked in the order they are made, the first in front, and the
    // focus moves in the same order: the fields and the check box come first.
    std::vector<Control> order = {Control::txtW, Control::txtH, Control::chLock};
    for (const ControlDesign& d : Design()) {
        if (IsSpot(d.kind)) order.push_back(d.id);
    }
    for (const Control c : order) {
        const ControlDesign& d = DesignOf(c);
        State& s = At(c);
        const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstChildId + Index(c)));
        const DWORD visible = s.visible ? WS_VISIBLE : 0;
        // Made where they belong: moving each afterwards costs a round of messages.
        s.placed = DeviceRect(c);
        const RECT& r = s.placed;
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        switch (d.kind) {
            case Kind::TextField:
                s.hwnd = CreateWindowExW(
                    WS_EX_CLIENTEDGE, L"EDIT", L"",
                    WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | visible | ES_CENTER | ES_AUTOHSCROLL,
                    r.left, r.top, w, h, hwnd_, id, instance_, nullptr);
                // What the user types or pastes; the program's own writes pass uncut.
                SendMessageW(s.hwnd, EM_LIMITTEXT, kUserTextLimit, 0);
                SetWindowSubclass(s.hwnd, &FieldProc, Index(c), reinterpret_cast<DWORD_PTR>(this));
                break;
            case Kind::CheckBox:
                s.hwnd = CreateWindowExW(0, L"BUTTON", s.caption.c_str(),
                                         WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | visible |
                                             BS_AUTOCHECKBOX | BS_MULTILINE,
                                         r.left, r.top, w, h, hwnd_, id, instance_, nullptr);
                break;
            default:
                s.hwnd = CreateWindowExW(0, kSpotClass, s.caption.c_str(),
                                         WS_CHILD | WS_CLIPSIBLINGS | visible, r.left, r.top, w, h,
                                         hwnd_, id, instance_, nullptr);
                SetWindowLongPtrW(s.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
                SetWindowLongPtrW(s.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SpotProc));
                break;
        }
    }
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
    // A right-aligned label keeps its right edge where it was designed.
    if (d.align == Align::Right) s.left = s.left + s.width - width;
    s.width = width;
    s.height = height;
    Place(c);
    Invalidate(c);
}

void Win32Form::Invalidate(const RECT& deviceRect) {
    RedrawWindow(hwnd_, &deviceRect, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Win32Form::Invalidate(Control c) { Invalidate(DeviceRect(c)); }

void Win32Form::PaintScene(HDC dc, const RECT& clip) const {
    Fill(dc, clip, GetSysColor(COLOR_BTNFACE));
    const int w = std::max(1, static_cast<int>(dpi_) / 96);
    SetBkMode(dc, TRANSPARENT);
    const auto& design = Design();
    // Back to front; the system's own controls paint themselves.
    for (auto it = design.rbegin(); it != design.rend(); ++it) {
        const ControlDesign& d = *it;
        const State& s = At(d.id);
        if (!s.visible || d.kind == Kind::Timer || d.kind == Kind::TextField ||
            d.kind == Kind::CheckBox) {
            continue;
        }
        const RECT r = DeviceRect(d.id);
        RECT overlap{};
        if (!IntersectRect(&overlap, &r, &clip)) continue;
        switch (d.kind) {
            case Kind::Rectangle:
                if (d.filled) Fill(dc, r, Resolve(d.back));
                if (d.outline != Outline::None) {
                    DrawOutline(dc, r, w, Resolve(s.fore), d.outline == Outline::Dashed);
                }
                break;
            case Kind::Line:
                Fill(dc, r, Resolve(s.fore));
                break;
            case Kind::Picture: {
                HDC src = CreateCompatibleDC(dc);
                const HGDIOBJ old = SelectObject(src, Picture(d.picture));
                BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, SRCCOPY);
                SelectObject(src, old);
                DeleteDC(src);
                break;
            }
            case Kind::Label: {
                Fill(dc, r, Resolve(d.back));
                RECT text = r;
                if (d.border) {
                    // One design pixel wide, as the outlines are.
                    RECT edge = r;
                    for (int i = 0; i < w; ++i) {
                        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
                        InflateRect(&edge, -1, -1);
                    }
                    text = edge;
                }
                const HGDIOBJ old = SelectObject(dc, Font(d.font, s.underline));
                SetTextColor(dc, Resolve(s.fore));
                SetBkMode(dc, TRANSPARENT);
                DrawTextW(dc, s.caption.c_str(), static_cast<int>(s.caption.size()), &text,
                          AlignFlags(d.align) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
                SelectObject(dc, old);
                break;
            }
            default:
                break;
        }
    }
}

COLORREF Win32Form::Resolve(Colour colour) {
    if (colour & kSystemColour) return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0x00FFFFFF);  // the same 0x00BBGGRR layout
}

void Win32Form::CentreOnScreen() {
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT& area = mi.rcWork;
    const LONG w = outer.right - outer.left;
    const LONG h = outer.bottom - outer.top;
    SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(focus_);
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

// --- the port -----------------------------------------------------------------

void Win32Form::SetCaption(Control control, std::string_view caption) {
    State& s = At(control);
    s.caption = Widen(caption);
    if (control == Control::frmMain || control == Control::chLock) {
        SetWindowTextW(Child(control), s.caption.c_str());
        return;
    }
    // A label's window text is what it shows, for screen readers and automation.
    SetWindowTextW(s.hwnd, s.caption.c_str());
    if (DesignOf(control).autoSize) RefitAutoSize(control);
    Invalidate(control);
}

std::string Win32Form::Caption(Control control) const {
    if (control == Control::frmMain || control == Control::chLock) {
        HWND h = Child(control);
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
        return Narrow(text);
    }
    return Narrow(At(control).caption);
}

std::string Win32Form::Text(Control field) const {
    HWND h = Child(field);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

void Win32Form::SetText(Control field, std::string_view text) {
    // The same text again is no change (the edit control would report one); any
    // other text raises the change notification before this returns, and the
    // user's length limit does not apply to the program's own text.
    if (Text(field) == text) return;
    SetWindowTextW(Child(field), Widen(text).c_str());
}

void Win32Form::SetAccessibleName(Control control, std::string_view name) {
    State& s = At(control);
    s.accessibleName = Widen(name);
    // A picture has no text of its own: its window text is what it is called.
    if (control != Control::frmMain && DesignOf(control).kind == Kind::Picture) {
        SetWindowTextW(s.hwnd, s.accessibleName.c_str());
    }
}

std::wstring Win32Form::AccessibleName(Control control) const { return At(control).accessibleName; }

void Win32Form::SetForeColor(Control control, Colour colour) {
    State& s = At(control);
    s.fore = colour;
    if (s.hwnd != nullptr && !IsSpot(DesignOf(control).kind)) {
        InvalidateRect(s.hwnd, nullptr, TRUE);
    } else {
        Invalidate(control);
    }
}

void Win32Form::SetFontUnderline(Control control, bool underline) {
    At(control).underline = underline;
    Invalidate(control);
}

std::int16_t Win32Form::Value(Control checkBox) const {
    return SendMessageW(Child(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

double Win32Form::Left(Control control) const { return At(control).left; }
double Win32Form::Top(Control control) const { return At(control).top; }
double Win32Form::Width(Control control) const { return At(control).width; }
double Win32Form::Height(Control control) const { return At(control).height; }

namespace {
// Positions and sizes the behaviour writes are whole pixels.
int Whole(double v) { return static_cast<int>(std::lround(v)); }
}  // namespace

void Win32Form::SetLeft(Control control, double left) {
    Invalidate(control);
    At(control).left = Whole(left);
    Place(control);
    Invalidate(control);
}
void Win32Form::SetTop(Control control, double top) {
    Invalidate(control);
    At(control).top = Whole(top);
    Place(control);
    Invalidate(control);
}
void Win32Form::SetWidth(Control control, double width) {
    Invalidate(control);
    At(control).width = Whole(width);
    Place(control);
    Invalidate(control);
}
void Win32Form::SetHeight(Control control, double height) {
    Invalidate(control);
    At(control).height = Whole(height);
    Place(control);
    Invalidate(control);
}

void Win32Form::SetVisible(Control control, bool visible) {
    State& s = At(control);
    if (s.visible == visible) return;
    s.visible = visible;
    if (s.hwnd != nullptr) ShowWindow(s.hwnd, visible ? SW_SHOWNA : SW_HIDE);
    Invalidate(control);
}

double Win32Form::ScaleWidth() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return std::round(static_cast<double>(r.right - r.left) * 96.0 / dpi_);
}

OuterBounds Win32Form::WindowBounds() const {
    // Physical pixels, the unit of GetCursorPos too, whatever the resolution.
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return {static_cast<double>(r.left) * kTwipsPerPixel,
            static_cast<double>(r.top) * kTwipsPerPixel,
            static_cast<double>(r.right - r.left) * kTwipsPerPixel,
            static_cast<double>(r.bottom - r.top) * kTwipsPerPixel};
}

ScreenPoint Win32Form::CursorPos() const {
    POINT p{};
    // While another desktop has the input the position is unknown: a point far
    // outside every window (yet within what the twips product can hold) lets the
    // timer clear the highlight.
    if (!GetCursorPos(&p)) return {-100000000, -100000000};
    return {p.x, p.y};
}

void Win32Form::SetTimerEnabled(Control, bool enabled) {
    if (enabled == timerOn_) return;
    timerOn_ = enabled;
    if (enabled) {
        SetTimer(hwnd_, kTimerId, kTimerInterval, nullptr);
    } else {
        KillTimer(hwnd_, kTimerId);
    }
}

void Win32Form::OpenAddress(std::string_view address) {
    // The address is ASCII, so the ANSI function takes it unchanged.
    const std::string file(address);
    shellOpen_(hwnd_, nullptr, file.c_str(), nullptr, "C:\\", SW_HIDE);
}

// --- messages -------------------------------------------------------------------

LRESULT CALLBACK Win32Form::MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Form* self = FormOf(hwnd);
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->OnMain(msg, wp, lp);
}

LRESULT CALLBACK Win32Form::SpotProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Form* self = FormOf(hwnd);
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->OnSpot(self->ControlOf(hwnd), hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Form::FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self) {
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &FieldProc, id);
    return reinterpret_cast<Win32Form*>(self)->OnField(static_cast<Control>(id), hwnd, msg, wp, lp);
}

LRESULT Win32Form::OnMain(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(hwnd_, &ps);
            // In bands, each reaching the screen whole: an off-screen bitmap of the
            // whole window would, at the first paint, add a second window's worth
            // of memory.
            for (LONG top = ps.rcPaint.top; top < ps.rcPaint.bottom; top += kPaintBand) {
                const RECT band{ps.rcPaint.left, top, ps.rcPaint.right,
                                std::min<LONG>(top + kPaintBand, ps.rcPaint.bottom)};
                Buffer buffer(dc, band);
                SetViewportOrgEx(buffer.Dc(), -band.left, -band.top, nullptr);
                PaintScene(buffer.Dc(), band);
            }
            EndPaint(hwnd_, &ps);
            firstPaint_.Painted(hwnd_);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (FreshMove(hwnd_, lp) && events_) events_->Form_MouseMove();
            return 0;
        case WM_TIMER:
            if (wp == kTimerId && timerOn_ && events_) events_->tmrLang_Timer();
            return 0;
        case WM_COMMAND: {
            const Control c = ControlOf(reinterpret_cast<HWND>(lp));
            if (HIWORD(wp) == EN_CHANGE && events_) {
                if (c == Control::txtW) events_->txtW_Change();
                if (c == Control::txtH) events_->txtH_Change();
            }
            return 0;
        }
        case WM_CTLCOLOREDIT: {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, Resolve(At(ControlOf(reinterpret_cast<HWND>(lp))).fore));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, Resolve(At(Control::chLock).fore));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND f = GetFocus();
                if (f != nullptr && IsChild(hwnd_, f)) focus_ = f;
            } else if (focus_ != nullptr) {
                SetFocus(focus_);
            }
            return 0;
        case WM_SETFOCUS:
            if (focus_ != nullptr) SetFocus(focus_);
            return 0;
        case WM_GETMINMAXINFO: {
            // A fixed size, even where it is larger than a small screen.
            auto* limits = reinterpret_cast<MINMAXINFO*>(lp);
            limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, outer_.cx);
            limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, outer_.cy);
            return 0;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wp);
            DropFonts();
            DropPictures();
            for (const ControlDesign& d : Design()) {
                if (d.autoSize) RefitAutoSize(d.id);
            }
            Layout();
            const auto* suggested = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY:
            KillTimer(hwnd_, kTimerId);
            timerOn_ = false;
            if (quitOnDestroy_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            HWND self = hwnd_;
            SetWindowLongPtrW(self, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            return DefWindowProcW(self, msg, wp, lp);
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Win32Form::OnSpot(Control c, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(hwnd, &ps);
            // The child's part of the scene, in the window's coordinates.
            POINT origin{0, 0};
            MapWindowPoints(hwnd, hwnd_, &origin, 1);
            RECT area = ps.rcPaint;
            OffsetRect(&area, origin.x, origin.y);
            {
                Buffer buffer(dc, ps.rcPaint);
                SetViewportOrgEx(buffer.Dc(), -area.left, -area.top, nullptr);
                PaintScene(buffer.Dc(), area);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_MOUSEMOVE: {
            if (!FreshMove(hwnd, lp) || !events_) return 0;
            RECT client{};
            GetClientRect(hwnd, &client);
            const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (!PtInRect(&client, p)) return 0;  // a move while another spot holds the press
            if (c == Control::imgLangENG) events_->imgLangENG_MouseMove();
            if (c == Control::imgLangHUN) events_->imgLangHUN_MouseMove();
            if (c == Control::lblHomepage) events_->lblHomepage_MouseMove();
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (c == Control::imgLangENG_hl || c == Control::imgLangHUN_hl ||
                c == Control::lblHomepage) {
                pressed_ = c;
                SetCapture(hwnd);
            }
            return 0;
        case WM_LBUTTONUP: {
            const Control pressed = pressed_;
            pressed_ = Control::frmMain;
            if (GetCapture() == hwnd) ReleaseCapture();
            RECT client{};
            GetClientRect(hwnd, &client);
            // A click is a press and a release on the same control.
            const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (pressed == c && PtInRect(&client, p)) Clicked(c);
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = Control::frmMain;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Win32Form::FreshMove(HWND hwnd, LPARAM lp) {
    // The system repeats a move where the pointer already is (when a window under
    // it appears or goes); only a real move is an event.
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    MapWindowPoints(hwnd, nullptr, &p, 1);
    const bool fresh = hwnd != lastMoveWindow_ || p.x != lastMove_.x || p.y != lastMove_.y;
    lastMoveWindow_ = hwnd;
    lastMove_ = p;
    return fresh;
}

void Win32Form::Clicked(Control c) {
    if (!events_) return;
    if (c == Control::imgLangENG_hl) events_->imgLangENG_hl_Click();
    if (c == Control::imgLangHUN_hl) events_->imgLangHUN_hl_Click();
    if (c == Control::lblHomepage) events_->lblHomepage_Click();
}

LRESULT Win32Form::OnField(Control c, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CHAR: {
            // The key filter sees every typed character first; 0 discards it. Ctrl+V
            // and the other shortcuts arrive here as control characters.
            std::uint16_t key = static_cast<std::uint16_t>(wp);
            if (events_) {
                if (c == Control::txtW) events_->txtW_KeyPress(key);
                if (c == Control::txtH) events_->txtH_KeyPress(key);
            }
            if (key == 0) return 0;
            // A full field refuses the character itself: Wine's edit control would
            // still report a change that did not happen.
            if (key != VK_BACK && Room(hwnd) <= 0) return 0;
            return DefSubclassProc(hwnd, msg, key, lp);
        }
        case WM_PASTE:
            PasteInto(c);
            return 0;
        case WM_GETDLGCODE: {
            // Enter and Escape are typed characters here, for the key filter to refuse,
            // not dialog keys.
            LRESULT code = DefSubclassProc(hwnd, msg, wp, lp);
            const auto* m = reinterpret_cast<const MSG*>(lp);
            if (m != nullptr && m->message == WM_KEYDOWN &&
                (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE)) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void Win32Form::PasteInto(Control field) {
    HWND edit = Child(field);
    std::wstring clip;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT) && OpenClipboard(edit)) {
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
                // Bounded by the block's size: another program may leave it unterminated.
                clip.assign(p, wcsnlen(p, GlobalSize(h) / sizeof(wchar_t)));
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
    }
    const std::wstring fitted(FitPaste(clip, Room(edit)));
    if (fitted.empty()) return;
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fitted.c_str()));
}

}  // namespace aspect::window
