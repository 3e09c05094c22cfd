#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "port/form_port.h"
#include "window/pictures.h"

// The window's controls as they stand before start-up runs.
namespace aspect::window {

// The window is built on the port; its names are the window's own vocabulary.
using port::Colour;
using port::Control;
using port::FormEvents;
using port::FormPort;
using port::kButtonFace;
using port::kButtonShadow;
using port::kButtonText;
using port::kSystemColour;
using port::kTwipsPerPixel;
using port::kWindowBackground;
using port::kWindowText;
using port::OuterBounds;
using port::ScreenPoint;

enum class Kind { Timer, CheckBox, TextField, Picture, Label, Line, Rectangle };
enum class Align { Left, Centre, Right };
enum class Face { Dialog, Arial, Georgia };
enum class Outline { None, Solid, Dashed };

struct FontDesign {
    Face face = Face::Dialog;
    double points = 8.25;
    bool bold = false;
};

struct ControlDesign {
    Control id;
    std::string_view name;
    Kind kind;
    int left, top, width, height;  // a line runs from (left, top) to (left + width, top)
    std::string_view text;         // UTF-8
    FontDesign font{};
    Colour fore = kButtonText;
    Colour back = kButtonFace;
    Align align = Align::Left;
    bool autoSize = false;
    bool border = false;
    bool visible = true;
    PictureId picture = PictureId::None;
    Outline outline = Outline::None;  // rectangles and lines
    bool filled = false;              // rectangles: filled with `back`
};

inline constexpr int kClientWidth = 401;
inline constexpr int kClientHeight = 409;
inline constexpr int kTimerInterval = 100;  // milliseconds
inline constexpr int kUserTextLimit = 5;    // characters the user may type or paste
inline constexpr std::string_view kDesignCaption = "Determine screen's aspect ratio";

// All controls, front-most first.
const std::array<ControlDesign, 24>& Design();
const ControlDesign& DesignOf(Control id);

}  // namespace aspect::window
