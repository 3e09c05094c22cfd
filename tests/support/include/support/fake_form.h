#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "port/form_port.h"
#include "window/design.h"

namespace aspect::testing_support {

// A window held in memory, starting from the design, that keeps the port's
// promises as the real window does: a field write raises the field's change
// event at once, nested in the writer, when the text changes; positions and
// sizes are whole pixels; auto-size labels refit to their captions; pointer
// events go to the visible control in front; the timer runs on a clock of its own.
class FakeForm final : public port::FormPort {
  public:
    struct ControlState {
        std::string caption;
        std::string accessibleName;
        port::Colour fore = port::kButtonText;
        bool underline = false;
        bool visible = true;
        double left = 0, top = 0, width = 0, height = 0;
        std::int16_t value = 0;
        int foreWrites = 0;  // how often the colour was set
    };

    FakeForm();

    void Bind(port::FormEvents& events) { events_ = &events; }

    ControlState& At(port::Control c) { return controls_[static_cast<std::size_t>(c)]; }
    const ControlState& At(port::Control c) const { return controls_[static_cast<std::size_t>(c)]; }

    // What the user does. Edits a field's text in one step, as a cut or an undo can.
    void UserSetsText(port::Control field, std::string_view text) { Change(field, text); }
    // Types each character (ASCII; '\b' is Backspace) at the end, each through its key event;
    // with `overAll`, the first one kept replaces the whole text.
    void UserTypes(port::Control field, std::string_view keys, bool overAll = false);
    // Pastes at the end, or at the start: what fits within the user's limit goes in.
    void UserPastes(port::Control field, std::string_view text, bool atStart);
    // Points and clicks, in client pixels.
    void UserMovesPointer(int x, int y);
    void UserClicks(int x, int y);
    // Lets time pass on the fake's clock, delivering the timer's ticks as they fall due.
    void Advance(int milliseconds);
    double Now() const { return now_; }

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

    double scaleWidth = window::kClientWidth;
    port::OuterBounds bounds{1500, 1500, 6135, 6615};  // twips: a 4-pixel frame, 28-pixel title
    port::ScreenPoint cursor{0, 0};                    // pixels
    bool timerEnabled = false;
    int timerStarts = 0;
    std::int32_t toolkitLanguage = -1;  // none set yet
    int textWrites = 0;
    int writes = 0;  // every property write of any control
    std::vector<std::string> opened;
    std::vector<port::Control> announced;  // every Announce, in order

  private:
    // Sets a field's text; the change event fires when it differs.
    void Change(port::Control field, std::string_view text);
    void Refit(port::Control label);
    void Place(double& edge, double value);
    // The visible control in front that takes pointer events at a point, or frmMain.
    port::Control HitTest(int x, int y) const;

    std::array<ControlState, 25> controls_{};
    port::FormEvents* events_ = nullptr;
    double now_ = 0;       // milliseconds
    double timerDue_ = 0;  // when the running timer next ticks
};

}  // namespace aspect::testing_support
