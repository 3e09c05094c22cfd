#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>

#include <windows.h>

#include "first_paint.h"
#include "port/form_port.h"
#include "window/design.h"

namespace aspect::window {

// The main window on the Win32 API. Text fields and the check box are the
// system's own controls; labels and pictures are child windows that paint
// their part of one scene, so they take the pointer and carry their text for
// screen readers; rectangles and lines are only painted and take nothing.
// Every position the port sees is in design pixels (96 dots per inch); the
// window lays itself out in device pixels for its monitor's resolution.
class Win32Form final : public FormPort {
  public:
    explicit Win32Form(HINSTANCE instance);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    // Events go to `events` from now on.
    void Bind(FormEvents& events) { events_ = &events; }

    // The shell function that opens addresses, with ShellExecuteA's signature;
    // tests put a recorder in its place, so they never start a browser.
    using ShellOpen = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    void SetShellOpen(ShellOpen open) { shellOpen_ = open; }

    HWND Handle() const { return hwnd_; }
    // The child window of a control; null for the timer, rectangles and lines.
    HWND Child(Control control) const;
    // Which control a child window is, or frmMain.
    Control ControlOf(HWND child) const;
    // Dots per inch the window is laid out for.
    UINT Dpi() const { return dpi_; }
    // A design pixel length in device pixels; edges map one by one, so
    // neighbouring controls still meet.
    int Device(int designPixels) const;
    // How many device pixels a picture pixel takes: a whole number, so nothing blurs.
    int PictureScale() const;
    bool TimerEnabled() const { return timerOn_; }
    // The name screen readers are given for a control.
    std::wstring AccessibleName(Control control) const;

    // Centres the window on the work area of its monitor.
    void CentreOnScreen();
    void Show(int showCommand);
    // Runs the message loop until the window is closed; returns the exit code.
    int RunMessageLoop();
    // Whether `msg` was a dialog navigation key (Tab) that the window handled.
    bool HandleDialogMessage(MSG& msg) { return IsDialogMessageW(hwnd_, &msg) != 0; }

    // Paints the scene (everything but the system's own controls) with the
    // client area's device origin at (0, 0) of `dc`; without the labels and
    // pictures when `spots` is false.
    void PaintScene(HDC dc, const RECT& clip, bool spots = true) const;

    // FormPort
    void SetCaption(port::Control control, std::string_view caption) override;
    std::string Caption(port::Control control) const override;
    std::string Text(port::Control field) const override;
    void SetText(port::Control field, std::string_view text) override;
    void SetAccessibleName(port::Control control, std::string_view name) override;
    void Announce(port::Control control) override;
    void SetForeColor(port::Control control, port::Colour colour) override;
    void SetFontUnderline(port::Control control, bool underline) override;
    std::int16_t Value(port::Control checkBox) const override;
    double Left(port::Control control) const override;
    double Top(port::Control control) const override;
    double Width(port::Control control) const override;
    double Height(port::Control control) const override;
    void SetLeft(port::Control control, double left) override;
    void SetTop(port::Control control, double top) override;
    void SetWidth(port::Control control, double width) override;
    void SetHeight(port::Control control, double height) override;
    void SetVisible(port::Control control, bool visible) override;
    double ScaleWidth() const override;
    port::OuterBounds WindowBounds() const override;
    port::ScreenPoint CursorPos() const override;
    void SetTimerEnabled(port::Control timer, bool enabled) override;
    void SetToolkitLanguage(std::int32_t language) override;
    void OpenAddress(std::string_view address) override;

    // Maps a colour value to the colour it shows in the current scheme.
    static COLORREF Resolve(Colour colour);

  private:
    struct State {
        int left = 0, top = 0, width = 0, height = 0;  // design pixels
        std::wstring caption;
        std::wstring accessibleName;
        Colour fore = kButtonText;
        bool underline = false;
        bool visible = true;
        HWND hwnd = nullptr;
        RECT placed{};  // where the child window was last put, in device pixels
        std::wstring heardName, heardValue;  // what screen readers were last told
    };
    // The screen readers' view of the window (win32_accessible.cpp) reads it whole.
    friend struct ScreenReaderView;

    static LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SpotProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self);
    LRESULT OnMain(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnSpot(Control c, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnField(Control c, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    State& At(Control c) { return state_[static_cast<std::size_t>(c)]; }
    const State& At(Control c) const { return state_[static_cast<std::size_t>(c)]; }
    // The fields and the check box, which the window needs from the start.
    void MakeControls();
    // The labels' and pictures' windows, made once the window has been painted;
    // from then on the window is complete.
    void MakeSpots();
    HWND MakeChild(Control c, DWORD exStyle, const wchar_t* windowClass, DWORD style);
    // Answers screen readers' requests for the window's and its controls' objects:
    // from the main window and the system's controls, or else from the labels and pictures.
    void ServeScreenReaders(bool spots);
    void Layout();
    void Place(Control c);
    // Sets one of a control's design-pixel edges or sizes, moving and repainting it.
    void SetGeometry(Control c, int State::*field, double value);
    RECT DeviceRect(Control c) const;  // where a control lies, in client device pixels
    void Invalidate(const RECT& designRect);
    void Invalidate(Control c);
    void RefitAutoSize(Control c);
    HFONT Font(const FontDesign& font, bool underline) const;
    void DropFonts();
    HBITMAP Picture(PictureId id) const;
    void DropPictures();
    void PasteInto(Control field);
    bool FreshMove(HWND hwnd, LPARAM lp);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    SIZE outer_{};  // the window's size with frame and title bar, for this resolution
    std::array<State, 25> state_{};
    FormEvents* events_ = nullptr;
    bool timerOn_ = false;
    Control pressed_ = Control::frmMain;  // the control a left press began on
    HWND lastMoveWindow_ = nullptr;       // where the last pointer move went, on the screen
    POINT lastMove_{-1, -1};
    HWND focus_ = nullptr;  // restored when the window is activated again
    ShellOpen shellOpen_;
    bool addressOpened_ = false;  // the link has been followed
    bool quitOnDestroy_ = false;  // only the program's own loop ends with the window
    bool complete_ = false;       // painted once, the labels and pictures have their windows
    mutable std::map<int, HFONT> fonts_;  // by face, size and style, at the current dpi
    mutable std::map<PictureId, HBITMAP> pictures_;
    FirstPaintSignal firstPaint_;
};

// The fields' context menus are the system's, in the system's language.
inline void Win32Form::SetToolkitLanguage(std::int32_t) {}

}  // namespace aspect::window
