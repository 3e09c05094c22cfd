// What only the Win32 window has: its fonts' character set, characters from real
// keys, pictures named by their window text, the shell's arguments, the
// pointer's capture, and the outer bounds in physical pixels; the behaviour
// both windows share is in the real-window suite (tests/window/suite).
#include <gtest/gtest.h>

#include "language/homepage.h"
#include "support/memory_registry.h"
#include "support/row_name.h"
#include "win32_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

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

TEST(Win32StartUp, PicturesAreNamedByTheirWindowText) {
    MemoryRegistry store;
    Win32Window win(store);
    EXPECT_EQ(win.WindowText(Control::imgLangENG), L"English");
    EXPECT_EQ(win.WindowText(Control::imgLangHUN_hl), L"Magyar");
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

TEST(Win32Link, AClickAsksTheShellWithTheFixedArguments) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Click(win.CentreOf(Control::lblHomepage));
    ASSERT_EQ(ShellCalls().size(), 1u);
    const ShellCall& call = ShellCalls()[0];
    EXPECT_EQ(call.owner, win.Hwnd());
    EXPECT_TRUE(call.nullOperation);
    EXPECT_EQ(call.file, language::kHomepageAddress);
    EXPECT_TRUE(call.nullParameters);
    EXPECT_EQ(call.directory, "C:\\");
    EXPECT_EQ(call.show, 0);
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

struct EdgeRow {
    const char* name;
    int dx, dy;        // from the window's outer top-left corner, or its far edges
    bool fromFarEdge;  // measured from the right and bottom edges
    bool stays;        // the highlight survives the timer
};

// The outer rectangle's left and top edges are inside, its right and bottom
// edges outside; the frame and the title bar are inside.
const EdgeRow kEdges[] = {
    {"LeftEdgeInside", 0, 40, false, true},    {"TopEdgeInside", 40, 0, false, true},
    {"TitleBarInside", 60, 8, false, true},    {"LastColumnInside", -1, -40, true, true},
    {"RightEdgeOutside", 0, -40, true, false}, {"BottomEdgeOutside", -40, 0, true, false},
    {"LeftOfTheWindow", -1, 40, false, false},
};

class Win32TimerEdge : public testing::TestWithParam<EdgeRow> {};

TEST_P(Win32TimerEdge, PointerAgainstTheOuterBoundsInPhysicalPixels) {
    const EdgeRow& row = GetParam();
    MemoryRegistry store;
    Win32Window win(store);
    win.MoveTo(win.CentreOf(Control::lblHomepage));
    ASSERT_EQ(win.behaviour.Hover().HoverState(), 3);
    RECT r{};
    GetWindowRect(win.Hwnd(), &r);
    const POINT at = row.fromFarEdge ? POINT{r.right + row.dx, r.bottom + row.dy}
                                     : POINT{r.left + row.dx, r.top + row.dy};
    win.MoveToScreen(at);
    Pump(3 * kTimerInterval);
    EXPECT_EQ(win.behaviour.Hover().HoverState() == 3, row.stays);
    EXPECT_EQ(win.form.TimerEnabled(), row.stays);
}

INSTANTIATE_TEST_SUITE_P(Edges, Win32TimerEdge, testing::ValuesIn(kEdges),
                         testing_support::RowName());

}  // namespace
}  // namespace aspect::window
