#include "language/language.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "language/homepage.h"
#include "support/fake_form.h"
#include "support/memory_registry.h"
#include "support/row_name.h"
#include "window/frm_main.h"

namespace aspect::language {
namespace {

using port::Control;
using testing_support::FakeForm;
using testing_support::MemoryRegistry;

constexpr const char* kKey = "Software\\Morlane";

struct Started {
    FakeForm form;
    MemoryRegistry store;
    window::FrmMain frm{form, store};

    explicit Started(const std::vector<std::uint8_t>* stored = nullptr) {
        if (stored) store.Put(kKey, "Language", {settings::kRegBinary, *stored});
        form.Bind(frm);
        frm.Form_Load();
    }
    std::string Caption(Control c) const { return form.At(c).caption; }
};

struct StoredRow {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool english;
};

const StoredRow kStored[] = {
    {"English", {0x01, 0x00}, true},
    {"Hungarian", {0x00, 0x00}, false},
    {"AllBitsSetIsEnglish", {0xFF, 0xFF}, true},
    {"HighByteOnlyIsEnglish", {0x00, 0x01}, true},
    {"OneByteEnglish", {0x01}, true},
    {"FourBytesCannotBeRead", {0x01, 0x00, 0x00, 0x00}, false},
};

class StartUpLanguage : public testing::TestWithParam<StoredRow> {};

TEST_P(StartUpLanguage, OpensInTheStoredLanguage) {
    const Started s(&GetParam().bytes);
    const bool en = GetParam().english;
    EXPECT_EQ(s.Caption(Control::frmMain), en ? kCaptionEnglish : kCaptionHungarian);
    EXPECT_EQ(s.Caption(Control::chLock), en ? kLockEnglish : kLockHungarian);
    EXPECT_EQ(s.Caption(Control::lblTitle), s.Caption(Control::frmMain));
    EXPECT_EQ(s.frm.Language().AppLang() != 0, en);
    EXPECT_EQ(s.form.toolkitLanguage != 0, en) << "the toolkit's own texts too";
    EXPECT_EQ(s.store.openKeys, 0) << "every key opened is closed";
}

INSTANTIATE_TEST_SUITE_P(Values, StartUpLanguage, testing::ValuesIn(kStored),
                         testing_support::RowName());

TEST(StartUpLanguage, NothingStoredOpensInHungarianAndStoresNothing) {
    const Started s;
    EXPECT_EQ(s.Caption(Control::frmMain), "K\u00e9par\u00e1ny sz\u00e1mol\u00f3");
    EXPECT_EQ(s.Caption(Control::chLock), "Ar\u00e1ny z\u00e1rol\u00e1sa");
    EXPECT_EQ(s.Caption(Control::lblTitle), s.Caption(Control::frmMain));
    EXPECT_EQ(s.store.Find(kKey, "Language"), nullptr);
}

TEST(FlagClick, StoresFirstThenSwitchesTheThreeCaptions) {
    Started s;
    s.form.UserSetsText(Control::txtW, "1920");
    s.form.UserSetsText(Control::txtH, "1080");
    s.form.At(Control::chLock).value = 1;
    s.frm.imgLangENG_MouseMove();
    const auto before = s.form;  // every control as it stood

    s.frm.imgLangENG_hl_Click();
    const auto* v = s.store.Find(kKey, "Language");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, settings::kRegBinary);
    EXPECT_EQ(v->bytes, (std::vector<std::uint8_t>{0x01, 0x00}));
    EXPECT_EQ(s.Caption(Control::frmMain), kCaptionEnglish);
    EXPECT_EQ(s.Caption(Control::chLock), kLockEnglish);
    EXPECT_EQ(s.Caption(Control::lblTitle), kCaptionEnglish);
    EXPECT_EQ(s.form.toolkitLanguage, 1);
    // Nothing else changes: fields, result, preview, lock state, highlight.
    for (const Control c : {Control::txtW, Control::txtH, Control::lblResult}) {
        EXPECT_EQ(s.form.At(c).caption, before.At(c).caption);
    }
    EXPECT_EQ(s.form.At(Control::shpScr).width, before.At(Control::shpScr).width);
    EXPECT_EQ(s.form.At(Control::shpScr).visible, before.At(Control::shpScr).visible);
    EXPECT_EQ(s.form.At(Control::chLock).value, 1);
    EXPECT_TRUE(s.form.At(Control::imgLangENG_hl).visible);
    EXPECT_EQ(s.frm.Hover().HoverState(), 1);
    EXPECT_TRUE(s.form.timerEnabled);

    s.frm.imgLangHUN_hl_Click();
    EXPECT_EQ(s.store.Find(kKey, "Language")->bytes, (std::vector<std::uint8_t>{0x00, 0x00}));
    EXPECT_EQ(s.Caption(Control::frmMain), kCaptionHungarian);
    EXPECT_EQ(s.Caption(Control::lblTitle), kCaptionHungarian);
}

TEST(FlagClick, SameLanguageIsStoredAgain) {
    const std::vector<std::uint8_t> english{0x01, 0x00};
    Started s(&english);
    s.store.Put(kKey, "Language", {settings::kRegNone, {0x01, 0x00}});
    s.frm.imgLangENG_hl_Click();
    EXPECT_EQ(s.store.Find(kKey, "Language")->type, settings::kRegBinary);
    EXPECT_EQ(s.Caption(Control::frmMain), kCaptionEnglish);
}

TEST(FlagClick, FailedSaveStillSwitchesAndNextStartShowsTheOldLanguage) {
    Started s;
    s.store.failWrites = true;
    s.frm.imgLangENG_hl_Click();
    EXPECT_EQ(s.Caption(Control::frmMain), kCaptionEnglish);
    EXPECT_EQ(s.Caption(Control::lblTitle), kCaptionEnglish);

    FakeForm next;
    window::FrmMain again(next, s.store);
    next.Bind(again);
    again.Form_Load();
    EXPECT_EQ(next.At(Control::frmMain).caption, kCaptionHungarian);
}

TEST(Homepage, EachClickOpensTheAddressOnceAndKeepsTheHighlight) {
    Started s;
    s.frm.lblHomepage_MouseMove();
    s.frm.lblHomepage_Click();
    s.frm.lblHomepage_Click();
    EXPECT_EQ(s.form.opened, (std::vector<std::string>{std::string(kHomepageAddress),
                                                       std::string(kHomepageAddress)}));
    EXPECT_EQ(s.frm.Hover().HoverState(), 3);
    EXPECT_EQ(s.form.At(Control::lblHomepage).fore, kLinkHover);
    EXPECT_TRUE(s.form.At(Control::lblHomepage).underline);
}

TEST(Homepage, TheLinkShowsTheAddress) {
    const Started s;
    EXPECT_NE(std::string(kHomepageAddress).find(s.Caption(Control::lblHomepage)),
              std::string::npos);
}

}  // namespace
}  // namespace aspect::language
