#include "support/fake_form.h"

#include <cmath>

#include "window/events.h"

namespace aspect::testing_support {

namespace {

using port::Control;
using window::Kind;

// Characters, not bytes, of UTF-8 text.
std::size_t Length(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The first `count` characters of UTF-8 text.
std::string_view Head(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count-- == 0) break;
    }
    return text.substr(0, i);
}

bool TakesPointer(Kind k) {
    return k == Kind::Label || k == Kind::Picture || k == Kind::TextField || k == Kind::CheckBox;
}

}  // namespace

FakeForm::FakeForm() {
    for (const window::ControlDesign& d : window::Design()) {
        ControlState& s = At(d.id);
        s.caption = std::string(d.text);
        s.fore = d.fore;
        s.visible = d.visible;
        s.left = d.left;
        s.top = d.top;
        s.width = d.width;
        s.height = d.height;
        if (d.autoSize) Refit(d.id);
    }
    At(Control::frmMain).caption = std::string(window::kDesignCaption);
}

void FakeForm::Change(Control field, std::string_view text) {
    if (At(field).caption == text) return;
    At(field).caption = std::string(text);
    window::TextChanged(events_, field);
}

void FakeForm::UserTypes(Control field, std::string_view keys, bool overAll) {
    for (const char typed : keys) {
        auto key = static_cast<std::uint16_t>(static_cast<unsigned char>(typed));
        const std::size_t length = window::Utf16Length(At(field).caption);
        if (window::KeyPressed(events_, field, key, length, overAll ? length : 0) !=
            window::KeyOutcome::Typed) {
            continue;
        }
        const std::string text = overAll ? std::string() : At(field).caption;
        if (key == '\b') {
            if (overAll) Change(field, "");
            if (!text.empty()) Change(field, Head(text, Length(text) - 1));
            overAll = false;
            continue;
        }
        overAll = false;
        Change(field, text + static_cast<char>(key));
    }
}

void FakeForm::UserPastes(Control field, std::string_view text, bool atStart) {
    const std::string& now = At(field).caption;
    const std::string fitted(window::FitPaste(text, window::RoomLeft(window::Utf16Length(now), 0)));
    Change(field, atStart ? fitted + now : now + fitted);
}

Control FakeForm::HitTest(int x, int y) const {
    auto hit = [&](const window::ControlDesign& d) {
        const ControlState& s = At(d.id);
        return TakesPointer(d.kind) && s.visible && x >= s.left && x < s.left + s.width &&
               y >= s.top && y < s.top + s.height;
    };
    // The fields and the check box lie in front of everything else.
    for (const window::ControlDesign& d : window::Design()) {
        if ((d.kind == Kind::TextField || d.kind == Kind::CheckBox) && hit(d)) return d.id;
    }
    for (const window::ControlDesign& d : window::Design()) {
        if (hit(d)) return d.id;
    }
    return Control::frmMain;
}

void FakeForm::UserMovesPointer(int x, int y) {
    const int frame = static_cast<int>(bounds.width) / port::kTwipsPerPixel - window::kClientWidth;
    const int title =
        static_cast<int>(bounds.height) / port::kTwipsPerPixel - window::kClientHeight - frame / 2;
    cursor = {static_cast<std::int32_t>(bounds.left) / port::kTwipsPerPixel + frame / 2 + x,
              static_cast<std::int32_t>(bounds.top) / port::kTwipsPerPixel + title + y};
    window::PointerMoved(events_, HitTest(x, y));
}

void FakeForm::UserClicks(int x, int y) {
    const Control c = HitTest(x, y);
    if (c == Control::chLock) At(c).value = At(c).value == 0 ? 1 : 0;
    if (window::TakesClicks(c)) window::ButtonReleased(events_, c, c, true);
}

void FakeForm::Advance(int milliseconds) {
    const double end = now_ + milliseconds;
    while (timerEnabled && timerDue_ <= end) {
        now_ = timerDue_;
        timerDue_ += window::kTimerInterval;
        if (events_) events_->tmrLang_Timer();
    }
    now_ = end;
}

void FakeForm::Refit(Control label) {
    // A stand-in for font metrics: every character half as wide as the font is high.
    const window::ControlDesign& d = window::DesignOf(label);
    const double pixels = std::round(d.font.points * 96 / 72);
    ControlState& s = At(label);
    const auto width =
        static_cast<int>(std::round(static_cast<double>(Length(s.caption)) * pixels / 2));
    const auto height = static_cast<int>(std::round(pixels * 1.15));
    const window::Box b = window::Refit({static_cast<int>(s.left), static_cast<int>(s.top),
                                         static_cast<int>(s.width), static_cast<int>(s.height)},
                                        d.align, width, height);
    s.left = b.left;
    s.width = b.width;
    s.height = b.height;
}

std::string FakeForm::Caption(Control c) const { return At(c).caption; }
std::string FakeForm::Text(Control field) const { return At(field).caption; }
std::int16_t FakeForm::Value(Control c) const { return At(c).value; }
double FakeForm::Left(Control c) const { return At(c).left; }
double FakeForm::Top(Control c) const { return At(c).top; }
double FakeForm::Width(Control c) const { return At(c).width; }
double FakeForm::Height(Control c) const { return At(c).height; }
double FakeForm::ScaleWidth() const { return scaleWidth; }
port::OuterBounds FakeForm::WindowBounds() const { return bounds; }
port::ScreenPoint FakeForm::CursorPos() const { return cursor; }
void FakeForm::SetToolkitLanguage(std::int32_t language) { toolkitLanguage = language; }
void FakeForm::OpenAddress(std::string_view address) { opened.emplace_back(address); }

void FakeForm::SetCaption(Control c, std::string_view caption) {
    ++writes;
    At(c).caption = std::string(caption);
    if (c != Control::frmMain && window::DesignOf(c).autoSize) Refit(c);
}

void FakeForm::SetText(Control field, std::string_view text) {
    ++textWrites;
    ++writes;
    Change(field, text);
}

void FakeForm::SetAccessibleName(Control c, std::string_view name) {
    ++writes;
    At(c).accessibleName = std::string(name);
}

void FakeForm::Announce(Control c) { announced.push_back(c); }

void FakeForm::SetForeColor(Control c, port::Colour colour) {
    ++writes;
    At(c).fore = colour;
    ++At(c).foreWrites;
}

void FakeForm::SetFontUnderline(Control c, bool underline) {
    ++writes;
    At(c).underline = underline;
}

// Positions and sizes are whole pixels, as in the real window.
void FakeForm::Place(double& edge, double value) {
    edge = std::round(value);
    ++writes;
}

void FakeForm::SetLeft(Control c, double v) { Place(At(c).left, v); }
void FakeForm::SetTop(Control c, double v) { Place(At(c).top, v); }
void FakeForm::SetWidth(Control c, double v) { Place(At(c).width, v); }
void FakeForm::SetHeight(Control c, double v) { Place(At(c).height, v); }

void FakeForm::SetVisible(Control c, bool v) {
    At(c).visible = v;
    ++writes;
}

void FakeForm::SetTimerEnabled(Control, bool enabled) {
    ++writes;
    if (enabled && !timerEnabled) {
        ++timerStarts;  // a fresh interval
        timerDue_ = now_ + window::kTimerInterval;
    }
    timerEnabled = enabled;
}

}  // namespace aspect::testing_support
