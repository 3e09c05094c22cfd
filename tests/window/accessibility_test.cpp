// What a screen reader learns from the real window, read through Qt's
// accessibility interfaces, the same ones its AT-SPI bridge serves.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <gtest/gtest.h>

#include "language/homepage.h"
#include "language/language.h"
#include "support/row_name.h"
#include "window_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QAccessibleInterface* Of(RealWindow& win, Control c) {
    return QAccessible::queryAccessibleInterface(win.W(c));
}

// A window opened in English, or in Hungarian when nothing is stored.
struct Opened {
    explicit Opened(bool english) {
        if (english) store.Put("Software\\Morlane", "Language", {settings::kRegBinary, {1, 0}});
    }
    MemoryRegistry store;
};

struct ControlRow {
    const char* name;
    Control control;
    QAccessible::Role role;
    std::string_view english;
    std::string_view hungarian;
};

const ControlRow kControls[] = {
    {"WidthField", Control::txtW, QAccessible::EditableText, language::kWidthEnglish,
     language::kWidthHungarian},
    {"HeightField", Control::txtH, QAccessible::EditableText, language::kHeightEnglish,
     language::kHeightHungarian},
    {"LockBox", Control::chLock, QAccessible::CheckBox, language::kLockEnglish,
     language::kLockHungarian},
    {"EnglishFlag", Control::imgLangENG, QAccessible::Button, "English", "English"},
    {"HungarianFlag", Control::imgLangHUN, QAccessible::Button, "Magyar", "Magyar"},
    {"Link", Control::lblHomepage, QAccessible::Link, language::kHomepageCaption,
     language::kHomepageCaption},
    {"Title", Control::lblTitle, QAccessible::StaticText, language::kCaptionEnglish,
     language::kCaptionHungarian},
};

class NamedControl : public testing::TestWithParam<ControlRow> {};

TEST_P(NamedControl, HasItsRoleAndNameInEitherLanguage) {
    const ControlRow& row = GetParam();
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english ? "English" : "Hungarian");
        Opened opened(english);
        RealWindow win(opened.store);
        QAccessibleInterface* a = Of(win, row.control);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), row.role);
        EXPECT_EQ(a->text(QAccessible::Name), Q(english ? row.english : row.hungarian));
        EXPECT_FALSE(a->state().invisible);
    }
}

INSTANTIATE_TEST_SUITE_P(Controls, NamedControl, testing::ValuesIn(kControls),
                         testing_support::RowName());

TEST(ScreenReader, ResultIsReadAsItsValueAndDescribedAsTheRatio) {
    MemoryRegistry store;
    RealWindow win(store);
    QAccessibleInterface* result = Of(win, Control::lblResult);
    win.Type(Control::txtW, "1920");
    win.Type(Control::txtH, "1080");
    EXPECT_EQ(result->role(), QAccessible::StaticText);
    EXPECT_EQ(result->text(QAccessible::Name), "16 : 9");
    EXPECT_EQ(result->text(QAccessible::Description), Q(language::kResultHungarian));
    EXPECT_EQ(Of(win, Control::txtW)->text(QAccessible::Value), "1920");

    // Switching the language renames the result's purpose, not its value.
    Of(win, Control::imgLangENG)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(result->text(QAccessible::Name), "16 : 9");
    EXPECT_EQ(result->text(QAccessible::Description), Q(language::kResultEnglish));
    EXPECT_EQ(Of(win, Control::txtH)->text(QAccessible::Name), Q(language::kHeightEnglish));
}

TEST(ScreenReader, PressingTheFlagsSwitchesAndStoresTheLanguage) {
    MemoryRegistry store;
    RealWindow win(store);
    const struct {
        Control flag;
        std::string_view caption;
        std::uint8_t stored;
    } presses[] = {{Control::imgLangENG, language::kCaptionEnglish, 1},
                   {Control::imgLangHUN, language::kCaptionHungarian, 0}};
    for (const auto& press : presses) {
        QAccessibleActionInterface* action = Of(win, press.flag)->actionInterface();
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        action->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_EQ(win.form.windowTitle(), Q(press.caption));
        ASSERT_NE(store.Find("Software\\Morlane", "Language"), nullptr);
        EXPECT_EQ(store.Find("Software\\Morlane", "Language")->bytes,
                  (std::vector<std::uint8_t>{press.stored, 0}));
    }
}

TEST(ScreenReader, PressingTheLinkOpensTheHomePage) {
    MemoryRegistry store;
    RealWindow win(store);
    QAccessibleInterface* link = Of(win, Control::lblHomepage);
    EXPECT_TRUE(link->state().linked);
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(win.opened, QStringList{Q(language::kHomepageAddress)});
}

// Every control that a screen reader reaches by walking down from the window.
void Walk(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& seen) {
    seen.push_back(node);
    for (int i = 0; i < node->childCount(); ++i) Walk(node->child(i), seen);
}

TEST(ScreenReader, WalkingTheWindowFindsEveryControlNamedAndEveryLabelReadable) {
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, "1024");
    win.Type(Control::txtH, "768");
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&win.form);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), Q(language::kCaptionHungarian));
    std::vector<QAccessibleInterface*> seen;
    Walk(window, seen);

    for (const ControlRow& row : kControls) {
        EXPECT_NE(std::find(seen.begin(), seen.end(), Of(win, row.control)), seen.end())
            << row.name << " is reached from the window";
    }
    int used = 0;
    for (QAccessibleInterface* a : seen) {
        if (a->state().invisible) continue;
        const std::string what = a->object()->objectName().toStdString();
        switch (a->role()) {
            case QAccessible::EditableText:
            case QAccessible::CheckBox:
            case QAccessible::Button:
            case QAccessible::Link:
                ++used;
                EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << what << " has a name";
                break;
            case QAccessible::StaticText:
                // A label is read as the text it shows, never as something else.
                if (const auto* label = qobject_cast<QLabel*>(a->object());
                    label && label->pixmap().isNull()) {
                    EXPECT_EQ(a->text(QAccessible::Name), label->text()) << what;
                }
                break;
            default:
                break;
        }
    }
    EXPECT_EQ(used, 6) << "two fields, the check box, two flags and the link";
}

}  // namespace
}  // namespace aspect::window
