// The port's promises on pointer delivery, visibility and the timer (see contract_test.cpp).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contract.h"
#include "support/row_name.h"
#include "window/design.h"

namespace aspect::testing_support::contract {
namespace {

// Where pointer moves and clicks go: labels and pictures take them (and drop
// those they have no handler for), bare background, rectangles and lines pass
// them to the window.
struct PointerRow {
    const char* name;
    int x, y;
    const char* move;   // the event a move raises, or ""
    const char* click;  // the event a click raises, or ""
};

const PointerRow kPointer[] = {
    {"BareBackground", 1, 408, "Form_MouseMove", ""},
    {"BareWhiteBand", 240, 50, "Form_MouseMove", ""},
    {"SeparatorLine", 230, 70, "Form_MouseMove", ""},
    {"GreyPanel", 200, 280, "", ""},
    {"OutlineOnThePanel", 40, 250, "", ""},
    {"ResultBox", 200, 140, "", ""},
    {"Title", 150, 20, "", ""},
    {"Logo", 40, 34, "", ""},
    {"Emblem", 90, 49, "", ""},
    {"WidthField", 80, 93, "", ""},
    {"EnglishFlag", 362, 14, "imgLangENG_MouseMove", ""},
    {"HungarianFlag", 386, 14, "imgLangHUN_MouseMove", ""},
    {"LitEnglishFlag", 290, 18, "", "imgLangENG_hl_Click"},
    {"LitHungarianFlag", 314, 18, "", "imgLangHUN_hl_Click"},
    {"Link", 340, 60, "lblHomepage_MouseMove", "lblHomepage_Click"},
};

class Pointer : public PortContract, public ::testing::WithParamInterface<PointerRow> {};

std::vector<std::string> Only(const char* event) {
    return *event ? std::vector<std::string>{event} : std::vector<std::string>{};
}

TEST_P(Pointer, ReachesTheControlInFront) {
    const PointerRow& row = GetParam();
    h->MovePointer(row.x, row.y);
    EXPECT_EQ(log.events, Only(row.move));
    log.events.clear();
    h->Click(row.x, row.y);
    EXPECT_EQ(log.events, Only(row.click));
    EXPECT_EQ(form.Value(Control::chLock), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, Pointer, ::testing::ValuesIn(kPointer), RowName{});

TEST_F(PortContract, HiddenControlsTakeNoPointerEvents) {
    // The lit flag laid on its plain twin, as start-up does.
    form.SetLeft(Control::imgLangHUN_hl, form.Left(Control::imgLangHUN));
    form.SetTop(Control::imgLangHUN_hl, form.Top(Control::imgLangHUN));
    const int x = 386, y = 14;
    h->MovePointer(x, y);
    h->Click(x, y);
    EXPECT_EQ(log.events, (std::vector<std::string>{"imgLangHUN_hl_Click"}))
        << "the lit flag in front";
    form.SetVisible(Control::imgLangHUN_hl, false);
    log.events.clear();
    h->MovePointer(x + 1, y);
    h->Click(x + 1, y);
    EXPECT_EQ(log.events, (std::vector<std::string>{"imgLangHUN_MouseMove"})) << "the plain flag";
    // A hidden label lets the window's surface behind it have the move.
    form.SetVisible(Control::lblResult, false);
    log.events.clear();
    h->MovePointer(200, 140);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Form_MouseMove"}));
    form.SetVisible(Control::lblResult, true);
    log.events.clear();
    h->MovePointer(201, 141);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(PortContract, CheckBoxClicksToggleItsValueSilently) {
    const window::ControlDesign& d = window::DesignOf(Control::chLock);
    for (const int expected : {1, 0, 1}) {
        h->Click(d.left + 6, d.top + 12);
        EXPECT_EQ(form.Value(Control::chLock), expected);
    }
    EXPECT_TRUE(log.events.empty());
}

TEST_F(PortContract, PointerInsideTheClientAreaIsInsideTheBounds) {
    const port::OuterBounds b = form.WindowBounds();
    EXPECT_GE(b.width, 401.0 * port::kTwipsPerPixel);
    EXPECT_GE(b.height, 409.0 * port::kTwipsPerPixel);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{400, 408}, std::pair{200, 100}}) {
        h->MovePointer(x, y);
        const port::ScreenPoint p = form.CursorPos();
        const double tx = static_cast<double>(p.x) * port::kTwipsPerPixel;
        const double ty = static_cast<double>(p.y) * port::kTwipsPerPixel;
        EXPECT_TRUE(tx >= b.left && tx < b.left + b.width) << x << "," << y;
        EXPECT_TRUE(ty >= b.top && ty < b.top + b.height) << x << "," << y;
    }
}

// The timer: nothing while disabled, a tick each interval while enabled, and a
// fresh interval from each enabling. Lower bounds only: a busy machine makes
// ticks late, never much early: a coarse timer may take 5% off each interval,
// and the clocks differ by up to a millisecond.
constexpr double kShortest = window::kTimerInterval * 0.95 - 1;  // milliseconds

TEST_F(PortContract, DisabledTimerNeverTicks) {
    h->Wait(3 * window::kTimerInterval);
    form.SetTimerEnabled(Control::tmrLang, true);
    form.SetTimerEnabled(Control::tmrLang, false);
    h->Wait(3 * window::kTimerInterval);
    EXPECT_TRUE(log.ticks.empty());
}

TEST_F(PortContract, EnabledTimerTicksEveryInterval) {
    const double start = h->Now();
    form.SetTimerEnabled(Control::tmrLang, true);
    h->Wait(4 * window::kTimerInterval - 30);
    form.SetTimerEnabled(Control::tmrLang, false);
    ASSERT_GE(log.ticks.size(), 1u);
    // The k-th tick comes k intervals after the start, or later; a late tick
    // does not push the later ones back.
    for (std::size_t k = 0; k < log.ticks.size(); ++k) {
        EXPECT_GE(log.ticks[k] - start, static_cast<double>(k + 1) * kShortest) << k;
    }
}

TEST_F(PortContract, EnablingADisabledTimerStartsAFreshInterval) {
    form.SetTimerEnabled(Control::tmrLang, true);
    h->Wait(window::kTimerInterval * 6 / 10);
    form.SetTimerEnabled(Control::tmrLang, false);
    const double restart = h->Now();
    form.SetTimerEnabled(Control::tmrLang, true);
    h->Wait(window::kTimerInterval * 2);
    form.SetTimerEnabled(Control::tmrLang, false);
    std::vector<double> after;
    for (const double t : log.ticks) {
        if (t >= restart) after.push_back(t);
    }
    ASSERT_FALSE(after.empty());
    EXPECT_GE(after[0] - restart, kShortest) << "the old interval ran on";
}

TEST_F(PortContract, OpeningAnAddressReturnsAtOnceAndRaisesNothing) {
    form.OpenAddress("https://morlane.example/");
    EXPECT_EQ(h->Opened(), std::vector<std::string>{"https://morlane.example/"});
    EXPECT_TRUE(log.events.empty());
}

}  // namespace
}  // namespace aspect::testing_support::contract
