// What a screen reader learns of the Win32 window over MSAA, from another
// process as a real reader would: this program starts itself with --serve to
// show the window, then reads it with AccessibleObjectFromWindow and listens
// for its change events with an out-of-context WinEvent hook.
#include <windows.h>

#include <oleacc.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "language/homepage.h"
#include "language/language.h"
#include "support/memory_registry.h"
#include "win32_form.h"
#include "win32_form_detail.h"
#include "window/frm_main.h"
#include "window/screen_reader.h"

namespace aspect::window {
namespace {

// The server: the window as the program shows it, with the shell's opening of
// addresses reported on standard output instead of starting a browser.
HINSTANCE WINAPI ReportOpen(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
    std::printf("opened %s\n", file);
    std::fflush(stdout);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

int Serve() {
    testing_support::MemoryRegistry store;  // nothing stored: Hungarian
    Win32Form form(GetModuleHandleW(nullptr));
    FrmMain behaviour(form, store);
    form.Bind(behaviour);
    form.SetShellOpen(&ReportOpen);
    behaviour.Form_Load();
    form.CentreOnScreen();
    form.Show(SW_SHOWNORMAL);
    SetForegroundWindow(form.Handle());
    std::printf("window %llu\n",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(form.Handle())));
    std::fflush(stdout);
    return form.RunMessageLoop();
}

std::wstring Wide(std::string_view utf8) {
    std::wstring out(utf8.size(), L'\0');
    out.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                            static_cast<int>(out.size()))));
    return out;
}

void Pump(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        Pump(20);
    }
    return done();
}

// The events the hook heard: what, and which child of which window.
struct Heard {
    DWORD event;
    HWND hwnd;
    LONG object;
    LONG child;
};
std::vector<Heard>& Events() {
    static std::vector<Heard> events;
    return events;
}
void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    Events().push_back({event, hwnd, object, child});
}

// The window in a second process, with its standard output read back.
class Server {
  public:
    Server() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE write = nullptr;
        if (!CreatePipe(&read_, &write, &inherit, 0)) return;
        SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(self) + L"\" --serve";
        STARTUPINFOW start{};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdOutput = write;
        start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                       &process_);
        CloseHandle(write);
        unsigned long long handle = 0;
        // A first start at another resolution makes Wine build its font caches anew,
        // which on a loaded machine has taken more than ten seconds.
        if (std::sscanf(Line(60000).c_str(), "window %llu", &handle) == 1) {
            window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
        }
    }
    ~Server() {
        if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) {
                TerminateProcess(process_.hProcess, 1);
            }
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        if (read_ != nullptr) CloseHandle(read_);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    DWORD Id() const { return process_.dwProcessId; }

    // The next line of output, waiting up to `ms` for it; empty if none came.
    std::string Line(int ms = 10000) {
        std::string line;
        char c = 0;
        DWORD got = 0;
        while (WaitFor([&] { return HasOutput(); }, ms) && ReadFile(read_, &c, 1, &got, nullptr) &&
               got == 1 && c != '\n') {
            if (c != '\r') line += c;  // the C runtime's text mode
        }
        return line;
    }
    // Whether output is waiting, without blocking.
    bool HasOutput() const {
        DWORD waiting = 0;
        return PeekNamedPipe(read_, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0;
    }

    HWND window = nullptr;

  private:
    HANDLE read_ = nullptr;
    PROCESS_INFORMATION process_{};
};

VARIANT Child(LONG id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}
constexpr LONG kSelf = CHILDID_SELF;

std::optional<std::wstring> Read(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                                 IAccessible* a, LONG id = kSelf) {
    BSTR s = nullptr;
    if ((a->*get)(Child(id), &s) != S_OK) return std::nullopt;
    std::wstring out = s ? std::wstring(s, SysStringLen(s)) : std::wstring();
    SysFreeString(s);
    return out;
}
LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* a,
            LONG id = kSelf) {
    VARIANT v;
    v.vt = VT_EMPTY;
    return (a->*get)(Child(id), &v) == S_OK && v.vt == VT_I4 ? v.lVal : -1;
}
RECT Location(IAccessible* a, LONG id = kSelf) {
    LONG l = 0, t = 0, w = 0, h = 0;
    if (a->accLocation(&l, &t, &w, &h, Child(id)) != S_OK) return {};
    return {l, t, l + w, t + h};
}

