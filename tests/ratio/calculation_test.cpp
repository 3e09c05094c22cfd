#include "ratio/calculation.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/fake_form.h"
#include "support/row_name.h"

namespace aspect::ratio {
namespace {

using port::Control;
using testing_support::FakeForm;

constexpr port::Colour kRed = 0x000000FF;

// Delivers the fields' events to the calculation and notes which of them
// started one (a change while the guard is down) and with which field.
class Harness final : public port::FormEvents {
  public:
    Harness() { form.Bind(*this); }

    void TypeWidth(const std::string& text) { form.UserSetsText(Control::txtW, text); }
    void TypeHeight(const std::string& text) { form.UserSetsText(Control::txtH, text); }
    void Enter(const std::string& w, const std::string& h) {
        TypeWidth(w);
        TypeHeight(h);
    }
    void Lock(bool on) { form.At(Control::chLock).value = on ? 1 : 0; }

    FakeForm form;
    Calculation calc{form};
    std::vector<int> started;  // edited-field code of each calculation started

    void txtW_Change() override {
        if (!calc.State().Updating) started.push_back(0);
        calc.txtW_Change();
    }
    void txtH_Change() override {
        if (!calc.State().Updating) started.push_back(1);
        calc.txtH_Change();
    }
    void Form_Load() override {}
    void Form_MouseMove() override {}
    void txtW_KeyPress(std::uint16_t& k) override { calc.txtW_KeyPress(k); }
    void txtH_KeyPress(std::uint16_t& k) override { calc.txtH_KeyPress(k); }
    void imgLangENG_MouseMove() override {}
    void imgLangHUN_MouseMove() override {}
    void lblHomepage_MouseMove() override {}
    void imgLangENG_hl_Click() override {}
    void imgLangHUN_hl_Click() override {}
    void lblHomepage_Click() override {}
    void tmrLang_Timer() override {}
};

struct KeyRow {
    const char* name;
    std::uint16_t code;
    bool passes;
};

const KeyRow kKeys[] = {
    {"Zero", '0', true},
    {"Nine", '9', true},
    {"Backspace", 8, true},
    {"Letter", 'a', false},
    {"CapitalE", 'E', false},
    {"Point", '.', false},
    {"Minus", '-', false},
    {"Plus", '+', false},
    {"Blank", ' ', false},
    {"Enter", 13, false},
    {"Escape", 27, false},
    {"Tab", 9, false},
    {"CtrlC", 3, false},
    {"CtrlV", 22, false},
    {"CtrlX", 24, false},
    {"CtrlZ", 26, false},
    {"Nul", 0, false},
    {"Delete", 127, false},
    {"FullwidthDigitOne", 0xFF11, false},
    {"HighCodeEndingIn0x30", 0x0130, false},
};

class KeyFilter : public testing::TestWithParam<KeyRow> {};

TEST_P(KeyFilter, LetsDigitsAndBackspaceThrough) {
    for (const bool width : {true, false}) {
        Harness h;
        std::uint16_t key = GetParam().code;
        if (width) {
            h.calc.txtW_KeyPress(key);
        } else {
            h.calc.txtH_KeyPress(key);
        }
        EXPECT_EQ(key, GetParam().passes ? GetParam().code : 0);
        EXPECT_TRUE(h.started.empty());  // filtering alone never calculates
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, KeyFilter, testing::ValuesIn(kKeys), testing_support::RowName());

struct UnlockedRow {
    const char* name;
    const char* w;
    const char* h;
    const char* caption;
    std::int32_t ratioW, ratioH;
    double width, height, leftOffset, topOffset;  // preview against the 16:9 frame
};

const UnlockedRow kUnlocked[] = {
    {"FullHd", "1920", "1080", "16 : 9", 16, 9, 320, 180, 0, 0},
    {"WxgaShownAs16to10", "1280", "800", "16 : 10", 8, 5, 288, 180, 16, 0},
    {"UltraWideCentredVertically", "2560", "1080", "64 : 27", 64, 27, 320, 135, 0, 22},
    {"PortraitCentredHorizontally", "1080", "1920", "9 : 16", 9, 16, 101, 180, 109, 0},
    {"TieToEvenWidth", "637", "360", "637 : 360", 637, 360, 318, 180, 1, 0},
    {"UlpMissFindsMultiple", "640", "464", "120 : 87", 120, 87, 248, 180, 36, 0},
    {"NoWholeTerm", "1280", "854", "1280 : 854", 1280, 854, 270, 180, 25, 0},
    {"PastedLettersReadAsLeadingNumber", "12ab", "12", "1 : 1", 1, 1, 180, 180, 70, 0},
    {"PastedFractionTiesToEven", "2.5", "1", "2 : 1", 2, 1, 320, 160, 0, 10},
};

class UnlockedCalculation : public testing::TestWithParam<UnlockedRow> {};

TEST_P(UnlockedCalculation, ShowsRatioAndFitsPreview) {
    const UnlockedRow& row = GetParam();
    Harness h;
    h.Enter(row.w, row.h);
    const auto& scr = h.form.At(Control::shpScr);
    const auto& frame = h.form.At(Control::shp16_9);
    EXPECT_EQ(h.form.At(Control::lblResult).caption, row.caption);
    EXPECT_EQ(h.calc.State().RatioW, row.ratioW);
    EXPECT_EQ(h.calc.State().RatioH, row.ratioH);
    EXPECT_TRUE(scr.visible);
    EXPECT_EQ(scr.width, row.width);
    EXPECT_EQ(scr.height, row.height);
    EXPECT_EQ(scr.left - frame.left, row.leftOffset);
    EXPECT_EQ(scr.top - frame.top, row.topOffset);
    EXPECT_FALSE(h.calc.State().Updating);
}

INSTANTIATE_TEST_SUITE_P(Entries, UnlockedCalculation, testing::ValuesIn(kUnlocked),
                         testing_support::RowName());

struct InvalidRow {
    const char* name;
    const char* w;
    const char* h;
};

const InvalidRow kInvalid[] = {
    {"EmptyHeight", "1920", ""},
    {"EmptyWidth", "", "1080"},
    {"ZeroWidth", "0", "1080"},
    {"ZeroHeight", "1920", "0"},
    {"NegativePasted", "-5", "9"},
    {"BeyondThirtyTwoBits", "9e99", "1080"},
    {"HeightBeyondThirtyTwoBits", "1920", "3e9"},
};

class InvalidEntry : public testing::TestWithParam<InvalidRow> {};

TEST_P(InvalidEntry, ShowsDashHidesPreviewAndClearsStoredRatio) {
    Harness h;
    h.Enter("1920", "1080");  // a valid ratio first, so the reset is visible
    h.Enter(GetParam().w, GetParam().h);
    EXPECT_EQ(h.form.At(Control::lblResult).caption, "-");
    EXPECT_FALSE(h.form.At(Control::shpScr).visible);
    EXPECT_EQ(h.calc.State().RatioW, 0);
    EXPECT_EQ(h.calc.State().RatioH, 0);
    EXPECT_FALSE(h.calc.State().Updating);
    EXPECT_EQ(h.calc.State().RatioValue, 1920.0 / 1080.0);  // kept from the valid entry
}

INSTANTIATE_TEST_SUITE_P(Entries, InvalidEntry, testing::ValuesIn(kInvalid),
                         testing_support::RowName());

struct LockedRow {
    const char* name;
    const char* storedW;  // unlocked entry that stores the ratio
    const char* storedH;
    bool widthEdited;
    const char* typed;
    const char* expected;  // text of the recomputed field
    bool red;
};

const LockedRow kLocked[] = {
    {"HeightFromWidth", "1920", "1080", true, "1280", "720", false},
    {"WidthFromHeightRoundsTwice", "1920", "1080", false, "1200", "2133", false},
    {"StoredEightToFiveNotSixteenToTen", "1280", "800", true, "1000", "625", false},
    {"TieToEvenFour", "1920", "1080", true, "8", "4", false},
    {"TieToEvenFourteen", "1920", "1080", true, "24", "14", false},
    {"TieToEvenTwentyTwo", "1920", "1080", true, "40", "22", false},
    {"DoubleRoundingGivesSix", "2560", "1080", true, "13", "6", false},
    {"DoubleRoundingGivesTwo", "2560", "1080", true, "6", "2", false},
    {"LongResultMarkedRed", "1", "100", true, "1000", "100000", true},
    {"OutOfRangeShowsError", "1", "5000", true, "99999", "99999", true},
    {"EmptiedFieldGivesZero", "1920", "1080", true, "", "0", false},
    {"NoStoredRatioWidthEdit", "", "", true, "1920", "99999", true},
    {"NoStoredRatioHeightEdit", "", "", false, "1080", "99999", true},
    {"AfterInvalidEntry", "0", "5", true, "1920", "99999", true},
    {"PastedBeyondThirtyTwoBits", "1920", "1080", true, "9e99", "99999", true},
    {"PastedBeyondThirtyTwoBitsHeight", "1920", "1080", false, "3e9", "99999", true},
};

class LockedCalculation : public testing::TestWithParam<LockedRow> {};

TEST_P(LockedCalculation, RecomputesTheOtherField) {
    const LockedRow& row = GetParam();
    Harness h;
    h.Enter(row.storedW, row.storedH);
    const std::string label = h.form.At(Control::lblResult).caption;
    const auto preview = h.form.At(Control::shpScr);
    const std::int32_t ratioW = h.calc.State().RatioW;
    h.Lock(true);
    h.started.clear();
    const Control edited = row.widthEdited ? Control::txtW : Control::txtH;
    const Control other = row.widthEdited ? Control::txtH : Control::txtW;
    h.form.UserSetsText(edited, row.typed);

    EXPECT_EQ(h.form.At(other).caption, row.expected);
    EXPECT_EQ(h.form.At(other).fore, row.red ? kRed : port::kButtonText);
    EXPECT_EQ(h.form.At(edited).fore, port::kButtonText);
    // One calculation, for the edited field; the write into the other field starts none.
    EXPECT_EQ(h.started, std::vector<int>{row.widthEdited ? 0 : 1});
    EXPECT_FALSE(h.calc.State().Updating);
    // The label, the preview and the stored ratio stay as the unlocked entry left them.
    EXPECT_EQ(h.form.At(Control::lblResult).caption, label);
    EXPECT_EQ(h.form.At(Control::shpScr).visible, preview.visible);
    EXPECT_EQ(h.form.At(Control::shpScr).width, preview.width);
    EXPECT_EQ(h.calc.State().RatioW, ratioW);
}

INSTANTIATE_TEST_SUITE_P(Examples, LockedCalculation, testing::ValuesIn(kLocked),
                         testing_support::RowName());

TEST(LockedCalculation, NextEditClearsRedMarkingInBothFields) {
    Harness h;
    h.Enter("1", "100");
    h.Lock(true);
    h.TypeWidth("1000");
    ASSERT_EQ(h.form.At(Control::txtH).fore, kRed);
    h.TypeWidth("10");
    EXPECT_EQ(h.form.At(Control::txtH).caption, "1000");
    EXPECT_EQ(h.form.At(Control::txtH).fore, port::kButtonText);
    EXPECT_EQ(h.form.At(Control::txtW).fore, port::kButtonText);
}

TEST(LockedCalculation, UnreadableOtherFieldIsSimplyReplaced) {
    Harness h;
    h.Enter("1920", "1080");
    h.Lock(true);
    h.form.At(Control::txtH).caption = "9e99";  // pasted earlier
    h.TypeWidth("1280");
    EXPECT_EQ(h.form.At(Control::txtH).caption, "720");
    EXPECT_EQ(h.form.At(Control::txtH).fore, port::kButtonText);
}

TEST(LockedCalculation, UnlockingRecalculatesFromBothFieldsAtNextEdit) {
    Harness h;
    h.Enter("1920", "1080");
    h.Lock(true);
    h.TypeWidth("1280");  // height becomes 720, stored ratio stays 16 : 9
    h.Lock(false);
    h.TypeHeight("1024");
    EXPECT_EQ(h.form.At(Control::lblResult).caption, "5 : 4");
    EXPECT_EQ(h.calc.State().RatioW, 5);
}

TEST(ChangeDispatch, EachEditStartsOneCalculationWithItsFieldCode) {
    Harness h;
    h.TypeWidth("1");
    h.TypeHeight("1");
    h.TypeWidth("12");
    EXPECT_EQ(h.started, (std::vector<int>{0, 1, 0}));
}

TEST(ChangeDispatch, ChangeWhileCalculatingDoesNothing) {
    Harness h;
    h.Enter("1920", "1080");
    h.Lock(true);
    // The locked branch writes txtH inside the calculation: its change is ignored,
    // so exactly one calculation ran and the stored ratio was not recomputed.
    h.started.clear();
    h.TypeWidth("3840");
    EXPECT_EQ(h.started, std::vector<int>{0});
    EXPECT_EQ(h.form.At(Control::txtH).caption, "2160");
    EXPECT_EQ(h.form.At(Control::lblResult).caption, "16 : 9");
}

TEST(UnlockedCalculation, ResetsBothFieldColoursEveryTime) {
    Harness h;
    h.form.At(Control::txtW).fore = kRed;
    h.form.At(Control::txtH).fore = kRed;
    h.TypeWidth("5");
    EXPECT_EQ(h.form.At(Control::txtW).fore, port::kButtonText);
    EXPECT_EQ(h.form.At(Control::txtH).fore, port::kButtonText);
}

}  // namespace
}  // namespace aspect::ratio
