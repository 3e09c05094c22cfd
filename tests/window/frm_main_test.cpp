#include "window/frm_main.h"

#include <gtest/gtest.h>

#include "support/fake_form.h"
#include "support/memory_registry.h"

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
