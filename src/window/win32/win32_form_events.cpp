#include "win32_form.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

#include "dpi.h"
#include "text.h"
#include "win32_form_detail.h"
#include "window/events.h"

// The window procedures: paints, pointer, keys, the timer and the fields' own messages.
namespace aspect::window {

using namespace win32_detail;  // the source files' shared constants and helpers

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
            // The child windows paint themselves. The main window leaves them out
            // itself rather than through WS_CLIPCHILDREN, which would make showing
            // the window erase every child before the window's own first paint.
            for (const State& s : state_) {
                if (s.hwnd != nullptr && s.visible) {
                    ExcludeClipRect(dc, s.placed.left, s.placed.top, s.placed.right,
                                    s.placed.bottom);
                }
            }
            // In bands, each reaching the screen whole: an off-screen bitmap of the
            // whole window would, at the first paint, add a second window's worth
            // of memory.
            for (LONG top = ps.rcPaint.top; top < ps.rcPaint.bottom; top += kPaintBand) {
                const RECT band{ps.rcPaint.left, top, ps.rcPaint.right,
                                std::min<LONG>(top + kPaintBand, ps.rcPaint.bottom)};
                Buffer buffer(dc, band);
                SetViewportOrgEx(buffer.Dc(), -band.left, -band.top, nullptr);
                // Once the labels and pictures are child windows they paint their own
                // part; drawn here they would only be clipped away.
                PaintScene(buffer.Dc(), band, !complete_);
            }
            EndPaint(hwnd_, &ps);
            firstPaint_.Painted(hwnd_);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (FreshMove(hwnd_, lp)) PointerMoved(events_, Control::frmMain);
            return 0;
        case WM_TIMER:
            if (wp == kTimerId && timerOn_ && events_) events_->tmrLang_Timer();
            return 0;
        case WM_COMMAND: {
            const Control c = ControlOf(reinterpret_cast<HWND>(lp));
            if (HIWORD(wp) == EN_CHANGE) TextChanged(events_, c);
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
            } else if (focus_ != nullptr && complete_) {
                SetFocus(focus_);
            }
            return 0;
        case WM_SETFOCUS:
            // Show() gives the field its focus once the window has been painted.
            if (focus_ != nullptr && complete_) SetFocus(focus_);
            return 0;
        case WM_GETMINMAXINFO: {
            // A fixed size, even where it is larger than a small screen.
            auto* limits = reinterpret_cast<MINMAXINFO*>(lp);
            limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, outer_.cx);
            limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, outer_.cy);
            return 0;
        }
        case WM_DPICHANGED: {
            if (!UsableDpi(HIWORD(wp))) return 0;
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
            PointerMoved(events_, c);
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (TakesClicks(c)) {
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
            const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ButtonReleased(events_, pressed, c, PtInRect(&client, p) != FALSE);
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

namespace {

// The edit control's undo, with the user's limit lifted for it alone: the
// control honours the limit and would cut a program's longer text into one the
// field never showed.
LRESULT UndoUncut(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    const LRESULT result = DefSubclassProc(edit, msg, wp, lp);
    SendMessageW(edit, EM_LIMITTEXT, kUserTextLimit, 0);
    return result;
}

}  // namespace

LRESULT Win32Form::OnField(Control c, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CHAR: {
            // The key filter sees every typed character first; 0 discards it. Ctrl+V
            // and the other shortcuts arrive here as control characters.
            std::uint16_t key = static_cast<std::uint16_t>(wp);
            // A full field refuses the character itself: Wine's edit control would
            // still report a change that did not happen.
            const auto length = static_cast<std::size_t>(GetWindowTextLengthW(hwnd));
            if (KeyPressed(events_, c, key, length, Selected(hwnd)) != KeyOutcome::Typed) return 0;
            return DefSubclassProc(hwnd, msg, key, lp);
        }
        case WM_UNICHAR:
            // Another program's characters, a code point at a time: each UTF-16
            // unit goes the way of a typed one.
            if (wp == UNICODE_NOCHAR) return TRUE;
            for (const wchar_t unit : Utf16Of(static_cast<char32_t>(wp))) {
                OnField(c, hwnd, WM_CHAR, unit, lp);
            }
            return FALSE;
        case WM_IME_CHAR:  // the edit control would insert it without a WM_CHAR
            return OnField(c, hwnd, WM_CHAR, wp, lp);
        case WM_UNDO:
        case EM_UNDO:
            return UndoUncut(hwnd, msg, wp, lp);
        case WM_SYSKEYDOWN:  // Alt+Backspace is the edit control's own undo
            if (wp == VK_BACK && (lp & (1 << 29)) != 0) return UndoUncut(hwnd, WM_UNDO, 0, 0);
            break;
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
    const std::string pasted = Narrow(clip);
    const auto length = static_cast<std::size_t>(GetWindowTextLengthW(edit));
    const std::wstring fitted = Widen(FitPaste(pasted, RoomLeft(length, Selected(edit))));
    if (fitted.empty()) return;
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fitted.c_str()));
}

}  // namespace aspect::window