// An object a VARIANT result holds (a child object, or this one by CHILDID_SELF).
IAccessible* ObjectOf(IAccessible* from, VARIANT v) {
    IAccessible* a = nullptr;
    if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
        v.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&a));
        v.pdispVal->Release();
    } else if (v.vt == VT_I4 && v.lVal == kSelf) {
        from->AddRef();
        a = from;
    }
    return a;
}

// One row per control a reader meets, in the window's reading order.
struct Row {
    Control control;
    LONG role;
    std::string_view hungarian;
    std::string_view english;
    LONG state;  // at start, of INVISIBLE, FOCUSABLE, CHECKED, LINKED, TRAVERSED, READONLY
    const wchar_t* action;
};
constexpr LONG kStates = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED |
                         STATE_SYSTEM_LINKED | STATE_SYSTEM_TRAVERSED | STATE_SYSTEM_READONLY;
constexpr LONG kText = STATE_SYSTEM_READONLY;
const std::string kVersion = VersionCaption(ProgramVersion());
const Row kRows[] = {
    {Control::txtW, ROLE_SYSTEM_TEXT, language::kWidthHungarian, language::kWidthEnglish,
     STATE_SYSTEM_FOCUSABLE, nullptr},
    {Control::txtH, ROLE_SYSTEM_TEXT, language::kHeightHungarian, language::kHeightEnglish,
     STATE_SYSTEM_FOCUSABLE, nullptr},
    {Control::chLock, ROLE_SYSTEM_CHECKBUTTON, language::kLockHungarian, language::kLockEnglish,
     STATE_SYSTEM_FOCUSABLE, L"Check"},
    {Control::imgLangHUN_hl, ROLE_SYSTEM_PUSHBUTTON, "Magyar", "Magyar", STATE_SYSTEM_INVISIBLE,
     L"Press"},
    {Control::imgLangENG_hl, ROLE_SYSTEM_PUSHBUTTON, "English", "English", STATE_SYSTEM_INVISIBLE,
     L"Press"},
    {Control::imgLangHUN, ROLE_SYSTEM_PUSHBUTTON, "Magyar", "Magyar", 0, L"Press"},
    {Control::imgLangENG, ROLE_SYSTEM_PUSHBUTTON, "English", "English", 0, L"Press"},
    {Control::lblHomepage, ROLE_SYSTEM_LINK, language::kHomepageCaption, language::kHomepageCaption,
     STATE_SYSTEM_LINKED, L"Jump"},
    {Control::Label5, ROLE_SYSTEM_STATICTEXT, "Morlane, 2026", "Morlane, 2026", kText, nullptr},
    {Control::lblTitle, ROLE_SYSTEM_STATICTEXT, language::kCaptionHungarian,
     language::kCaptionEnglish, kText, nullptr},
    {Control::lblVersion, ROLE_SYSTEM_STATICTEXT, kVersion, kVersion, kText, nullptr},
    {Control::Label4, ROLE_SYSTEM_STATICTEXT, "4:3  |  16:10  |  16:9", "4:3  |  16:10  |  16:9",
     kText, nullptr},
    {Control::Label1, ROLE_SYSTEM_STATICTEXT, "x", "x", kText, nullptr},
    {Control::lblResult, ROLE_SYSTEM_STATICTEXT, language::kResultHungarian,
     language::kResultEnglish, kText, nullptr},
};
constexpr LONG kResultId = 14;  // lblResult's child number

