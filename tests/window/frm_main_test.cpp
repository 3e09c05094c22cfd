#include "window/frm_main.h"

#include <functional>

#include <gtest/gtest.h>

#include "language/homepage.h"
#include "language/language.h"

#include "support/fake_form.h"
#include "support/memory_registry.h"
#include "window/placement.h"
#include "window/screen_reader.h"

namespace aspect::window {
namespace {

using testing_support::FakeForm;
using testing_support::MemoryRegistry;

TEST(Version, JoinsMajorMinorRevisionInPlainDecimal) {
    EXPECT_EQ(VersionCaption({1, 2, 0}), "v1.2.0");
    EXPECT_EQ(VersionCaption({1, 12, 0}), "v1.12.0");
    EXPECT_EQ(VersionCaption({10, 0, 7}), "v10.0.7");
    EXPECT_EQ(VersionCaption(ProgramVersion()), "v1.2.0");
}

// The window opens centred in the work area, its top-left corner inside it.
TEST(StartUp, WindowOpensCentredWithItsTitleBarOnTheWorkArea) {
    struct Row {
        int areaLeft, areaTop, areaWidth, areaHeight;
        ScreenPlace place;
    };
    const Row rows[] = {
        {0, 0, 1024, 768, {305, 162}},  // 414 x 444 in the middle
        {0, 0, 414, 444, {0, 0}},       // exactly fits
        {0, 0, 200, 150, {0, 0}},
        {0, 0, 1, 1, {0, 0}},
        {-1280, 40, 1280, 984, {-847, 310}},  // a monitor left of the primary, a top bar
        {100, 50, 300, 300, {100, 50}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(PlaceInWorkArea(r.areaLeft, r.areaTop, r.areaWidth, r.areaHeight, 414, 444),
                  r.place)
            << r.areaWidth << " x " << r.areaHeight;
    }
}

struct CentreRow {
    double scaleWidth;
    double width;
    double left;
};

TEST(StartUp, CentresEachHalfTruncatedOnItsOwn) {
    const CentreRow rows[] = {
        {401, 240, 80},     {401, 320, 40},
        {401, 288, 56},     {400, 241, 80},  // not 79: (400 - 241) / 2 would truncate once
        {400.5, 240, 80},                    // 400.5 rounds to 400
        {401.5, 239.5, 81},                  // 402 / 2 - 240 / 2
    };
    for (const CentreRow& row : rows) {
        FakeForm form;
        MemoryRegistry store;
        FrmMain frm(form, store);
        form.Bind(frm);
        form.scaleWidth = row.scaleWidth;
        form.At(Control::shp4_3).width = row.width;
        frm.Form_Load();
        EXPECT_EQ(form.At(Control::shp4_3).left, row.left)
            << row.scaleWidth << " and " << row.width;
        EXPECT_EQ(form.At(Control::shp4_3).top, 192);
        EXPECT_EQ(form.At(Control::shp4_3).width, row.width);
    }
}

TEST(StartUp, PreparesTheWindowWithoutCalculating) {
    FakeForm form;
    MemoryRegistry store;
    FrmMain frm(form, store);
    form.Bind(frm);
    form.At(Control::imgLangENG_hl).visible = true;
    frm.Form_Load();
    EXPECT_EQ(form.At(Control::lblVersion).caption, "v1.2.0");
    EXPECT_EQ(form.At(Control::lblResult).caption, "");
    EXPECT_FALSE(frm.Calculation().State().Updating);
    // The lit flags lie on the plain ones, whatever their design positions.
    EXPECT_EQ(form.At(Control::imgLangENG_hl).left, 352);
    EXPECT_EQ(form.At(Control::imgLangENG_hl).top, 4);
    EXPECT_EQ(form.At(Control::imgLangHUN_hl).left, 376);
    EXPECT_EQ(form.At(Control::imgLangHUN_hl).top, 4);
    EXPECT_FALSE(form.At(Control::imgLangENG_hl).visible);
    EXPECT_FALSE(form.At(Control::imgLangHUN_hl).visible);
    EXPECT_FALSE(form.timerEnabled);
    EXPECT_EQ(form.At(Control::lblHomepage).fore, 0xE65C00u);
    EXPECT_FALSE(form.At(Control::lblHomepage).underline);
    EXPECT_EQ(form.textWrites, 0);  // no field touched, so no calculation ran
    EXPECT_FALSE(form.At(Control::shpScr).visible);
}

// One window through a row of steps: screen readers hear of the result when its
// text changes and when the language renames it, and a press does what a click does.
TEST(ScreenReaders, HearTheResultChangeAndPressWhatTheyClick) {
    FakeForm form;
    MemoryRegistry store;
    FrmMain frm(form, store);
    form.Bind(frm);
    frm.Form_Load();
    const struct Step {
        const char* what;
        std::function<void()> act;
        std::size_t heard;
        std::string_view title;
    } steps[] = {
        {"width alone", [&] { form.UserSetsText(Control::txtW, "1920"); }, 1,
         language::kCaptionHungarian},
        {"another width, still no ratio", [&] { form.UserSetsText(Control::txtW, "1280"); }, 0,
         language::kCaptionHungarian},
        {"a ratio", [&] { form.UserSetsText(Control::txtH, "720"); }, 1,
         language::kCaptionHungarian},
        {"the lit English flag", [&] { EXPECT_TRUE(Press(frm, Control::imgLangENG_hl)); }, 1,
         language::kCaptionEnglish},
        {"the plain Hungarian flag", [&] { EXPECT_TRUE(Press(frm, Control::imgLangHUN)); }, 1,
         language::kCaptionHungarian},
        {"the plain English flag", [&] { EXPECT_TRUE(Press(frm, Control::imgLangENG)); }, 1,
         language::kCaptionEnglish},
        {"the lit Hungarian flag", [&] { EXPECT_TRUE(Press(frm, Control::imgLangHUN_hl)); }, 1,
         language::kCaptionHungarian},
        {"the link", [&] { EXPECT_TRUE(Press(frm, Control::lblHomepage)); }, 0,
         language::kCaptionHungarian},
        {"the check box, which has no click of its own",
         [&] { EXPECT_FALSE(Press(frm, Control::chLock)); }, 0, language::kCaptionHungarian},
    };
    for (const Step& step : steps) {
        form.announced.clear();
        step.act();
        EXPECT_EQ(form.announced, std::vector<Control>(step.heard, Control::lblResult))
            << step.what;
        EXPECT_EQ(form.At(Control::frmMain).caption, step.title) << step.what;
    }
    EXPECT_EQ(form.At(Control::lblResult).caption, "16 : 9");
    EXPECT_EQ(form.opened, std::vector<std::string>{std::string(language::kHomepageAddress)});
}

}  // namespace
}  // namespace aspect::window
