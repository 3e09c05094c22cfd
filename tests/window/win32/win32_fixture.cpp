#include "win32_fixture.h"

#include <cstring>

namespace aspect::window {

namespace {

HINSTANCE WINAPI RecordShell(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                             LPCSTR directory, INT show) {
    ShellCalls().push_back({owner, operation == nullptr, file ? file : "", parameters == nullptr,
                            directory ? directory : "", show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));  // "success"
}

void Send(INPUT input) { SendInput(1, &input, sizeof input); }

}  // namespace

std::vector<ShellCall>& ShellCalls() {
    static std::vector<ShellCall> calls;
    return calls;
}

std::wstring Wide(std::string_view utf8) {
    std::wstring out(utf8.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void Pump(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (top != nullptr && IsDialogMessageW(top, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (std::chrono::steady_clock::now() >= until) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (true);
}

Win32Window::Win32Window(settings::RegistryApi& store)
    : form(GetModuleHandleW(nullptr)), behaviour(form, store) {
    form.Bind(recorder);
    form.SetShellOpen(&RecordShell);
    recorder.Form_Load();
    form.CentreOnScreen();
    form.Show(SW_SHOWNORMAL);
    SetForegroundWindow(Hwnd());
    Pump(50);
    // Every test starts with the pointer on the same bare corner.
    MoveTo({1, form.Device(kClientHeight) - 1});
    recorder.Clear();
    ShellCalls().clear();
}

Win32Window::~Win32Window() {
    DestroyWindow(Hwnd());
    Pump();
}

std::wstring Win32Window::WindowText(Control c) const {
    HWND h = H(c);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string Win32Window::Utf8Text(Control c) const { return Utf8(WindowText(c)); }

std::string Utf8(std::wstring_view w) {
    std::string out(w.size() * 3, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

RECT Win32Window::ClientRectOf(Control c) const {
    RECT r{};
    GetWindowRect(H(c), &r);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT Win32Window::Screen(POINT client) const {
    ClientToScreen(Hwnd(), &client);
    return client;
}

POINT Win32Window::CentreOf(Control c) const {
    const RECT r = ClientRectOf(c);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Win32Window::Type(Control field, std::wstring_view chars) {
    for (const wchar_t ch : chars) SendMessageW(H(field), WM_CHAR, ch, 1);
}

void Win32Window::Paste(Control field, std::wstring_view text) {
    if (OpenClipboard(Hwnd())) {
        EmptyClipboard();
        const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            auto* p = static_cast<wchar_t*>(GlobalLock(block));
            std::memcpy(p, text.data(), text.size() * sizeof(wchar_t));
            p[text.size()] = L'\0';
            GlobalUnlock(block);
            SetClipboardData(CF_UNICODETEXT, block);
        }
        CloseClipboard();
    }
    SendMessageW(H(field), WM_PASTE, 0, 0);
}

void Win32Window::SelectAll(Control field) { SendMessageW(H(field), EM_SETSEL, 0, -1); }

void Win32Window::Key(WORD virtualKey) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
    Pump(60);
}

void Win32Window::MoveToScreen(POINT p) {
    // Under Wine's virtual desktop each warp of the pointer replays the one before
    // it: a stop on the grey panel first, where a move changes nothing, makes that
    // replay harmless, and a second warp to the goal makes the last replay the goal
    // itself, so that a click after it lands there.
    const POINT panel = Screen({form.Device(30), form.Device(200)});
    SetCursorPos(panel.x, panel.y);
    Pump(40);
    SetCursorPos(p.x, p.y);
    Pump(40);
    SetCursorPos(p.x, p.y);
    Pump(60);
}

void Win32Window::MoveTo(POINT client) { MoveToScreen(Screen(client)); }

void Win32Window::Click(POINT client, bool left) {
    MoveTo(client);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    Send(in);
    in.mi.dwFlags = left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    Send(in);
    Pump(60);
}

void Win32Window::ClickLock() {
    const RECT r = ClientRectOf(Control::chLock);
    const bool before = Checked();
    Click({r.left + 6, (r.top + r.bottom) / 2});
    // On a busy machine the button's release can arrive after the fixed pause:
    // wait for the box to toggle, up to a bound, rather than read it too early.
    for (int waited = 0; Checked() == before && waited < 3000; waited += 20) Pump(20);
}

COLORREF FieldColour(Win32Window& win, Control field) {
    HDC dc = GetDC(win.H(field));
    SendMessageW(win.Hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(win.H(field)));
    const COLORREF c = GetTextColor(dc);
    ReleaseDC(win.H(field), dc);
    return c;
}

Grab GrabClient(HWND window) {
    UpdateWindow(window);
    return GrabDrawing(window, [](HDC mem, HDC screen, const RECT& r) {
        BitBlt(mem, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    });
}

Grab GrabDrawing(HWND window, const std::function<void(HDC, HDC, const RECT&)>& draw) {
    RECT r{};
    GetClientRect(window, &r);
    Grab g{r.right, r.bottom, {}};
    HDC screen = GetDC(window);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = g.width;
    info.bmiHeader.biHeight = -g.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    draw(mem, screen, r);
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    g.pixels.resize(static_cast<std::size_t>(g.width * g.height));
    for (std::size_t i = 0; i < g.pixels.size(); ++i) {
        const std::uint32_t v = px[i];  // 0x00RRGGBB
        g.pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(window, screen);
    return g;
}

}  // namespace aspect::window
