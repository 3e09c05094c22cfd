#include <gtest/gtest.h>

#include "language/language.h"
#include "settings/registry_api.h"
#include "support/memory_registry.h"
#include "support/row_name.h"
#include "win32_fixture.h"
#include "window/pictures.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

// Puts the pointer outside the window and waits for more than one timer interval.
void LeaveWindow(Win32Window& win) {
    RECT r{};
    GetWindowRect(win.Hwnd(), &r);
    win.MoveToScreen({r.left - 3, r.top - 3});
    Pump(3 * kTimerInterval);
}

// Pixels of the link's own colour in its label: its text, and its underline.
struct LinkLook {
    int pixels = 0;
    int longestRow = 0;
};
LinkLook LookOfLink(Win32Window& win, COLORREF colour) {
    const Grab g = GrabClient(win.Hwnd());
    const RECT r = win.ClientRectOf(Control::lblHomepage);
    LinkLook look;
    for (LONG y = r.top; y < r.bottom; ++y) {
        int row = 0;
        for (LONG x = r.left; x < r.right; ++x) {
            const bool hit = g.At(x, y) == colour;
            look.pixels += hit;
            row = hit ? row + 1 : 0;
            look.longestRow = std::max(look.longestRow, row);
        }
    }
    return look;
}

constexpr COLORREF kLinkNormal = RGB(0, 92, 230);
constexpr COLORREF kLinkLit = RGB(36, 124, 255);

TEST(Win32Hover, FlagsLightOneAtATimeAndStraightMovesSwitch) {
    MemoryRegistry store;
    Win32Window win(store);
    win.MoveTo(win.CentreOf(Control::imgLangENG));
    EXPECT_TRUE(win.Visible(Control::imgLangENG_hl));
    EXPECT_TRUE(win.form.TimerEnabled());
    // Further moves over the spot reach the lit twin, which has no move handler.
    POINT next = win.Screen(win.CentreOf(Control::imgLangENG));
    next.x += 2;
    EXPECT_EQ(WindowFromPoint(next), win.H(Control::imgLangENG_hl));
    win.MoveToScreen(next);
    EXPECT_TRUE(win.Visible(Control::imgLangENG_hl));
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 1);

    win.MoveTo(win.CentreOf(Control::imgLangHUN));
    EXPECT_FALSE(win.Visible(Control::imgLangENG_hl));
    EXPECT_TRUE(win.Visible(Control::imgLangHUN_hl));
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 2);

    win.MoveTo({240, 50});  // bare header band
    EXPECT_FALSE(win.Visible(Control::imgLangHUN_hl));
    EXPECT_FALSE(win.form.TimerEnabled());
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 0);
}

TEST(Win32Hover, OtherControlsKeepTheHighlightUntilThePointerLeaves) {
    MemoryRegistry store;
    Win32Window win(store);
    win.MoveTo(win.CentreOf(Control::imgLangHUN));
    for (const Control c : {Control::txtW, Control::chLock, Control::lblResult, Control::Label3,
                            Control::lblTitle, Control::Image3}) {
        win.MoveTo(win.CentreOf(c));
        EXPECT_TRUE(win.Visible(Control::imgLangHUN_hl)) << static_cast<int>(c);
    }
    Pump(3 * kTimerInterval);
    EXPECT_TRUE(win.Visible(Control::imgLangHUN_hl)) << "inside the window the timer keeps it";
    LeaveWindow(win);
    EXPECT_FALSE(win.Visible(Control::imgLangHUN_hl));
    EXPECT_FALSE(win.form.TimerEnabled());
}

