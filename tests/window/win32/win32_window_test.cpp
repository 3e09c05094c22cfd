#include <gtest/gtest.h>

#include "language/homepage.h"
#include "language/language.h"
#include "support/memory_registry.h"
#include "support/row_name.h"
#include "win32_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(Win32StartUp, WindowOpensAsDesignedAndPrepared) {
    MemoryRegistry store;
    Win32Window win(store);
    RECT client{};
    GetClientRect(win.Hwnd(), &client);
    EXPECT_EQ(client.right, 401);
    EXPECT_EQ(client.bottom, 409);
    const LONG_PTR style = GetWindowLongPtrW(win.Hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU) << "the close box";

    EXPECT_EQ(GetFocus(), win.H(Control::txtW));
    EXPECT_EQ(win.WindowText(Control::txtW), L"");
    EXPECT_EQ(win.WindowText(Control::txtH), L"");
    EXPECT_FALSE(win.Checked());
    EXPECT_EQ(win.WindowText(Control::lblResult), L"");
    EXPECT_EQ(win.WindowText(Control::lblVersion), L"v1.2.0");
    EXPECT_FALSE(win.Visible(Control::imgLangENG_hl));
    EXPECT_FALSE(win.Visible(Control::imgLangHUN_hl));
    EXPECT_FALSE(win.form.TimerEnabled());
    for (const auto& [hl, plain] : {std::pair{Control::imgLangENG_hl, Control::imgLangENG},
                                    std::pair{Control::imgLangHUN_hl, Control::imgLangHUN}}) {
        const RECT a = win.ClientRectOf(hl);
        const RECT b = win.ClientRectOf(plain);
        EXPECT_TRUE(EqualRect(&a, &b)) << "a lit flag lies exactly on its plain flag";
    }
    EXPECT_EQ(win.form.Left(Control::shp4_3), 80);
    EXPECT_EQ(win.form.Left(Control::shp16_9), 40);
    EXPECT_EQ(win.form.Left(Control::shp16_10), 56);
    EXPECT_EQ(win.ClientRectOf(Control::lblVersion).right, 393) << "keeps its right edge";
    // Wide window texts hold the Hungarian letters whatever the ANSI code page.
    EXPECT_EQ(win.WindowText(Control::frmMain), L"K\u00e9par\u00e1ny sz\u00e1mol\u00f3");
    EXPECT_EQ(win.WindowText(Control::lblTitle), win.WindowText(Control::frmMain));
    EXPECT_EQ(win.WindowText(Control::chLock), L"Ar\u00e1ny z\u00e1rol\u00e1sa");
    EXPECT_EQ(win.WindowText(Control::imgLangENG), L"English") << "a picture's name";
    EXPECT_EQ(win.WindowText(Control::imgLangHUN_hl), L"Magyar");
}

// A resolution from WM_DPICHANGED is taken only within the range Windows uses;
// any other (only another process can send one) leaves the window as it is.
TEST(Win32StartUp, ResolutionChangesOnlyWithinTheRangeWindowsUses) {
    MemoryRegistry store;
    Win32Window win(store);
    const UINT start = win.form.Dpi();
    struct Offer {
        UINT dpi;
        UINT taken;
    };
    for (const Offer offer : {Offer{1, start}, Offer{0, start}, Offer{47, start}, Offer{481, start},
                              Offer{65535, start}, Offer{144, 144}, Offer{96, 96}}) {
        RECT outer{};
        GetWindowRect(win.Hwnd(), &outer);
        SendMessageW(win.Hwnd(), WM_DPICHANGED, MAKEWPARAM(offer.dpi, offer.dpi),
                     reinterpret_cast<LPARAM>(&outer));
        EXPECT_EQ(win.form.Dpi(), offer.taken) << offer.dpi;
        EXPECT_EQ(win.form.ScaleWidth(), 401) << offer.dpi;
    }
}

TEST(Win32StartUp, FocusMovesWidthHeightLockAndBack) {
    MemoryRegistry store;
    Win32Window win(store);
    for (const Control c : {Control::txtW, Control::txtH, Control::chLock, Control::txtW}) {
        EXPECT_EQ(GetFocus(), win.H(c)) << static_cast<int>(c);
        win.Key(VK_TAB);
    }
}

TEST(Win32StartUp, FontsAskForTheDesignFacesInCentralEuropean) {
    MemoryRegistry store;
    Win32Window win(store);
    for (const auto& [c, face, pixels] :
         {std::tuple{Control::txtW, L"Arial", 19}, std::tuple{Control::chLock, L"", 11}}) {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(win.H(c), WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
        EXPECT_EQ(lf.lfCharSet, EASTEUROPE_CHARSET);
        EXPECT_EQ(lf.lfHeight, -pixels);
        if (*face) {
            EXPECT_STREQ(lf.lfFaceName, face);
        }
    }
}

TEST(Win32Fields, RefuseEverythingButDigitsAndBackspace) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtW, L"19a.- 2\r\x1b\b");
    EXPECT_EQ(win.WindowText(Control::txtW), L"19");
    EXPECT_EQ(win.recorder.Count("txtW_KeyPress"), 10);
    EXPECT_EQ(win.recorder.Count("txtW_Change"), 4);  // 1, 19, 192, 19
    EXPECT_EQ(win.WindowText(Control::lblResult), L"-");
}

TEST(Win32Fields, EnterAndEscapeReachTheKeyFilterAsTypedCharacters) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Key(VK_RETURN);
    win.Key(VK_ESCAPE);
    win.Key('7');
    EXPECT_EQ(win.recorder.Count("txtW_KeyPress"), 3);
    EXPECT_EQ(win.WindowText(Control::txtW), L"7");
}

