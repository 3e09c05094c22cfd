// The real-window suite run against the Win32 window under Wine: the pointer
// and keys through the system, typed characters and pastes through the
// fields' own window procedures.
#include "settings/registry_api.h"
#include "win32_fixture.h"
#include "window_harness.h"

namespace aspect::testing_support {
namespace {

using window::Utf8;
using window::Wide;
using window::Win32Window;

Rgb ToRgb(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

class Win32WindowHarness final : public WindowHarness {
  public:
    ~Win32WindowHarness() override {
        win_.reset();
        if (usedRegistry_) RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morlane");
    }

    void Start(settings::RegistryApi& store) override {
        win_.reset();
        win_ = std::make_unique<Win32Window>(store);
    }
    port::FormPort& Form() override { return win_->form; }
    const window::FrmMain& Behaviour() override { return win_->behaviour; }
    RecordingEvents& Events() override { return win_->recorder; }

    void Type(Control field, std::string_view keys) override {
        win_->Type(field, std::wstring(keys.begin(), keys.end()));
    }
    void Press(Key key) override {
        win_->Key(key == Key::Tab ? VK_TAB : key == Key::Home ? VK_HOME : VK_DELETE);
    }
    void Paste(Control field, std::string_view text) override { win_->Paste(field, Wide(text)); }
    void SelectAll(Control field) override { win_->SelectAll(field); }
    void CaretToEnd(Control field) override {
        const auto end = static_cast<WPARAM>(GetWindowTextLengthW(win_->H(field)));
        SendMessageW(win_->H(field), EM_SETSEL, end, static_cast<LPARAM>(end));
    }
    void MovePointer(int x, int y) override { win_->MoveTo({x, y}); }
    void PointerAway() override {
        RECT r{};
        GetWindowRect(win_->Hwnd(), &r);
        win_->MoveToScreen({r.left - 3, r.top - 3});
    }
    void Click(int x, int y, bool left) override { win_->Click({x, y}, left); }
    void PressAndRelease(Control c) override {
        SendMessageW(win_->H(c), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageW(win_->H(c), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    void Wait(int milliseconds) override { window::Pump(milliseconds); }

    Frame Window() override {
        RECT client{};
        GetClientRect(win_->Hwnd(), &client);
        const LONG_PTR style = GetWindowLongPtrW(win_->Hwnd(), GWL_STYLE);
        return {client.right,
                client.bottom,
                (style & WS_THICKFRAME) != 0,
                (style & WS_MAXIMIZEBOX) != 0,
                (style & WS_MINIMIZEBOX) != 0,
                (style & WS_SYSMENU) != 0};
    }
    std::string Shown(Control c) override { return Utf8(win_->WindowText(c)); }
    bool Visible(Control c) override { return win_->Visible(c); }
    Placement Placed(Control c) override {
        const RECT r = win_->ClientRectOf(c);
        return {r.left, r.top, r.right, r.bottom};
    }
    Control Focus() override { return win_->form.ControlOf(GetFocus()); }
    bool Checked() override { return win_->Checked(); }
    bool TimerRunning() override { return win_->form.TimerEnabled(); }
    Rgb TextColour(Control field) override { return ToRgb(window::FieldColour(*win_, field)); }
    Rgb Resolve(port::Colour colour) override { return ToRgb(window::Win32Form::Resolve(colour)); }
    Pixels Grab() override {
        const window::Grab g = window::GrabClient(win_->Hwnd());
        Pixels p{g.width, g.height, {}};
        for (const COLORREF c : g.pixels) p.rgb.push_back(ToRgb(c));
        return p;
    }
    std::vector<std::string> Opened() override {
        std::vector<std::string> files;
        for (const window::ShellCall& call : window::ShellCalls()) files.push_back(call.file);
        return files;
    }
    // The registry of Wine's private prefix; a real user's is never touched.
    settings::RegistryApi* UserStore() override {
        if (!window::UnderWine()) return nullptr;
        if (!usedRegistry_) RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morlane");
        usedRegistry_ = true;
        return &settings::PlatformRegistry();
    }

  private:
    std::unique_ptr<Win32Window> win_;
    bool usedRegistry_ = false;
};

}  // namespace

std::unique_ptr<WindowHarness> MakeWindowHarness() {
    return std::make_unique<Win32WindowHarness>();
}

}  // namespace aspect::testing_support