// The screen's resolution for programs started from now on (none: the
// system's default); returns the setting before.
std::optional<DWORD> SetLogPixels(std::optional<DWORD> dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD before = 0;
    DWORD size = sizeof before;
    const bool had = RegQueryValueExW(key, L"LogPixels", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&before), &size) == ERROR_SUCCESS;
    if (dpi) {
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*dpi),
                       sizeof *dpi);
    } else {
        RegDeleteValueW(key, L"LogPixels");
    }
    RegCloseKey(key);
    return had ? std::optional<DWORD>(before) : std::nullopt;
}

class ScreenReader : public testing::Test {
  protected:
    // The window at `dpi` dots per inch, and the objects a reader takes of it.
    void Start(DWORD dpi) {
        const std::optional<DWORD> before = SetLogPixels(dpi);
        server.emplace();
        SetLogPixels(before);
        ASSERT_NE(server->window, nullptr) << "the server did not show its window";
        RECT client{};
        GetClientRect(server->window, &client);
        ASSERT_EQ(client.right, MulDiv(kClientWidth, static_cast<int>(dpi), 96))
            << "the window is laid out for " << dpi << " dots per inch";
        hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, &Hear,
                               server->Id(), 0, WINEVENT_OUTOFCONTEXT);
        ASSERT_EQ(
            AccessibleObjectFromWindow(server->window, static_cast<DWORD>(OBJID_CLIENT),
                                       __uuidof(IAccessible), reinterpret_cast<void**>(&root)),
            S_OK);
    }
    void TearDown() override {
        if (root != nullptr) root->Release();
        if (hook != nullptr) UnhookWinEvent(hook);
    }

    HWND Window(Control c) const {
        return GetDlgItem(server->window,
                          win32_detail::kFirstChildId + static_cast<int>(win32_detail::Index(c)));
    }
    IAccessible* ChildObject(LONG id) {
        IDispatch* d = nullptr;
        IAccessible* a = nullptr;
        if (root->get_accChild(Child(id), &d) == S_OK && d != nullptr) {
            d->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&a));
            d->Release();
        }
        return a;
    }
    bool HeardResult(DWORD event) const {
        for (const Heard& h : Events()) {
            if (h.event == event && h.hwnd == server->window && h.object == OBJID_CLIENT &&
                h.child == kResultId) {
                return true;
            }
        }
        return false;
    }
    void Type(Control field, const wchar_t* text) {
        SendMessageW(Window(field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        for (const wchar_t* p = text; *p != 0; ++p) SendMessageW(Window(field), WM_CHAR, *p, 1);
    }

    // Every row read through its own object, the window's and its own window's, in one language.
    void CheckEveryControl(bool english) {
        SCOPED_TRACE(english ? "English" : "Hungarian");
        EXPECT_EQ(Read(&IAccessible::get_accName, root),
                  Wide(english ? language::kCaptionEnglish : language::kCaptionHungarian));
        EXPECT_EQ(Number(&IAccessible::get_accRole, root), ROLE_SYSTEM_CLIENT);
        LONG count = 0;
        EXPECT_EQ(root->get_accChildCount(&count), S_OK);
        ASSERT_EQ(count, static_cast<LONG>(std::size(kRows)));
        for (LONG id = 1; id <= count; ++id) {
            const Row& row = kRows[id - 1];
            SCOPED_TRACE(DesignOf(row.control).name);
            ASSERT_EQ(ReaderControls()[static_cast<std::size_t>(id - 1)].control, row.control);
            IAccessible* a = ChildObject(id);
            ASSERT_NE(a, nullptr);
            const std::wstring name = Wide(english ? row.english : row.hungarian);
            EXPECT_EQ(Read(&IAccessible::get_accName, a), name);
            EXPECT_EQ(Read(&IAccessible::get_accName, root, id), name);
            EXPECT_EQ(Number(&IAccessible::get_accRole, a), row.role);
            const LONG state = Number(&IAccessible::get_accState, a);
            EXPECT_EQ(state & kStates, row.state);
            EXPECT_EQ(Number(&IAccessible::get_accState, root, id), state);
            // The control's own window answers with the same object (focus events name it).
            IAccessible* served = nullptr;
            ASSERT_EQ(AccessibleObjectFromWindow(
                          Window(row.control), static_cast<DWORD>(OBJID_CLIENT),
                          __uuidof(IAccessible), reinterpret_cast<void**>(&served)),
                      S_OK);
            EXPECT_EQ(Read(&IAccessible::get_accName, served), name);
            EXPECT_EQ(Number(&IAccessible::get_accRole, served), row.role);
            served->Release();
            EXPECT_EQ(Read(&IAccessible::get_accDefaultAction, a),
                      row.action ? std::optional<std::wstring>(row.action) : std::nullopt);
            // Where its window is on the screen, and nowhere else.
            RECT expected{};
            GetWindowRect(Window(row.control), &expected);
            const RECT own = Location(a);
            const RECT viaWindow = Location(root, id);
            EXPECT_TRUE(EqualRect(&expected, &own));
            EXPECT_TRUE(EqualRect(&expected, &viaWindow));
            if ((state & STATE_SYSTEM_INVISIBLE) == 0) {
                VARIANT hit;
                hit.vt = VT_EMPTY;
                const POINT centre{(expected.left + expected.right) / 2,
                                   (expected.top + expected.bottom) / 2};
                EXPECT_EQ(root->accHitTest(centre.x, centre.y, &hit), S_OK);
                IAccessible* found = ObjectOf(root, hit);
                ASSERT_NE(found, nullptr);
                const RECT at = Location(found);
                EXPECT_TRUE(EqualRect(&expected, &at)) << "hit at the centre";
                found->Release();
            }
            a->Release();
        }
    }
    void DefaultAction(Control c) {
        for (LONG id = 1; id <= static_cast<LONG>(std::size(kRows)); ++id) {
            if (kRows[id - 1].control != c) continue;
            IAccessible* a = ChildObject(id);
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->accDoDefaultAction(Child(kSelf)), S_OK);
            a->Release();
        }
    }

    std::optional<Server> server;
    HWINEVENTHOOK hook = nullptr;
    IAccessible* root = nullptr;
};

