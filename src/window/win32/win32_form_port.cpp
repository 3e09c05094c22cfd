#include "win32_form.h"

#include <algorithm>
#include <cmath>

#include "text.h"
#include "win32_form_detail.h"
#include "window/events.h"

// The port's reads and writes on the native controls.
namespace aspect::window {

using namespace win32_detail;  // the source files' shared constants and helpers

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

void Win32Form::SetGeometry(Control control, int State::*field, double value) {
    Invalidate(control);
    At(control).*field = Whole(value);
    Place(control);
    Invalidate(control);
}
void Win32Form::SetLeft(Control control, double left) { SetGeometry(control, &State::left, left); }
void Win32Form::SetTop(Control control, double top) { SetGeometry(control, &State::top, top); }
void Win32Form::SetWidth(Control control, double width) {
    SetGeometry(control, &State::width, width);
}
void Win32Form::SetHeight(Control control, double height) {
    SetGeometry(control, &State::height, height);
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
    return BoundsInTwips(r.left, r.top, r.right - r.left, r.bottom - r.top);
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
    addressOpened_ = true;
    shellOpen_(hwnd_, nullptr, file.c_str(), nullptr, "C:\\", SW_HIDE);
}

}  // namespace aspect::window
