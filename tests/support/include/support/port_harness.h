#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "port/form_port.h"

// What the port's contract suite needs of one implementation of the port: the
// window itself and a user in front of it. Each implementation links the suite
// with its own definition of MakePortHarness.
namespace aspect::testing_support {

// Where the caret stands in a field when the user pastes.
enum class Caret { End, Start };

class PortHarness {
  public:
    virtual ~PortHarness() = default;

    // The window as designed and shown, before any behaviour has run.
    virtual port::FormPort& Form() = 0;
    // The window's events go to `events` from now on.
    virtual void Bind(port::FormEvents& events) = 0;

    // The user, at points in pixels from the client area's top-left corner.
    virtual void MovePointer(int x, int y) = 0;
    virtual void Click(int x, int y) = 0;  // the left button
    // Types each character of `keys` (ASCII; '\b' is Backspace) at the end of the field's text.
    virtual void Type(port::Control field, std::string_view keys) = 0;
    // Pastes `text` from the clipboard with the caret at the end of the field's
    // text or, after Home, at its start.
    virtual void Paste(port::Control field, std::string_view text, Caret caret) = 0;

    // Lets `milliseconds` pass, delivering whatever falls due meanwhile.
    virtual void Wait(int milliseconds) = 0;
    // A steady clock in milliseconds, the one Wait passes.
    virtual double Now() const = 0;

    // The addresses the window has asked the desktop to open.
    virtual std::vector<std::string> Opened() const = 0;
};

// The implementation under test; defined once in each contract test executable.
std::unique_ptr<PortHarness> MakePortHarness();

}  // namespace aspect::testing_support
