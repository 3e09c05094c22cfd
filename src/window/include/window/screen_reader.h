#pragma once

#include <span>

#include "port/form_port.h"

// What screen readers meet in the window, whatever toolkit shows it.
namespace aspect::window {

// What a control is to a screen reader.
enum class ReaderRole { EditableText, CheckBox, StaticText, Button, Link };

struct ReaderControl {
    port::Control control;
    ReaderRole role;
};

// The controls a screen reader meets, in reading order: the focus order first
// (fields, check box), then front to back. Decoration (the logo, the emblem,
// the panel behind the preview, shapes) carries nothing to read and is left out.
std::span<const ReaderControl> ReaderControls();

// Runs what a click on `control` runs, for a screen reader's press; each flag
// switches the language whichever of its two pictures is pressed. Returns
// false, doing nothing, for a control that has no click.
bool Press(port::FormEvents& events, port::Control control);

}  // namespace aspect::window
