#include "language/hover.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_form.h"
#include "support/row_name.h"

namespace aspect::language {
namespace {

using port::Control;
using testing_support::FakeForm;

struct Rig {
    FakeForm form;
    Hover hover{form};

    Rig() { hover.ResetHover(); }

    // Brings the rig into a state by the moves a user would make.
    void Enter(int state) {
        if (state == 1) hover.imgLangENG_MouseMove();
        if (state == 2) hover.imgLangHUN_MouseMove();
        if (state == 3) hover.lblHomepage_MouseMove();
    }
    void PointerInside() { form.cursor = {300, 300}; }
    void PointerOutside() { form.cursor = {50, 300}; }

    // Exactly the highlight of HoverState is shown, and the timer runs unless none is.
    void ExpectInvariant() const {
        const int s = hover.HoverState();
        EXPECT_EQ(form.At(Control::imgLangENG_hl).visible, s == 1);
        EXPECT_EQ(form.At(Control::imgLangHUN_hl).visible, s == 2);
        EXPECT_EQ(form.At(Control::lblHomepage).fore, s == 3 ? kLinkHover : kLinkNormal);
        EXPECT_EQ(form.At(Control::lblHomepage).underline, s == 3);
        EXPECT_EQ(form.timerEnabled, s != 0);
    }
};

struct Event {
    const char* name;
    std::function<void(Rig&)> fire;
};

const Event kEvents[] = {
    {"EnglishFlag", [](Rig& r) { r.hover.imgLangENG_MouseMove(); }},
    {"HungarianFlag", [](Rig& r) { r.hover.imgLangHUN_MouseMove(); }},
    {"Link", [](Rig& r) { r.hover.lblHomepage_MouseMove(); }},
    {"BareSurface", [](Rig& r) { r.hover.Form_MouseMove(); }},
    {"TickOutside",
     [](Rig& r) {
         r.PointerOutside();
         r.hover.tmrLang_Timer();
     }},
    {"TickInside",
     [](Rig& r) {
         r.PointerInside();
         r.hover.tmrLang_Timer();
     }},
};

struct TableRow {
    const char* name;
    int from;
    std::array<int, 6> to;  // after each event of kEvents, in order
};

// The state table: -1 marks "stays, and nothing is written".
const TableRow kTable[] = {
    {"FromNone", 0, {1, 2, 3, -1, -1, -1}},
    {"FromEnglish", 1, {-1, 2, 3, 0, 0, -1}},
    {"FromHungarian", 2, {1, -1, 3, 0, 0, -1}},
    {"FromLink", 3, {1, 2, -1, 0, 0, -1}},
};

class HoverTable : public testing::TestWithParam<TableRow> {};

TEST_P(HoverTable, EveryEventFromEveryState) {
    const TableRow& row = GetParam();
    for (std::size_t e = 0; e < std::size(kEvents); ++e) {
        SCOPED_TRACE(kEvents[e].name);
        Rig rig;
        rig.Enter(row.from);
        ASSERT_EQ(rig.hover.HoverState(), row.from);
        const int writes = rig.form.writes;
        const int starts = rig.form.timerStarts;
        kEvents[e].fire(rig);
        const int expected = row.to[e] < 0 ? row.from : row.to[e];
        EXPECT_EQ(rig.hover.HoverState(), expected);
        rig.ExpectInvariant();
        if (row.to[e] < 0) {
            EXPECT_EQ(rig.form.writes, writes) << "no control property is written";
        } else if (expected != 0) {
            EXPECT_EQ(rig.form.timerStarts, starts + 1) << "a fresh timer interval";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(States, HoverTable, testing::ValuesIn(kTable), testing_support::RowName());

struct EdgeRow {
    const char* name;
    port::ScreenPoint pointer;  // pixels; the window spans 100..508 x 100..540
    bool clears;
};

const EdgeRow kEdges[] = {
    {"LeftEdgeIsInside", {100, 300}, false},   {"LeftOfLeftEdge", {99, 300}, true},
    {"RightEdgeIsOutside", {509, 300}, true},  {"LastPixelIsInside", {508, 300}, false},
    {"TopEdgeIsInside", {300, 100}, false},    {"AboveTopEdge", {300, 99}, true},
    {"BottomEdgeIsOutside", {300, 541}, true}, {"LastRowIsInside", {300, 540}, false},
    {"TitleBarIsInside", {300, 105}, false},
};

class TimerEdges : public testing::TestWithParam<EdgeRow> {};

TEST_P(TimerEdges, LeftAndTopBelongToTheWindow) {
    Rig rig;
    rig.form.bounds = {1500, 1500, 409 * 15, 441 * 15};
    rig.hover.lblHomepage_MouseMove();
    rig.form.cursor = GetParam().pointer;
    rig.hover.tmrLang_Timer();
    EXPECT_EQ(rig.hover.HoverState(), GetParam().clears ? 0 : 3);
    rig.ExpectInvariant();
    EXPECT_EQ(rig.hover.CursorPt().x, GetParam().pointer.x * 15);
    EXPECT_EQ(rig.hover.CursorPt().y, GetParam().pointer.y * 15);
}

INSTANTIATE_TEST_SUITE_P(Pointer, TimerEdges, testing::ValuesIn(kEdges),
                         testing_support::RowName());

TEST(Hover, ResetRestoresTheLinkEvenWhenItWasNeverLit) {
    FakeForm form;
    form.At(Control::lblHomepage).fore = port::kButtonText;
    form.At(Control::imgLangENG_hl).visible = true;
    form.At(Control::imgLangHUN_hl).visible = true;
    Hover hover(form);
    hover.ResetHover();
    EXPECT_EQ(form.At(Control::lblHomepage).fore, kLinkNormal);
    EXPECT_FALSE(form.At(Control::lblHomepage).underline);
    EXPECT_FALSE(form.At(Control::imgLangENG_hl).visible);
    EXPECT_FALSE(form.At(Control::imgLangHUN_hl).visible);
    EXPECT_EQ(hover.HoverState(), 0);
}

TEST(Hover, TickWithNothingLitReadsNoPointer) {
    Rig rig;
    rig.PointerOutside();
    const int writes = rig.form.writes;
    rig.hover.tmrLang_Timer();
    EXPECT_EQ(rig.form.writes, writes);
    EXPECT_EQ(rig.hover.CursorPt().x, 0);
}

TEST(Hover, StraightFromFlagToFlagRestartsTheTimer) {
    Rig rig;
    rig.hover.imgLangENG_MouseMove();
    const int starts = rig.form.timerStarts;
    rig.hover.imgLangHUN_MouseMove();
    EXPECT_FALSE(rig.form.At(Control::imgLangENG_hl).visible);
    EXPECT_TRUE(rig.form.At(Control::imgLangHUN_hl).visible);
    EXPECT_EQ(rig.form.timerStarts, starts + 1);
}

}  // namespace
}  // namespace aspect::language
