#include "window/frm_main.h"

#include <gtest/gtest.h>

#include "support/fake_form.h"
#include "support/memory_registry.h"
#include "window/placement.h"

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

}  // namespace
}  // namespace aspect::window
