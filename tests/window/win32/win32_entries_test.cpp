// The calculation's tables through the real Win32 window: digits typed into the
// fields' own window procedures, anything else pasted, results read back from
// the windows and the screen.
#include <string>

#include <gtest/gtest.h>

#include "support/entry_rows.h"
#include "support/memory_registry.h"
#include "support/row_name.h"
#include "win32_fixture.h"

namespace aspect::window {
namespace {

using testing_support::kLocked;
using testing_support::kUnlocked;
using testing_support::LockedRow;
using testing_support::MemoryRegistry;
using testing_support::UnlockedRow;

// Replaces the field's text the way a user would: digits typed, the rest pasted.
void Enter(Win32Window& win, Control field, const std::string& text) {
    if (!win.WindowText(field).empty()) {
        win.SelectAll(field);
        win.Type(field, L"\b");
    }
    if (text.find_first_not_of("0123456789") == std::string::npos) {
        win.Type(field, std::wstring(text.begin(), text.end()));
    } else {
        win.Paste(field, std::wstring(text.begin(), text.end()));
    }
}

class Win32Unlocked : public testing::TestWithParam<UnlockedRow> {};

TEST_P(Win32Unlocked, ResultAndPreviewOnTheScreen) {
    const UnlockedRow& row = GetParam();
    MemoryRegistry store;
    Win32Window win(store);
    Enter(win, Control::txtW, row.w);
    Enter(win, Control::txtH, row.h);
    EXPECT_EQ(win.Utf8Text(Control::lblResult), row.caption);
    const double frameLeft = win.form.Left(Control::shp16_9);
    const double frameTop = win.form.Top(Control::shp16_9);
    EXPECT_EQ(win.form.Width(Control::shpScr), row.width);
    EXPECT_EQ(win.form.Height(Control::shpScr), row.height);
    EXPECT_EQ(win.form.Left(Control::shpScr) - frameLeft, row.leftOffset);
    EXPECT_EQ(win.form.Top(Control::shpScr) - frameTop, row.topOffset);
    // The red outline is on the screen where the preview is.
    const Grab g = GrabClient(win.Hwnd());
    const int left = static_cast<int>(frameLeft + row.leftOffset);
    const int top = static_cast<int>(frameTop + row.topOffset);
    int red = 0;
    for (int y = top; y < top + static_cast<int>(row.height); ++y) {
        red += g.At(left, y) == RGB(255, 0, 0);
    }
    EXPECT_GT(red, static_cast<int>(row.height) / 3);
}

INSTANTIATE_TEST_SUITE_P(Entries, Win32Unlocked, testing::ValuesIn(kUnlocked),
                         testing_support::RowName());

class Win32Locked : public testing::TestWithParam<LockedRow> {};

TEST_P(Win32Locked, ConvertsAfterARealClickOnTheCheckBox) {
    const LockedRow& row = GetParam();
    MemoryRegistry store;
    Win32Window win(store);
    Enter(win, Control::txtW, row.storedW);
    Enter(win, Control::txtH, row.storedH);
    const std::wstring label = win.WindowText(Control::lblResult);
    win.ClickLock();
    ASSERT_TRUE(win.Checked());
    const Control edited = row.widthEdited ? Control::txtW : Control::txtH;
    const Control other = row.widthEdited ? Control::txtH : Control::txtW;
    Enter(win, edited, row.typed);
    EXPECT_EQ(win.Utf8Text(other), row.expected);
    EXPECT_EQ(FieldColour(win, other), row.red ? RGB(255, 0, 0) : GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(FieldColour(win, edited), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(win.WindowText(Control::lblResult), label);
}

INSTANTIATE_TEST_SUITE_P(Examples, Win32Locked, testing::ValuesIn(kLocked),
                         testing_support::RowName());

}  // namespace
}  // namespace aspect::window
