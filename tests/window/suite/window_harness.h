#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "port/form_port.h"
#include "settings/registry_api.h"
#include "support/recording_events.h"
#include "window/frm_main.h"

// What the real-window suite needs of one window: the window started the way
// the program starts it, a user in front of it with real input, and what the
// toolkit shows, read through the toolkit rather than the port. Each window
// links the suite with its own definition of MakeWindowHarness.
namespace aspect::testing_support {

using port::Control;

using Rgb = std::uint32_t;  // 0xRRGGBB

// The client area's pixels, row by row from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<Rgb> rgb;
    Rgb At(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
};

// Where a control's own widget or window lies in the client area; right and bottom excluded.
struct Placement {
    int left, top, right, bottom;
    bool operator==(const Placement&) const = default;
};

struct Frame {
    int clientWidth, clientHeight;
    bool resizable, maximizeBox, minimizeBox, closeBox;
};

enum class Key { Tab, Home, Delete };

class WindowHarness {
  public:
    virtual ~WindowHarness() = default;

    // Starts the window on `store`, closing the one started before.
    virtual void Start(settings::RegistryApi& store) = 0;
    virtual port::FormPort& Form() = 0;
    virtual const window::FrmMain& Behaviour() = 0;
    // The events that reached the behaviour since the start or the last Clear.
    virtual RecordingEvents& Events() = 0;

    // Types each character at the field's caret: '\b' is Backspace, '\r' Return,
    // '\x1b' Escape, other codes below 0x20 Ctrl with the letter.
    virtual void Type(Control field, std::string_view keys) = 0;
    // A key to the control with the focus.
    virtual void Press(Key key) = 0;
    // Puts `text` on the clipboard and pastes it at the field's caret.
    virtual void Paste(Control field, std::string_view text) = 0;
    virtual void SelectAll(Control field) = 0;
    virtual void CaretToEnd(Control field) = 0;
    // The real pointer, at points in pixels from the client area's top-left corner.
    virtual void MovePointer(int x, int y) = 0;
    // Outside the window, away from it.
    virtual void PointerAway() = 0;
    virtual void Click(int x, int y, bool left = true) = 0;  // moves there first
    // A left press and release straight to the control, wherever the pointer is.
    virtual void PressAndRelease(Control c) = 0;
    // Lets `milliseconds` pass, delivering whatever falls due meanwhile.
    virtual void Wait(int milliseconds) = 0;

    virtual Frame Window() = 0;
    // A caption or a field's text as the toolkit shows it (UTF-8).
    virtual std::string Shown(Control c) = 0;
    // For controls with a widget or window of their own.
    virtual bool Visible(Control c) = 0;
    virtual Placement Placed(Control c) = 0;
    virtual Control Focus() = 0;
    virtual bool Checked() = 0;
    virtual bool TimerRunning() = 0;
    virtual Rgb TextColour(Control field) = 0;
    virtual Rgb Resolve(port::Colour colour) = 0;
    virtual Pixels Grab() = 0;
    // The addresses the window has asked the desktop to open.
    virtual std::vector<std::string> Opened() = 0;
    // The user's own settings store (the settings file, the registry), opened
    // anew at each call and empty at the first; null where the tests must leave
    // the user's settings alone.
    virtual settings::RegistryApi* UserStore() = 0;
};

// The window under test; defined once in each suite executable.
std::unique_ptr<WindowHarness> MakeWindowHarness();

}  // namespace aspect::testing_support
