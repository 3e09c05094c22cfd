#include "ratio/calculation.h"

#include <string>
#include <string_view>

#include "ratio/arithmetic.h"

namespace aspect::ratio {

using port::Control;

namespace {

constexpr port::Colour kMarkRed = 0x000000FF;
// A result longer than what the user may type is marked.
constexpr std::size_t kUserDigits = 5;
constexpr std::string_view kErrorText = "99999";

// Clears a flag on every way out of a scope.
class GuardRelease {
  public:
    explicit GuardRelease(bool& flag) : flag_(flag) {}
    ~GuardRelease() { flag_ = false; }
    GuardRelease(const GuardRelease&) = delete;
    GuardRelease& operator=(const GuardRelease&) = delete;

  private:
    bool& flag_;
};

}  // namespace

void Calculation::FilterKey(std::uint16_t& keyAscii) {
    // Built afresh each time, compared by exact character code.
    constexpr std::u16string_view allowed = u"0123456789\b";
    if (allowed.find(static_cast<char16_t>(keyAscii)) == std::u16string_view::npos) {
        keyAscii = 0;
    }
}

void Calculation::Dispatch(std::int16_t edited) {
    if (state_.Updating) return;  // our own write into a field
    CalculateRatio(edited);
}

void Calculation::CalculateRatio(std::int16_t edited) {
    form_.SetForeColor(Control::txtW, port::kButtonText);
    form_.SetForeColor(Control::txtH, port::kButtonText);
    // A pasted number beyond 32 bits cannot be read: it counts as an invalid
    // entry, or as a failed conversion when it is the edited field.
    const auto w = ReadField(form_.Text(Control::txtW));
    const auto h = ReadField(form_.Text(Control::txtH));
    state_.ScreenW = w.value_or(0);
    state_.ScreenH = h.value_or(0);
    state_.Updating = true;
    const GuardRelease release(state_.Updating);

    if (form_.Value(Control::chLock) != 0) {
        Locked(edited, edited == 0 ? w.has_value() : h.has_value());
        return;
    }
    if (!w || !h || state_.ScreenW < 1 || state_.ScreenH < 1) {
        state_.RatioW = 0;
        state_.RatioH = 0;
        ShowResult("-");
        form_.SetVisible(Control::shpScr, false);
        return;
    }
    Unlocked();
}

void Calculation::Unlocked() {
    const PreviewFit fit = FitPreview(state_.ScreenW, state_.ScreenH);
    const double frameLeft = form_.Left(Control::shp16_9);
    const double frameTop = form_.Top(Control::shp16_9);
    // The offsets centre the size the shape actually holds.
    if (fit.wide) {
        form_.SetWidth(Control::shpScr, fit.width);
        form_.SetHeight(Control::shpScr, fit.height);
        form_.SetTop(Control::shpScr,
                     frameTop + CentreOffset(kFrameHeight, form_.Height(Control::shpScr)));
        form_.SetLeft(Control::shpScr, frameLeft);
    } else {
        form_.SetHeight(Control::shpScr, fit.height);
        form_.SetWidth(Control::shpScr, fit.width);
        form_.SetTop(Control::shpScr, frameTop);
        form_.SetLeft(Control::shpScr,
                      frameLeft + CentreOffset(kFrameWidth, form_.Width(Control::shpScr)));
    }
    form_.SetVisible(Control::shpScr, true);

    state_.RatioValue = static_cast<double>(state_.ScreenW) / state_.ScreenH;
    const Reduction r = ReduceRatio(state_.ScreenW, state_.ScreenH);
    state_.RatioW = r.ratioW;
    state_.RatioH = r.ratioH;
    state_.TermW = static_cast<std::int32_t>(r.shownW);
    state_.TermH = static_cast<double>(r.shownH);
    ShowResult(ResultCaption(r));
}

void Calculation::ShowResult(std::string_view caption) {
    const bool changed = form_.Caption(Control::lblResult) != caption;
    form_.SetCaption(Control::lblResult, caption);
    if (changed) form_.Announce(Control::lblResult);
}

void Calculation::Locked(std::int16_t edited, bool editedReadable) {
    const bool widthEdited = edited == 0;
    const Control target = widthEdited ? Control::txtH : Control::txtW;
    const auto value =
        editedReadable ? (widthEdited ? LockedConvert(state_.ScreenW, state_.RatioW, state_.RatioH)
                                      : LockedConvert(state_.ScreenH, state_.RatioH, state_.RatioW))
                       : std::nullopt;
    if (!value) {
        form_.SetText(target, kErrorText);
        form_.SetForeColor(target, kMarkRed);
        return;
    }
    (widthEdited ? state_.ScreenH : state_.ScreenW) = *value;
    const std::string text = ToDecimal(*value);
    form_.SetText(target, text);
    if (text.size() > kUserDigits) {
        form_.SetForeColor(target, kMarkRed);
    }
}

}  // namespace aspect::ratio
