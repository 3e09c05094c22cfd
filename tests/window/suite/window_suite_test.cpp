// The real windows' behaviour with real input, written once and run through
// every real window: how it opens, the fields, the entry tables and the drawing.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "language/language.h"
#include "support/entry_rows.h"
#include "support/row_name.h"
#include "window_suite.h"

namespace aspect::testing_support::suite {
namespace {

TEST_F(RealWindow, WindowOpensAsDesignedAndPrepared) {
    const Frame f = h->Window();
    EXPECT_EQ(f.clientWidth, 401);
    EXPECT_EQ(f.clientHeight, 409);
    EXPECT_FALSE(f.resizable);
    EXPECT_FALSE(f.maximizeBox);
    EXPECT_FALSE(f.minimizeBox);
    EXPECT_TRUE(f.closeBox);

    EXPECT_EQ(h->Focus(), Control::txtW);
    EXPECT_EQ(h->Shown(Control::txtW), "");
    EXPECT_EQ(h->Shown(Control::txtH), "");
    EXPECT_FALSE(h->Checked());
    EXPECT_EQ(h->Shown(Control::lblResult), "");
    EXPECT_EQ(h->Shown(Control::lblVersion), "v1.2.0");
    EXPECT_EQ(h->Shown(Control::frmMain), language::kCaptionHungarian);
    EXPECT_EQ(h->Shown(Control::lblTitle), language::kCaptionHungarian);
    EXPECT_EQ(h->Shown(Control::chLock), language::kLockHungarian);
    EXPECT_EQ(RedInAndOut(0, 0, 0, 0), std::pair(0, 0)) << "no preview";
    EXPECT_FALSE(h->TimerRunning());
    for (const auto& [lit, plain] : {std::pair{Control::imgLangENG_hl, Control::imgLangENG},
                                     std::pair{Control::imgLangHUN_hl, Control::imgLangHUN}}) {
        EXPECT_FALSE(h->Visible(lit));
        EXPECT_TRUE(h->Visible(plain));
        EXPECT_EQ(h->Placed(lit), h->Placed(plain)) << "a lit flag lies exactly on its plain flag";
    }
    EXPECT_EQ(Form().Left(Control::shp4_3), 80);
    EXPECT_EQ(Form().Left(Control::shp16_9), 40);
    EXPECT_EQ(Form().Left(Control::shp16_10), 56);
    EXPECT_EQ(h->Placed(Control::lblVersion).right, 393) << "keeps its right edge as it refits";
}

TEST_F(RealWindow, FocusMovesWidthHeightLockAndBack) {
    for (const Control c : {Control::txtW, Control::txtH, Control::chLock, Control::txtW}) {
        EXPECT_EQ(h->Focus(), c) << static_cast<int>(c);
        h->Press(Key::Tab);
    }
}

TEST_F(RealWindow, FieldsRefuseEverythingButDigitsAndBackspace) {
    h->Type(Control::txtW, "19a.- 2");
    EXPECT_EQ(h->Shown(Control::txtW), "192");
    h->Type(Control::txtW, "\r\x1b\b");
    EXPECT_EQ(h->Shown(Control::txtW), "19");
    EXPECT_EQ(Count("txtW_Change"), 4);  // 1, 19, 192, 19
    EXPECT_EQ(h->Shown(Control::lblResult), "-");
}

TEST_F(RealWindow, SixthTypedCharacterIsRefused) {
    h->Type(Control::txtH, "1234567");
    EXPECT_EQ(h->Shown(Control::txtH), "12345");
    EXPECT_EQ(Count("txtH_Change"), 5);
}

TEST_F(RealWindow, ControlShortcutsDoNothing) {
    h->Type(Control::txtW, "123");
    h->Paste(Control::txtH, "9");
    h->SelectAll(Control::txtW);
    for (const char* shortcut : {"\x16", "\x18", "\x1a"}) {  // Ctrl+V, Ctrl+X, Ctrl+Z
        h->Type(Control::txtW, shortcut);
        EXPECT_EQ(h->Shown(Control::txtW), "123") << int(shortcut[0]);
    }
}

TEST_F(RealWindow, DeleteKeyIsNotFiltered) {
    h->Type(Control::txtW, "123");
    h->Press(Key::Home);
    h->Press(Key::Delete);
    EXPECT_EQ(h->Shown(Control::txtW), "23");
}

TEST_F(RealWindow, ProgramTextLongerThanTheLimitCanBeShortenedNotGrown) {
    h->Type(Control::txtW, "1");
    h->Type(Control::txtH, "5000");
    ClickLock();
    ASSERT_TRUE(h->Checked());
    Enter(Control::txtW, "4000");  // 1 : 5000 gives a height of 20000000
    ASSERT_EQ(h->Shown(Control::txtH), "20000000");
    h->CaretToEnd(Control::txtH);
    h->Type(Control::txtH, "5");
    EXPECT_EQ(h->Shown(Control::txtH), "20000000");
    h->Type(Control::txtH, "\b");
    EXPECT_EQ(h->Shown(Control::txtH), "2000000");
}

TEST_F(RealWindow, ProgramWriteRaisesTheChangeEventNestedAndRed) {
    h->Type(Control::txtW, "1");
    h->Type(Control::txtH, "100");
    ClickLock();
    Erase(Control::txtW);
    h->Events().Clear();
    h->Type(Control::txtW, "1000");
    EXPECT_EQ(h->Shown(Control::txtH), "100000");
    EXPECT_EQ(h->TextColour(Control::txtH), kRed);
    EXPECT_EQ(h->TextColour(Control::txtW), h->Resolve(port::kButtonText));
    // Every write into the height raised its change event at once, inside the
    // calculation, which the guard turned away.
    EXPECT_EQ(Count("txtW_Change"), 4);
    EXPECT_EQ(Count("txtH_Change"), 4);
    EXPECT_EQ(h->Shown(Control::lblResult), "1 : 100") << "unchanged while locked";
}

TEST_F(RealWindow, PastedNumberBeyondThirtyTwoBitsIsAnInvalidEntryAndReleasesTheGuard) {
    h->Type(Control::txtW, "1920");
    Enter(Control::txtH, "9e99");
    ASSERT_EQ(h->Shown(Control::txtH), "9e99");
    EXPECT_EQ(h->Shown(Control::lblResult), "-");
    EXPECT_EQ(RedInAndOut(0, 0, 0, 0), std::pair(0, 0)) << "no preview";
    Enter(Control::txtH, "1080");
    ClickLock();
    Enter(Control::txtH, "3e9");
    EXPECT_EQ(h->Shown(Control::txtW), "99999");
    Enter(Control::txtH, "900");
    EXPECT_EQ(h->Shown(Control::txtW), "1600") << "the window keeps working";
}

class RealWindowUnlocked : public RealWindow, public ::testing::WithParamInterface<UnlockedRow> {};

TEST_P(RealWindowUnlocked, ResultAndPreviewOnTheScreen) {
    const UnlockedRow& row = GetParam();
    Enter(Control::txtW, row.w);
    Enter(Control::txtH, row.h);
    EXPECT_EQ(h->Shown(Control::lblResult), row.caption);
    const double frameLeft = Form().Left(Control::shp16_9);
    const double frameTop = Form().Top(Control::shp16_9);
    EXPECT_EQ(Form().Width(Control::shpScr), row.width);
    EXPECT_EQ(Form().Height(Control::shpScr), row.height);
    EXPECT_EQ(Form().Left(Control::shpScr) - frameLeft, row.leftOffset);
    EXPECT_EQ(Form().Top(Control::shpScr) - frameTop, row.topOffset);
    // The red dashes are on the screen where the preview is, and only there.
    const auto [in, out] = RedInAndOut(static_cast<int>(frameLeft + row.leftOffset),
                                       static_cast<int>(frameTop + row.topOffset),
                                       static_cast<int>(row.width), static_cast<int>(row.height));
    EXPECT_GT(in, static_cast<int>(row.width + row.height) / 2);
    EXPECT_EQ(out, 0);
}

INSTANTIATE_TEST_SUITE_P(Entries, RealWindowUnlocked, ::testing::ValuesIn(kUnlocked), RowName());

class RealWindowLocked : public RealWindow, public ::testing::WithParamInterface<LockedRow> {};

TEST_P(RealWindowLocked, ConvertsAfterARealClickOnTheCheckBox) {
    const LockedRow& row = GetParam();
    Enter(Control::txtW, row.storedW);
    Enter(Control::txtH, row.storedH);
    const std::string label = h->Shown(Control::lblResult);
    ClickLock();
    ASSERT_TRUE(h->Checked());
    const Control edited = row.widthEdited ? Control::txtW : Control::txtH;
    const Control other = row.widthEdited ? Control::txtH : Control::txtW;
    Erase(edited);
    h->Events().Clear();
    Put(edited, row.typed);
    EXPECT_EQ(h->Shown(other), row.expected);
    EXPECT_EQ(h->TextColour(other), row.red ? kRed : h->Resolve(port::kButtonText));
    EXPECT_EQ(h->TextColour(edited), h->Resolve(port::kButtonText));
    EXPECT_EQ(h->Shown(Control::lblResult), label);
    // Each typed digit (or the one paste) started one calculation; the writes
    // into the other field none of their own.
    const std::string typed = row.typed;
    const bool digits = typed.find_first_not_of("0123456789") == std::string::npos;
    EXPECT_EQ(Count(row.widthEdited ? "txtW_Change" : "txtH_Change"),
              digits ? static_cast<int>(typed.size()) : 1);
}

INSTANTIATE_TEST_SUITE_P(Examples, RealWindowLocked, ::testing::ValuesIn(kLocked), RowName());

TEST_F(RealWindow, TellingPixels) {
    h->Type(Control::txtW, "1024");
    h->Type(Control::txtH, "768");
    const Pixels g = h->Grab();
    ASSERT_EQ(g.width, 401);  // nothing is drawn past x = 400
    constexpr Rgb kWhite = 0xFFFFFF, kBlack = 0, kPanel = 0xE0E0E0;
    EXPECT_EQ(g.At(240, 50), kWhite) << "the header band";
    EXPECT_EQ(g.At(400, 10), kWhite) << "the band reaches the edge";
    EXPECT_EQ(g.At(30, 300), kPanel) << "the grey panel";
    EXPECT_EQ(g.At(400, 70), h->Resolve(port::kButtonShadow)) << "the line";
    for (const int x : {40, 359, 56, 343}) {
        EXPECT_EQ(g.At(x, 300), kBlack) << "outline at x " << x;
    }
    // The 4:3 entry's preview lies exactly on the 4:3 outline: red dashes over black.
    int red = 0;
    for (int y = 193; y < 371; ++y) red += g.At(80, y) == kRed;
    EXPECT_GT(red, 40);
    EXPECT_EQ(g.At(100, 300), kPanel) << "no fill";
}

// Over the legend and the check box the window's own move event stays quiet
// (the port's contract covers the other places).
TEST_F(RealWindow, NoWindowMoveOverTheLegendOrTheCheckBox) {
    h->MovePointer(30, 300);  // from the grey panel, which raises none
    h->Events().Clear();
    h->MovePointer(360, 395);
    h->MovePointer(300, 90);
    EXPECT_EQ(Count("Form_MouseMove"), 0);
}

}  // namespace
}  // namespace aspect::testing_support::suite
