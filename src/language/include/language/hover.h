#pragma once

#include <cstdint>

#include "port/form_port.h"

namespace aspect::language {

inline constexpr port::Colour kLinkNormal = 0xE65C00;
inline constexpr port::Colour kLinkHover = 0xFF7C24;

// Which spot is highlighted under the pointer.
enum HoverSpot : std::int16_t {
    kHoverNone = 0,
    kHoverEnglish = 1,
    kHoverHungarian = 2,
    kHoverLink = 3,
};

// One highlight at a time over the flags and the link; a timer clears it
// once the pointer has left the window, which sends no move events then.
// Afterwards HoverState is 0 exactly when nothing is highlighted and the timer is off.
class Hover {
  public:
    explicit Hover(port::FormPort& form) : form_(form) {}

    void ResetHover();
    void imgLangENG_MouseMove() { Highlight(kHoverEnglish); }
    void imgLangHUN_MouseMove() { Highlight(kHoverHungarian); }
    void lblHomepage_MouseMove() { Highlight(kHoverLink); }
    void Form_MouseMove();
    void tmrLang_Timer();

    std::int16_t HoverState() const { return hoverState_; }
    port::ScreenPoint CursorPt() const { return cursorPt_; }

  private:
    void Highlight(HoverSpot spot);

    port::FormPort& form_;
    std::int16_t hoverState_ = kHoverNone;
    port::ScreenPoint cursorPt_{0, 0};
};

}  // namespace aspect::language