TEST(Win32Hover, LinkLightsUnderlinedAndClearsWhenLeavingTheWindowFromIt) {
    MemoryRegistry store;
    Win32Window win(store);
    const LinkLook normal = LookOfLink(win, kLinkNormal);
    EXPECT_GT(normal.pixels, 20);
    const LONG textWidth =
        win.ClientRectOf(Control::lblHomepage).right - win.ClientRectOf(Control::lblHomepage).left;
    EXPECT_LT(normal.longestRow, textWidth / 2) << "no underline";
    win.MoveTo(win.CentreOf(Control::lblHomepage));
    const LinkLook lit = LookOfLink(win, kLinkLit);
    EXPECT_GT(lit.pixels, 20);
    EXPECT_GE(lit.longestRow, textWidth / 2) << "underlined";
    EXPECT_EQ(LookOfLink(win, kLinkNormal).pixels, 0);
    LeaveWindow(win);
    EXPECT_EQ(LookOfLink(win, kLinkNormal).pixels, normal.pixels);
    EXPECT_EQ(LookOfLink(win, kLinkLit).pixels, 0);
    EXPECT_FALSE(win.form.TimerEnabled());
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

// A click through the control's own window procedure, wherever the pointer is.
void ClickMessage(HWND control) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

TEST(Win32Language, ClickOnTheLitTwinSwitchesLanguageAndKeepsTheHighlight) {
    MemoryRegistry store;
    Win32Window win(store);
    win.Type(Control::txtW, L"1920");
    // While the twin is hidden a click on the spot reaches the plain flag: nothing happens.
    ClickMessage(win.H(Control::imgLangENG));
    EXPECT_EQ(win.Utf8Text(Control::frmMain), language::kCaptionHungarian);
    EXPECT_EQ(store.Find("Software\\Morlane", "Language"), nullptr);

    win.Click(win.CentreOf(Control::imgLangENG));
    EXPECT_EQ(win.Utf8Text(Control::frmMain), language::kCaptionEnglish);
    EXPECT_EQ(win.WindowText(Control::lblTitle), win.WindowText(Control::frmMain));
    EXPECT_EQ(win.Utf8Text(Control::chLock), language::kLockEnglish);
    ASSERT_NE(store.Find("Software\\Morlane", "Language"), nullptr);
    EXPECT_EQ(store.Find("Software\\Morlane", "Language")->bytes,
              (std::vector<std::uint8_t>{1, 0}));
    EXPECT_TRUE(win.Visible(Control::imgLangENG_hl));
    EXPECT_EQ(win.WindowText(Control::txtW), L"1920");
    EXPECT_EQ(win.WindowText(Control::lblResult), L"-");
    // Back to Hungarian through the other flag.
    win.Click(win.CentreOf(Control::imgLangHUN));
    EXPECT_EQ(win.Utf8Text(Control::frmMain), language::kCaptionHungarian);
    EXPECT_EQ(store.Find("Software\\Morlane", "Language")->bytes,
              (std::vector<std::uint8_t>{0, 0}));
}

TEST(Win32Language, FailingStoreStillSwitchesTheCaptions) {
    MemoryRegistry store;
    store.failWrites = true;
    {
        Win32Window win(store);
        win.Click(win.CentreOf(Control::imgLangENG));
        EXPECT_EQ(win.Utf8Text(Control::frmMain), language::kCaptionEnglish);
    }
    Win32Window next(store);
    EXPECT_EQ(next.Utf8Text(Control::frmMain), language::kCaptionHungarian);
}

TEST(Win32Language, StoredAllBitsOpensInEnglish) {
    MemoryRegistry store;
    store.Put("software\\MORLANE", "Language", {settings::kRegBinary, {0xFF, 0xFF}});
    Win32Window win(store);
    EXPECT_EQ(win.Utf8Text(Control::frmMain), language::kCaptionEnglish);
    EXPECT_EQ(win.Utf8Text(Control::lblTitle), language::kCaptionEnglish);
}

TEST(Win32Persistence, ChosenLanguageSurvivesARestartInTheRegistry) {
    // The test deletes the user's own setting: only in Wine's private prefix.
    if (!UnderWine()) GTEST_SKIP() << "runs only under Wine";
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morlane");
    {
        Win32Window win(settings::PlatformRegistry());
        EXPECT_EQ(win.Utf8Text(Control::frmMain), language::kCaptionHungarian);
        win.Click(win.CentreOf(Control::imgLangENG));
    }
    {
        Win32Window win(settings::PlatformRegistry());
        EXPECT_EQ(win.Utf8Text(Control::frmMain), language::kCaptionEnglish);
        EXPECT_EQ(win.Utf8Text(Control::chLock), language::kLockEnglish);
    }
    BYTE data[8] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Morlane", "Language", RRF_RT_ANY, &type,
                           data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 0);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morlane");
}

}  // namespace
}  // namespace aspect::window
