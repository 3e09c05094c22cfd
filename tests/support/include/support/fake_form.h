#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/design.h"
#include "window/form_port.h"

namespace aspect::testing_support {

// A window held in memory, starting from the design. Like the real one, a
// field write raises the field's change event at once, nested in the writer.
class FakeForm final : public window::FormPort {
public:
    struct ControlState {
        std::string caption;
        std::string accessibleName;
        window::Colour fore = window::kButtonText;
        bool underline = false;
        bool visible = true;
        double left = 0, top = 0, width = 0, height = 0;
        std::int16_t value = 0;
        int foreWrites = 0;  // how often the colour was set
    };

    FakeForm() {
        for (const window::ControlDesign& d : window::Design()) {
            ControlState& s = At(d.id);
            s.caption = std::string(d.text);
            s.fore = d.fore;
            s.visible = d.visible;
            s.left = d.left;
            s.top = d.top;
            s.width = d.width;
            s.height = d.height;
        }
        At(window::Control::frmMain).caption = std::string(window::kDesignCaption);
    }

    void Bind(window::FormEvents& events) { events_ = &events; }

    ControlState& At(window::Control c) { return controls_[static_cast<std::size_t>(c)]; }
    const ControlState& At(window::Control c) const {
        return controls_[static_cast<std::size_t>(c)];
    }

    // What the user does: edits a field's text, which raises its change event.
    void UserSetsText(window::Control field, std::string_view text) { SetText(field, text); }

    // FormPort
    void SetCaption(window::Control c, std::string_view caption) override {
        ++writes;
        At(c).caption = std::string(caption);
    }
    std::string Caption(window::Control c) const override { return At(c).caption; }
    std::string Text(window::Control field) const override { return At(field).caption; }
    void SetText(window::Control field, std::string_view text) override {
        At(field).caption = std::string(text);
        ++textWrites;
        ++writes;
        if (!events_) return;
        if (field == window::Control::txtW) events_->txtW_Change();
        if (field == window::Control::txtH) events_->txtH_Change();
    }
    void SetAccessibleName(window::Control c, std::string_view name) override {
        ++writes;
        At(c).accessibleName = std::string(name);
    }
    void SetForeColor(window::Control c, window::Colour colour) override {
        ++writes;
        At(c).fore = colour;
        ++At(c).foreWrites;
    }
    void SetFontUnderline(window::Control c, bool underline) override {
        ++writes;
        At(c).underline = underline;
    }
    std::int16_t Value(window::Control c) const override { return At(c).value; }
    double Left(window::Control c) const override { return At(c).left; }
    double Top(window::Control c) const override { return At(c).top; }
    double Width(window::Control c) const override { return At(c).width; }
    double Height(window::Control c) const override { return At(c).height; }
    void SetLeft(window::Control c, double v) override {
        At(c).left = v;
        ++writes;
    }
    void SetTop(window::Control c, double v) override {
        At(c).top = v;
        ++writes;
    }
    void SetWidth(window::Control c, double v) override {
        At(c).width = v;
        ++writes;
    }
    void SetHeight(window::Control c, double v) override {
        At(c).height = v;
        ++writes;
    }
    void SetVisible(window::Control c, bool v) override {
        At(c).visible = v;
        ++writes;
    }
    double ScaleWidth() const override { return scaleWidth; }
    window::OuterBounds WindowBounds() const override { return bounds; }
    window::ScreenPoint CursorPos() const override { return cursor; }
    void SetTimerEnabled(window::Control, bool enabled) override {
        ++writes;
        if (enabled && !timerEnabled) ++timerStarts;  // a fresh interval
        timerEnabled = enabled;
    }
    void OpenAddress(std::string_view address) override { opened.emplace_back(address); }

    double scaleWidth = window::kClientWidth;
    window::OuterBounds bounds{1500, 1500, 6135, 6615};  // twips
    window::ScreenPoint cursor{0, 0};                     // pixels
    bool timerEnabled = false;
    int timerStarts = 0;
    int textWrites = 0;
    int writes = 0;  // every property write of any control
    std::vector<std::string> opened;

private:
    std::array<ControlState, 25> controls_{};
    window::FormEvents* events_ = nullptr;
};

}  // namespace aspect::testing_support
