#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "settings/registry_api.h"
#include "support/recording_events.h"
#include "win32_form.h"
#include "window/frm_main.h"

namespace aspect::window {

// What the window asked the shell to open, argument by argument.
struct ShellCall {
    HWND owner;
    bool nullOperation;
    std::string file;
    bool nullParameters;
    std::string directory;
    int show;
};

// Every call to the shell since the last Clear(); tests never start a browser.
std::vector<ShellCall>& ShellCalls();

// UTF-16 window texts to UTF-8 and back.
std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

// Whether the tests run under Wine, in a private prefix and display.
bool UnderWine();

// Delivers what is queued for this thread, for at least `ms` milliseconds:
// input from SendInput reaches the window through the window system.
void Pump(int ms = 0);

// The real window on the Win32 API, started the way the program starts it,
// with its events counted on the way to the behaviour.
struct Win32Window {
    explicit Win32Window(settings::RegistryApi& store);
    ~Win32Window();
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    HWND Hwnd() const { return form.Handle(); }
    HWND H(Control c) const { return form.Child(c); }
    std::wstring WindowText(Control c) const;
    std::string Utf8Text(Control c) const;
    bool Visible(Control c) const { return IsWindowVisible(H(c)) != 0; }
    bool Checked() const { return SendMessageW(H(Control::chLock), BM_GETCHECK, 0, 0) != 0; }
    // A child window's rectangle in the client area, in device pixels.
    RECT ClientRectOf(Control c) const;
    // A point in the client area, in screen pixels.
    POINT Screen(POINT client) const;
    POINT CentreOf(Control c) const;

    // Typed characters, through the field's own window procedure.
    void Type(Control field, std::wstring_view chars);
    // Pastes `text` from the clipboard, as the field's context menu and Shift+Insert do.
    void Paste(Control field, std::wstring_view text);
    void SelectAll(Control field);
    void Key(WORD virtualKey);
    // The real pointer, through SendInput.
    void MoveTo(POINT client);
    void MoveToScreen(POINT screen);
    void Click(POINT client, bool left = true);
    void ClickLock();

    Win32Form form;
    FrmMain behaviour;
    testing_support::RecordingEvents recorder{behaviour};
};

// The colour a field's text is drawn in, as the window tells the edit control.
COLORREF FieldColour(Win32Window& win, Control field);

// The client area as it is on the screen, row by row from the top.
struct Grab {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
Grab GrabClient(HWND window);
// What `draw` puts into a memory picture the size of the window's client area;
// it is given the picture, the window's screen and the client rectangle.
Grab GrabDrawing(HWND window, const std::function<void(HDC, HDC, const RECT&)>& draw);

}  // namespace aspect::window
