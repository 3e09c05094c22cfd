#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "window/design.h"

// What happens between the window toolkit's events and the behaviour's handlers,
// written once for every window: each adapter (and the tests' fake) turns its
// toolkit's events into these calls and does only what they say.
namespace aspect::window {

// Each call that takes `events` runs no handler when it is null (nothing bound yet).

// The pointer moved over `control` (frmMain: over the window itself). Returns
// whether a handler took the move; a move nobody takes is left to the toolkit.
bool PointerMoved(FormEvents* events, Control control);

// The text of a field changed, by the user or by the program.
void TextChanged(FormEvents* events, Control field);

// Whether a press of the left button on `control` may begin a click.
bool TakesClicks(Control control);
// The left button went up over `released` (`inside` its bounds) after going down on
// `pressed`: a click is a press and a release on the same control.
void ButtonReleased(FormEvents* events, Control pressed, Control released, bool inside);

// What a field does with a typed character once its key handler has run.
enum class KeyOutcome {
    Discarded,  // the handler set the code to 0
    Refused,    // the field is full
    Typed,      // the field takes `key`, which the handler may have replaced
};
// Runs the key handler of `field` on `key` and decides. `length` and `selected`
// are the field's text and selection in UTF-16 units.
KeyOutcome KeyPressed(FormEvents* events, Control field, std::uint16_t& key, std::size_t length,
                      std::size_t selected);

// What is left of several characters typed at once (a key that types more than one,
// an input method's commit, a code point sent whole): each UTF-16 unit goes through
// the key handler of `field` on its own, as a native field receives a pair.
std::u16string FilterTyped(FormEvents* events, Control field, std::u16string_view typed);

// The UTF-16 units the user may still add to a field: the limit minus the length
// plus the selection, which the addition replaces.
std::size_t RoomLeft(std::size_t length, std::size_t selected);
// The length of UTF-8 text in UTF-16 units, the unit the system's fields count.
std::size_t Utf16Length(std::string_view utf8);

// The part of pasted UTF-8 text that a single-line field with `room` UTF-16 units
// left takes: the first line, cut to the room at a boundary between user-perceived
// characters, so that neither half of a surrogate pair nor a mark without its
// letter goes in.
std::string_view FitPaste(std::string_view pasted, std::size_t room);

// A control's rectangle inside the window, in design pixels.
struct Box {
    int left, top, width, height;
};
// An auto-size label's rectangle for its new text size: a right-aligned label keeps
// its right edge, any other its left edge.
Box Refit(const Box& now, Align align, int width, int height);

// The window's outer rectangle, in the pixels of the pointer's position, in twips.
OuterBounds BoundsInTwips(int left, int top, int width, int height);

}  // namespace aspect::window
