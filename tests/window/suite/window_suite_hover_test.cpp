// The real windows' hover, language and link with the real pointer (see window_suite_test.cpp).
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "language/homepage.h"
#include "language/language.h"
#include "window/design.h"
#include "window_suite.h"

namespace aspect::testing_support::suite {
namespace {

constexpr Rgb kLinkNormal = 0x005CE6;
constexpr Rgb kLinkLit = 0x247CFF;

// Pixels of one colour in the link's label: its text, and its underline.
struct LinkLook {
    int pixels = 0;
    int longestRow = 0;
};

class RealWindowHover : public RealWindow {
  protected:
    LinkLook LookOfLink(Rgb colour) {
        const Pixels g = h->Grab();
        const Placement r = h->Placed(Control::lblHomepage);
        LinkLook look;
        for (int y = r.top; y < r.bottom; ++y) {
            int row = 0;
            for (int x = r.left; x < r.right; ++x) {
                const bool hit = g.At(x, y) == colour;
                look.pixels += hit;
                row = hit ? row + 1 : 0;
                look.longestRow = std::max(look.longestRow, row);
            }
        }
        return look;
    }
    // Leaves the window and waits for more than one timer interval.
    void Leave() {
        h->PointerAway();
        h->Wait(3 * window::kTimerInterval);
    }
    int HoverState() { return h->Behaviour().Hover().HoverState(); }
    std::vector<std::uint8_t> StoredLanguage(settings::RegistryApi& api) {
        settings::Hkey key = 0;
        if (api.RegOpenKeyExA(settings::kHkeyCurrentUser, "Software\\Morlane", 0,
                              settings::kKeyQueryValue, &key) != settings::kErrorSuccess) {
            return {};
        }
        std::vector<std::uint8_t> bytes(8);
        std::uint32_t type = 0;
        auto size = static_cast<std::uint32_t>(bytes.size());
        if (api.RegQueryValueExA(key, "Language", nullptr, &type, bytes.data(), &size) !=
                settings::kErrorSuccess ||
            type != settings::kRegBinary) {
            size = 0;
        }
        api.RegCloseKey(key);
        bytes.resize(size);
        return bytes;
    }
};

TEST_F(RealWindowHover, FlagsLightOneAtATimeAndStraightMovesSwitch) {
    MoveOver(Control::imgLangENG);
    EXPECT_TRUE(h->Visible(Control::imgLangENG_hl));
    EXPECT_TRUE(h->TimerRunning());
    // Further moves over the spot reach the lit twin, which has no move handler.
    h->MovePointer(MidX(Control::imgLangENG) + 2, MidY(Control::imgLangENG) + 1);
    EXPECT_EQ(Count("imgLangENG_MouseMove"), 1);
    EXPECT_EQ(HoverState(), 1);

    MoveOver(Control::imgLangHUN);
    EXPECT_FALSE(h->Visible(Control::imgLangENG_hl));
    EXPECT_TRUE(h->Visible(Control::imgLangHUN_hl));
    EXPECT_EQ(HoverState(), 2);

    h->MovePointer(240, 50);  // bare header band
    EXPECT_FALSE(h->Visible(Control::imgLangHUN_hl));
    EXPECT_FALSE(h->TimerRunning());
    EXPECT_EQ(HoverState(), 0);
}

TEST_F(RealWindowHover, OtherControlsKeepTheHighlightUntilThePointerLeaves) {
    MoveOver(Control::imgLangHUN);
    for (const Control c : {Control::txtW, Control::chLock, Control::lblResult, Control::Label3,
                            Control::lblTitle, Control::Image3}) {
        MoveOver(c);
        EXPECT_TRUE(h->Visible(Control::imgLangHUN_hl)) << static_cast<int>(c);
    }
    MoveOver(Control::txtW);
    h->Wait(3 * window::kTimerInterval);
    EXPECT_TRUE(h->Visible(Control::imgLangHUN_hl)) << "inside the window the timer keeps it";
    Leave();
    EXPECT_FALSE(h->Visible(Control::imgLangHUN_hl));
    EXPECT_FALSE(h->TimerRunning());
}

TEST_F(RealWindowHover, LinkLightsUnderlinedAndClearsWhenLeavingTheWindowFromIt) {
    const LinkLook normal = LookOfLink(kLinkNormal);
    const Placement r = h->Placed(Control::lblHomepage);
    const int half = (r.right - r.left) / 2;
    EXPECT_GT(normal.pixels, 20);
    EXPECT_LT(normal.longestRow, half) << "no underline";
    MoveOver(Control::lblHomepage);
    const LinkLook lit = LookOfLink(kLinkLit);
    EXPECT_GT(lit.pixels, 20);
    EXPECT_GE(lit.longestRow, half) << "underlined";
    EXPECT_EQ(LookOfLink(kLinkNormal).pixels, 0);
    Leave();
    EXPECT_EQ(LookOfLink(kLinkNormal).pixels, normal.pixels);
    EXPECT_EQ(LookOfLink(kLinkLit).pixels, 0);
    EXPECT_FALSE(h->TimerRunning());
}

TEST_F(RealWindowHover, ClickOnTheLitTwinSwitchesLanguageAndKeepsTheHighlight) {
    h->Type(Control::txtW, "1920");
    // While the twin is hidden a click on the spot reaches the plain flag: nothing happens.
    h->PressAndRelease(Control::imgLangENG);
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionHungarian);
    EXPECT_EQ(store.Find("Software\\Morlane", "Language"), nullptr);

