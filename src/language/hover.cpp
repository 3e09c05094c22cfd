#include "language/hover.h"

namespace aspect::language {

using port::Control;

void Hover::ResetHover() {
    hoverState_ = kHoverNone;
    form_.SetTimerEnabled(Control::tmrLang, false);
    form_.SetVisible(Control::imgLangENG_hl, false);
    form_.SetVisible(Control::imgLangHUN_hl, false);
    form_.SetForeColor(Control::lblHomepage, kLinkNormal);
    form_.SetFontUnderline(Control::lblHomepage, false);
}

void Hover::Highlight(HoverSpot spot) {
    // Steady movement over the lit spot writes nothing.
    if (hoverState_ == spot) return;
    ResetHover();
    hoverState_ = spot;
    switch (spot) {
        case kHoverEnglish:
            form_.SetVisible(Control::imgLangENG_hl, true);
            break;
        case kHoverHungarian:
            form_.SetVisible(Control::imgLangHUN_hl, true);
            break;
        case kHoverLink:
            form_.SetForeColor(Control::lblHomepage, kLinkHover);
            form_.SetFontUnderline(Control::lblHomepage, true);
            break;
        case kHoverNone:
            break;
    }
    form_.SetTimerEnabled(Control::tmrLang, true);
}

void Hover::Form_MouseMove() {
    if (hoverState_ != kHoverNone) ResetHover();
}

void Hover::tmrLang_Timer() {
    if (hoverState_ <= kHoverNone) return;
    const port::ScreenPoint pixels = form_.CursorPos();
    // 32-bit products cannot overflow for any real screen position.
    cursorPt_.x = pixels.x * port::kTwipsPerPixel;
    cursorPt_.y = pixels.y * port::kTwipsPerPixel;
    const port::OuterBounds b = form_.WindowBounds();
    const double x = cursorPt_.x;
    const double y = cursorPt_.y;
    // Left and top edges belong to the window, right and bottom do not.
    const bool outside = b.left > x || x >= b.left + b.width || b.top > y || y >= b.top + b.height;
    if (outside) ResetHover();
}

}  // namespace aspect::language