TEST(Win32Fields, SixthTypedCharacterIsRefused) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtH, L"1234567");
    EXPECT_EQ(win.WindowText(Control::txtH), L"12345");
    EXPECT_EQ(win.recorder.Count("txtH_Change"), 5);
}

struct PasteRow {
    const char* name;
    const wchar_t* before;
    const wchar_t* pasted;
    const wchar_t* after;
};

// What a paste leaves: cut to the five-character room, never inside a surrogate
// pair, the first line only, and not filtered.
const PasteRow kPaste[] = {
    {"CutToTheRoomNotFiltered", L"", L"12ab345", L"12ab3"},
    {"FullFieldTakesNothing", L"12ab3", L"9", L"12ab3"},
    {"PairThatFits", L"12", L"\U0001F6009", L"12\U0001F6009"},
    {"PairThatWouldBeSplitIsLeftOut", L"123", L"4\U0001F600", L"1234"},
    {"FirstLineOnly", L"", L"12\r\n34", L"12"},
};

class Win32Paste : public testing::TestWithParam<PasteRow> {};

TEST_P(Win32Paste, KeepsWholeCharactersWithinTheLimit) {
    const PasteRow& row = GetParam();
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtH, L"12");
    win.Paste(Control::txtW, row.before);
    SendMessageW(win.H(Control::txtW), EM_SETSEL, 10, 10);  // the caret at the end
    win.recorder.Clear();
    win.Paste(Control::txtW, row.pasted);
    EXPECT_EQ(win.WindowText(Control::txtW), row.after);
    EXPECT_EQ(win.recorder.Count("txtW_Change"), std::wstring(row.before) == row.after ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Clipboard, Win32Paste, testing::ValuesIn(kPaste),
                         testing_support::RowName());

TEST(Win32Fields, PastedLeadingNumberIsRead) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtH, L"12");
    win.Paste(Control::txtW, L"12ab");
    EXPECT_EQ(win.WindowText(Control::lblResult), L"1 : 1");
}

TEST(Win32Fields, ControlShortcutsDoNothing) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtW, L"123");
    win.Paste(Control::txtH, L"9");
    win.SelectAll(Control::txtW);
    win.Type(Control::txtW, L"\x16\x18\x1a\x03");  // Ctrl+V, Ctrl+X, Ctrl+Z, Ctrl+C
    EXPECT_EQ(win.WindowText(Control::txtW), L"123");
}

TEST(Win32Fields, ProgramTextLongerThanTheLimitCanBeShortenedNotGrown) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtW, L"1");
    win.Type(Control::txtH, L"5000");
    win.ClickLock();
    ASSERT_TRUE(win.Checked());
    win.SelectAll(Control::txtW);
    win.Type(Control::txtW, L"\b4000");  // 1 : 5000 gives a height of 20000000
    ASSERT_EQ(win.WindowText(Control::txtH), L"20000000");
    SendMessageW(win.H(Control::txtH), EM_SETSEL, 8, 8);
    win.Type(Control::txtH, L"5");
    EXPECT_EQ(win.WindowText(Control::txtH), L"20000000");
    win.Type(Control::txtH, L"\b");
    EXPECT_EQ(win.WindowText(Control::txtH), L"2000000");
}

TEST(Win32Fields, ProgramWriteRaisesTheChangeEventNestedAndRed) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtW, L"1");
    win.Type(Control::txtH, L"100");
    win.ClickLock();
    win.SelectAll(Control::txtW);
    win.Type(Control::txtW, L"\b");
    win.recorder.Clear();
    win.Type(Control::txtW, L"1000");
    EXPECT_EQ(win.WindowText(Control::txtH), L"100000");
    EXPECT_EQ(FieldColour(win, Control::txtH), kRed);
    EXPECT_EQ(FieldColour(win, Control::txtW), GetSysColor(COLOR_BTNTEXT));
    // Every write into the height raised its change event at once, inside the
    // calculation, which the guard turned away.
    EXPECT_EQ(win.recorder.Count("txtW_Change"), 4);
    EXPECT_EQ(win.recorder.Count("txtH_Change"), 4);
    EXPECT_EQ(win.WindowText(Control::lblResult), L"1 : 100") << "unchanged while locked";
}

TEST(Win32Link, EachClickAsksTheShellOnceWithTheFixedArguments) {
    MemoryRegistry store;
    Win32Window win(store);
    const POINT link = win.CentreOf(Control::lblHomepage);
    win.MoveTo(link);
    win.Click(link);
    win.Click(link);
    win.Click(link, false);
    ASSERT_EQ(ShellCalls().size(), 2u);
    for (const ShellCall& call : ShellCalls()) {
        EXPECT_EQ(call.owner, win.Hwnd());
        EXPECT_TRUE(call.nullOperation);
        EXPECT_EQ(call.file, language::kHomepageAddress);
        EXPECT_TRUE(call.nullParameters);
        EXPECT_EQ(call.directory, "C:\\");
        EXPECT_EQ(call.show, 0);
    }
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 3) << "a click leaves the highlight";
}

TEST(Win32Link, PressOnTheLinkReleasedElsewhereIsNoClick) {
    MemoryRegistry store;
    Win32Window win(store);
    HWND link = win.H(Control::lblHomepage);
    // Through the link's own window procedure: the press captures the pointer, so
    // the release comes back to it from wherever it happens.
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetCapture(), link);
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 200));
    EXPECT_TRUE(ShellCalls().empty());
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
    EXPECT_EQ(ShellCalls().size(), 1u);
}

}  // namespace
}  // namespace aspect::window