    ClickOn(Control::imgLangENG);
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionEnglish);
    EXPECT_EQ(h->Shown(Control::lblTitle), language::kCaptionEnglish);
    EXPECT_EQ(h->Shown(Control::chLock), language::kLockEnglish);
    EXPECT_EQ(StoredLanguage(store), (std::vector<std::uint8_t>{1, 0}));
    EXPECT_TRUE(h->Visible(Control::imgLangENG_hl));
    EXPECT_EQ(h->Shown(Control::txtW), "1920");
    EXPECT_EQ(h->Shown(Control::lblResult), "-");
    // Back to Hungarian through the other flag.
    ClickOn(Control::imgLangHUN);
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionHungarian);
    EXPECT_EQ(StoredLanguage(store), (std::vector<std::uint8_t>{0, 0}));
}

TEST_F(RealWindowHover, FailingStoreStillSwitchesTheCaptions) {
    store.failWrites = true;
    ClickOn(Control::imgLangENG);
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionEnglish);
    h->Start(store);
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionHungarian);
}

TEST_F(RealWindowHover, StoredAllBitsOpensInEnglish) {
    store.Put("software\\MORLANE", "Language", {settings::kRegBinary, {0xFF, 0xFF}});
    h->Start(store);
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionEnglish);
    EXPECT_EQ(h->Shown(Control::lblTitle), language::kCaptionEnglish);
}

TEST_F(RealWindowHover, ChosenLanguageSurvivesARestartInTheUsersOwnStore) {
    settings::RegistryApi* first = h->UserStore();
    if (first == nullptr) GTEST_SKIP() << "the user's own settings are left alone here";
    h->Start(*first);
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionHungarian);
    ClickOn(Control::imgLangENG);
    h->Start(*h->UserStore());
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionEnglish);
    EXPECT_EQ(h->Shown(Control::chLock), language::kLockEnglish);
    EXPECT_EQ(StoredLanguage(*h->UserStore()), (std::vector<std::uint8_t>{1, 0}));
}

TEST_F(RealWindowHover, EachLinkClickOpensTheHomePageOnce) {
    MoveOver(Control::lblHomepage);
    ClickOn(Control::lblHomepage);
    ClickOn(Control::lblHomepage);
    h->Click(MidX(Control::lblHomepage), MidY(Control::lblHomepage), false);
    EXPECT_EQ(h->Opened(), std::vector<std::string>(2, std::string(language::kHomepageAddress)));
    EXPECT_EQ(HoverState(), 3) << "a click leaves the highlight";
}

}  // namespace
}  // namespace aspect::testing_support::suite
