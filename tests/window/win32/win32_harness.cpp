// The port's contract run against the real Win32 window, with real input:
// the pointer through the system, keys and pastes through the fields' own
// window procedures.
#include <chrono>

#include "support/port_harness.h"
#include "win32_fixture.h"

namespace aspect::testing_support {
namespace {

using window::Wide;
using window::Win32Form;

HINSTANCE WINAPI RecordShell(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
    window::ShellCalls().push_back({nullptr, true, file ? file : "", true, "", 0});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

class Win32Harness final : public PortHarness {
  public:
    Win32Harness() : form_(GetModuleHandleW(nullptr)) {
        form_.SetShellOpen(&RecordShell);
        window::ShellCalls().clear();
        form_.CentreOnScreen();
        form_.Show(SW_SHOWNORMAL);
        SetForegroundWindow(form_.Handle());
        window::Pump(50);
        MovePointer(window::kClientWidth - 1, window::kClientHeight - 1);
    }
    ~Win32Harness() override {
        DestroyWindow(form_.Handle());
        window::Pump();
    }
    Win32Harness(const Win32Harness&) = delete;
    Win32Harness& operator=(const Win32Harness&) = delete;

    port::FormPort& Form() override { return form_; }
    void Bind(port::FormEvents& events) override { form_.Bind(events); }

    void MovePointer(int x, int y) override {
        // Under Wine's virtual desktop each warp of the pointer replays the one
        // before it: a stop outside the window first makes that replay land
        // where the window sees nothing new.
        RECT outer{};
        GetWindowRect(form_.Handle(), &outer);
        SetCursorPos(outer.left > 8 ? outer.left - 8 : outer.right + 8, outer.top);
        window::Pump(40);
        POINT p{form_.Device(x), form_.Device(y)};
        ClientToScreen(form_.Handle(), &p);
        SetCursorPos(p.x, p.y);
        window::Pump(40);
        // Once more, so that the last replay is the goal itself.
        SetCursorPos(p.x, p.y);
        window::Pump(60);
    }
    void Click(int x, int y) override {
        MovePointer(x, y);
        INPUT in[2] = {};
        in[0].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].type = INPUT_MOUSE;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof in[0]);
        window::Pump(60);
    }
    void Type(port::Control field, std::string_view keys) override {
        HWND edit = CaretAtTheEnd(field);
        for (const char c : keys) SendMessageW(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void Paste(port::Control field, std::string_view text, Caret caret) override {
        HWND edit = CaretAtTheEnd(field);
        if (caret == Caret::Start) SendMessageW(edit, EM_SETSEL, 0, 0);
        const std::wstring wide = Wide(text);
        if (OpenClipboard(form_.Handle())) {
            EmptyClipboard();
            if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t))) {
                auto* p = static_cast<wchar_t*>(GlobalLock(block));
                wide.copy(p, wide.size());
                p[wide.size()] = L'\0';
                GlobalUnlock(block);
                SetClipboardData(CF_UNICODETEXT, block);
            }
            CloseClipboard();
        }
        SendMessageW(edit, WM_PASTE, 0, 0);
    }

    void TypeOver(port::Control field, std::string_view keys) override {
        HWND edit = CaretAtTheEnd(field);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (const char c : keys) SendMessageW(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    // The context menu's Undo sends WM_UNDO; the edit control's undo undoes itself.
    void Undo(port::Control field) override { SendMessageW(form_.Child(field), WM_UNDO, 0, 0); }
    void Redo(port::Control field) override { SendMessageW(form_.Child(field), EM_UNDO, 0, 0); }

    std::vector<std::string> CharacterRoutes() const override {
        return {"WM_UNICHAR", "WM_IME_CHAR"};  // WM_SYSCHAR inserts nothing
    }
    void TypeThrough(const std::string& route, port::Control field,
                     std::string_view text) override {
        HWND edit = CaretAtTheEnd(field);
        const std::wstring wide = Wide(text);
        for (std::size_t i = 0; i < wide.size(); ++i) {
            if (route == "WM_UNICHAR") {  // one message for each code point
                UINT c = wide[i];
                if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00u);
                }
                SendMessageW(edit, WM_UNICHAR, c, 1);
            } else if (route == "WM_IME_CHAR") {
                SendMessageW(edit, WM_IME_CHAR, wide[i], 1);
            }
        }
    }

    void Wait(int milliseconds) override { window::Pump(milliseconds); }
    double Now() const override {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::vector<std::string> Opened() const override {
        std::vector<std::string> files;
        for (const window::ShellCall& call : window::ShellCalls()) files.push_back(call.file);
        return files;
    }

  private:
    HWND CaretAtTheEnd(port::Control field) {
        HWND edit = form_.Child(field);
        SetFocus(edit);
        const int end = GetWindowTextLengthW(edit);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
        return edit;
    }

    Win32Form form_;
};

}  // namespace

std::unique_ptr<PortHarness> MakePortHarness() { return std::make_unique<Win32Harness>(); }

}  // namespace aspect::testing_support
