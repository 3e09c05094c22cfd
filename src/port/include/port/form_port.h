#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The window as the behaviour sees it: plain property reads and writes on
// named controls, each taking effect at once. A toolkit adapter implements it.
namespace aspect::port {

// Every control of the main window, front-most first.
enum class Control {
    tmrLang,
    chLock,
    txtW,
    txtH,
    imgLangHUN_hl,
    imgLangENG_hl,
    imgLangHUN,
    imgLangENG,
    lblHomepage,
    Image2,
    Label5,
    lblTitle,
    Image3,
    Line1,
    lblVersion,
    Label4,
    shpScr,
    shp16_10,
    shp16_9,
    shp4_3,
    Label1,
    lblResult,
    Label3,
    Shape1,
    frmMain,  // the window itself
};

// 0x00BBGGRR for a direct colour; with the high bit set, a system colour index.
using Colour = std::uint32_t;
inline constexpr Colour kSystemColour = 0x80000000u;
inline constexpr Colour kWindowBackground = kSystemColour | 5;
inline constexpr Colour kWindowText = kSystemColour | 8;
inline constexpr Colour kButtonFace = kSystemColour | 15;
inline constexpr Colour kButtonShadow = kSystemColour | 16;
inline constexpr Colour kButtonText = kSystemColour | 18;

struct ScreenPoint {
    std::int32_t x;
    std::int32_t y;
};

// The window's outer rectangle on the screen, frame and title bar included.
struct OuterBounds {
    double left;
    double top;
    double width;
    double height;
};

// Twips per pixel of the window's own coordinates.
inline constexpr std::int32_t kTwipsPerPixel = 15;

class FormPort {
  public:
    virtual ~FormPort() = default;

    // Caption of the window, a label or the check box (UTF-8).
    virtual void SetCaption(Control control, std::string_view caption) = 0;
    virtual std::string Caption(Control control) const = 0;

    // Text of a dimension field. A write raises the field's change event at
    // once and is not cut to the user's length limit.
    virtual std::string Text(Control field) const = 0;
    virtual void SetText(Control field, std::string_view text) = 0;

    // What screen readers call a control (UTF-8). A label that shows a value
    // keeps its text readable: as what is read, with this as its description,
    // or, where readers know values (MSAA), as its value under this name.
    virtual void SetAccessibleName(Control control, std::string_view name) = 0;
    // Tells screen readers that what a control says, or what it is called, has
    // changed since they last heard of it.
    virtual void Announce(Control control) = 0;

    virtual void SetForeColor(Control control, Colour colour) = 0;
    virtual void SetFontUnderline(Control control, bool underline) = 0;

    // The check box's state: 0 unchecked, 1 checked.
    virtual std::int16_t Value(Control checkBox) const = 0;

    // Position and size inside the window, in pixels.
    virtual double Left(Control control) const = 0;
    virtual double Top(Control control) const = 0;
    virtual double Width(Control control) const = 0;
    virtual double Height(Control control) const = 0;
    virtual void SetLeft(Control control, double left) = 0;
    virtual void SetTop(Control control, double top) = 0;
    virtual void SetWidth(Control control, double width) = 0;
    virtual void SetHeight(Control control, double height) = 0;
    virtual void SetVisible(Control control, bool visible) = 0;

    // Inner width of the window, in pixels.
    virtual double ScaleWidth() const = 0;
    // The window's outer bounds on the screen, in twips.
    virtual OuterBounds WindowBounds() const = 0;
    // The pointer's position on the screen, in the pixels the bounds derive from.
    virtual ScreenPoint CursorPos() const = 0;

    // Enabling a disabled timer starts a fresh interval.
    virtual void SetTimerEnabled(Control timer, bool enabled) = 0;

    // The language of the texts the window toolkit shows on its own, such as a
    // field's context menu: 0 Hungarian, any other value English. A toolkit
    // whose own texts follow the system's language may leave them so.
    virtual void SetToolkitLanguage(std::int32_t language) = 0;

    // Asks the desktop to open an address with its default action; returns at
    // once, without reporting whether it worked.
    virtual void OpenAddress(std::string_view address) = 0;
};

// The window's events with behaviour; the adapter delivers them one at a time.
class FormEvents {
  public:
    virtual ~FormEvents() = default;
    virtual void Form_Load() = 0;
    virtual void Form_MouseMove() = 0;
    // `keyAscii` is the typed character's code; setting it to 0 discards it.
    virtual void txtW_KeyPress(std::uint16_t& keyAscii) = 0;
    virtual void txtH_KeyPress(std::uint16_t& keyAscii) = 0;
    virtual void txtW_Change() = 0;
    virtual void txtH_Change() = 0;
    virtual void imgLangENG_MouseMove() = 0;
    virtual void imgLangHUN_MouseMove() = 0;
    virtual void lblHomepage_MouseMove() = 0;
    virtual void imgLangENG_hl_Click() = 0;
    virtual void imgLangHUN_hl_Click() = 0;
    virtual void lblHomepage_Click() = 0;
    virtual void tmrLang_Timer() = 0;
};

}  // namespace aspect::port
