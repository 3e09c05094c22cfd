#pragma once

#include <functional>

#include <QWidget>

namespace aspect::window {

// What a widget stands for to screen readers when Qt alone would call it a
// plain client area, static text or a graphic.
enum class AccessibleKind { Window, Link, Button };

// Shows `widget` to screen readers as `kind`; their press action runs `press`
// if given, so that the control can be used without the pointer. A label's
// name is its accessible name, or else its text.
void ExposeAs(QWidget* widget, AccessibleKind kind, std::function<void()> press = {});

}  // namespace aspect::window