// The window answers for its controls from the moment it is made, before it is
// shown and before its labels and pictures have windows of their own.
TEST(ScreenReaderAtStart, TheWindowIsReadBeforeItIsShown) {
    Win32Form form(GetModuleHandleW(nullptr));
    IAccessible* root = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(form.Handle(), static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&root)),
              S_OK);
    LONG count = 0;
    EXPECT_EQ(root->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, static_cast<LONG>(std::size(kRows)));
    EXPECT_EQ(Read(&IAccessible::get_accName, root, 3), Wide(DesignOf(Control::chLock).text));
    root->Release();
}

// Where each control lies, in the screen's pixels, when the window is scaled.
TEST_F(ScreenReader, FindsEveryControlWhereItIsAt144DotsPerInch) {
    ASSERT_NO_FATAL_FAILURE(Start(144));
    CheckEveryControl(false);
}

TEST_F(ScreenReader, ReadsEveryControlPerformsEveryActionAndHearsTheResult) {
    ASSERT_NO_FATAL_FAILURE(Start(96));
    CheckEveryControl(false);
    EXPECT_EQ(Number(&IAccessible::get_accState, root, 1) & STATE_SYSTEM_FOCUSED,
              STATE_SYSTEM_FOCUSED)
        << "the width field has the focus";

    // Reading order, then the sides: from the width to the "x", then to the height.
    std::vector<RECT> walked;
    VARIANT next;
    next.vt = VT_EMPTY;
    ASSERT_EQ(root->accNavigate(NAVDIR_FIRSTCHILD, Child(kSelf), &next), S_OK);
    while (IAccessible* a = ObjectOf(root, next)) {
        walked.push_back(Location(a));
        next.vt = VT_EMPTY;
        a->accNavigate(NAVDIR_NEXT, Child(kSelf), &next);
        a->Release();
    }
    std::vector<RECT> shown;
    for (const Row& row : kRows) {
        RECT r{};
        GetWindowRect(Window(row.control), &r);
        if ((row.state & STATE_SYSTEM_INVISIBLE) == 0) shown.push_back(r);
    }
    ASSERT_EQ(walked.size(), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_TRUE(EqualRect(&walked[i], &shown[i]));
    for (const auto& [from, to] :
         {std::pair{Control::txtW, Control::Label1}, std::pair{Control::Label1, Control::txtH}}) {
        RECT want{};
        GetWindowRect(Window(to), &want);
        VARIANT side;
        side.vt = VT_EMPTY;
        IAccessible* start = ChildObject(from == Control::txtW ? 1 : 13);
        ASSERT_EQ(start->accNavigate(NAVDIR_RIGHT, Child(kSelf), &side), S_OK);
        IAccessible* found = ObjectOf(start, side);
        ASSERT_NE(found, nullptr);
        const RECT got = Location(found);
        EXPECT_TRUE(EqualRect(&want, &got));
        found->Release();
        start->Release();
    }

    // Typing a resolution: the fields' values, the ratio as the result's value, and its event.
    Type(Control::txtW, L"1920");
    Type(Control::txtH, L"1080");
    EXPECT_EQ(Read(&IAccessible::get_accValue, root, 1), L"1920");
    EXPECT_EQ(Read(&IAccessible::get_accValue, root, 2), L"1080");
    EXPECT_EQ(Read(&IAccessible::get_accValue, root, kResultId), L"16 : 9");
    EXPECT_EQ(Read(&IAccessible::get_accValue, root, 8), Wide(language::kHomepageAddress));
    EXPECT_EQ(Read(&IAccessible::get_accValue, root, 10), std::nullopt) << "the title has none";
    EXPECT_TRUE(WaitFor([&] { return HeardResult(EVENT_OBJECT_VALUECHANGE); }))
        << "the result's value change";

    // The check box toggles as a click toggles it.
    DefaultAction(Control::chLock);
    EXPECT_EQ(SendMessageW(Window(Control::chLock), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Number(&IAccessible::get_accState, root, 3) & STATE_SYSTEM_CHECKED,
              STATE_SYSTEM_CHECKED);
    EXPECT_EQ(Read(&IAccessible::get_accDefaultAction, root, 3), L"Uncheck");
    DefaultAction(Control::chLock);
    EXPECT_EQ(SendMessageW(Window(Control::chLock), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Each flag switches the language, the hidden lit one as the plain one; the
    // result is renamed, and a reader hears it.
    Events().clear();
    DefaultAction(Control::imgLangENG);
    CheckEveryControl(true);
    EXPECT_TRUE(WaitFor([&] { return HeardResult(EVENT_OBJECT_NAMECHANGE); }))
        << "the result's new name";
    EXPECT_EQ(Read(&IAccessible::get_accValue, root, kResultId), L"16 : 9");
    for (const auto& [flag, title] :
         {std::pair{Control::imgLangHUN_hl, language::kCaptionHungarian},
          std::pair{Control::imgLangENG_hl, language::kCaptionEnglish},
          std::pair{Control::imgLangHUN, language::kCaptionHungarian}}) {
        DefaultAction(flag);
        EXPECT_EQ(Read(&IAccessible::get_accName, root), Wide(title));
        EXPECT_EQ(Read(&IAccessible::get_accName, root, 10), Wide(title));
    }

    // The link opens the address, once, and is then marked as followed.
    EXPECT_FALSE(server->HasOutput());
    DefaultAction(Control::lblHomepage);
    EXPECT_EQ(server->Line(), "opened " + std::string(language::kHomepageAddress));
    EXPECT_EQ(Number(&IAccessible::get_accState, root, 8) & kStates,
              STATE_SYSTEM_LINKED | STATE_SYSTEM_TRAVERSED);
    EXPECT_FALSE(server->HasOutput());
}

}  // namespace
}  // namespace aspect::window

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--serve") return aspect::window::Serve();
    // Calls out to the window's process are COM calls from this apartment.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
