#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/design.h"
#include "port/form_port.h"

namespace aspect::testing_support {

// A window held in memory, starting from the design. Like the real one, a
// field write raises the field's change event at once, nested in the writer.
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
        At(port::Control::frmMain).caption = std::string(window::kDesignCaption);
    }

    void Bind(port::FormEvents& events) { events_ = &events; }

    ControlState& At(port::Control c) { return controls_[static_cast<std::size_t>(c)]; }
    const ControlState& At(port::Control c) const {
        return controls_[static_cast<std::size_t>(c)];
    }

    // What the user does: edits a field's text, which raises its change event.
    void UserSetsText(port::Control field, std::string_view text) { SetText(field, text); }

    // FormPort
    void SetCaption(port::Control c, std::string_view caption) override {
        ++writes;
        At(c).caption = std::string(caption);
    }
    std::string Caption(port::Control c) const override { return At(c).caption; }
    std::string Text(port::Control field) const override { return At(field).caption; }
    void SetText(port::Control field, std::string_view text) override {
        At(field).caption = std::string(text);
        ++textWrites;
        ++writes;
        if (!events_) return;
        if (field == port::Control::txtW) events_->txtW_Change();
        if (field == port::Control::txtH) events_->txtH_Change();
    }
    void SetAccessibleName(port::Control c, std::string_view name) override {
        ++writes;
        At(c).accessibleName = std::string(name);
    }
    void SetForeColor(port::Control c, port::Colour colour) override {
        ++writes;
        At(c).fore = colour;
        ++At(c).foreWrites;
    }
    void SetFontUnderline(port::Control c, bool underline) override {
        ++writes;
        At(c).underline = underline;
    }
    std::int16_t Value(port::Control c) const override { return At(c).value; }
    double Left(port::Control c) const override { return At(c).left; }
    double Top(port::Control c) const override { return At(c).top; }
    double Width(port::Control c) const override { return At(c).width; }
    double Height(port::Control c) const override { return At(c).height; }
    void SetLeft(port::Control c, double v) override {
        At(c).left = v;
        ++writes;
    }
    void SetTop(port::Control c, double v) override {
        At(c).top = v;
        ++writes;
    }
    void SetWidth(port::Control c, double v) override {
        At(c).width = v;
        ++writes;
    }
    void SetHeight(port::Control c, double v) override {
        At(c).height = v;
        ++writes;
    }
    void SetVisible(port::Control c, bool v) override {
        At(c).visible = v;
        ++writes;
    }
    double ScaleWidth() const override { return scaleWidth; }
    port::OuterBounds WindowBounds() const override { return bounds; }
    port::ScreenPoint CursorPos() const override { return cursor; }
    void SetTimerEnabled(port::Control, bool enabled) override {
        ++writes;
        if (enabled && !timerEnabled) ++timerStarts;  // a fresh interval
        timerEnabled = enabled;
    }
    void OpenAddress(std::string_view address) override { opened.emplace_back(address); }

    double scaleWidth = window::kClientWidth;
    port::OuterBounds bounds{1500, 1500, 6135, 6615};  // twips
    port::ScreenPoint cursor{0, 0};                     // pixels
    bool timerEnabled = false;
    int timerStarts = 0;
    int textWrites = 0;
    int writes = 0;  // every property write of any control
    std::vector<std::string> opened;

private:
    std::array<ControlState, 25> controls_{};
    port::FormEvents* events_ = nullptr;
};

}  // namespace aspect::testing_support
