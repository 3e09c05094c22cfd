// The port's contract run against the fake window the behaviour tests use.
#include "support/fake_form.h"
#include "support/port_harness.h"

namespace aspect::testing_support {
namespace {

class FakeHarness final : public PortHarness {
  public:
    port::FormPort& Form() override { return form_; }
    void Bind(port::FormEvents& events) override { form_.Bind(events); }
    void MovePointer(int x, int y) override { form_.UserMovesPointer(x, y); }
    void Click(int x, int y) override { form_.UserClicks(x, y); }
    void Type(port::Control field, std::string_view keys) override { form_.UserTypes(field, keys); }
    void Paste(port::Control field, std::string_view text, Caret caret) override {
        form_.UserPastes(field, text, caret == Caret::Start);
    }
    void TypeOver(port::Control field, std::string_view keys) override {
        form_.UserTypes(field, keys, true);
    }
    void Undo(port::Control) override {}  // the fake offers no undo
    void Redo(port::Control) override {}
    void Wait(int milliseconds) override { form_.Advance(milliseconds); }
    double Now() const override { return form_.Now(); }
    std::vector<std::string> Opened() const override { return form_.opened; }

  private:
    FakeForm form_;
};

}  // namespace

std::unique_ptr<PortHarness> MakePortHarness() { return std::make_unique<FakeHarness>(); }

}  // namespace aspect::testing_support
