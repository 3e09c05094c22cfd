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
    // Selects the field's whole text, then types `keys` over it as Type does.
    virtual void TypeOver(port::Control field, std::string_view keys) = 0;
    // Undo and Redo from the field's context menu, or the window's nearest
    // equivalent; nothing where the window offers none.
    virtual void Undo(port::Control field) = 0;
    virtual void Redo(port::Control field) = 0;

    // The window's other routes for a typed character besides a plain key (keys
    // with modifiers, an input method's commit, character messages), by name.
    virtual std::vector<std::string> CharacterRoutes() const { return {}; }
    // Types `text` (UTF-8) at the end of the field's text through `route`.
    virtual void TypeThrough(const std::string& route, port::Control field, std::string_view text) {
        (void)route, (void)field, (void)text;
    }

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
