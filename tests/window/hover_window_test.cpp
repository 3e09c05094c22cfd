#include <QCursor>
#include <QFile>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "language/homepage.h"
#include "language/hover.h"
#include "language/language.h"
#include "settings/file_registry.h"
#include "window_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

QRgb LinkColour(RealWindow& win) {
    return win.Label(Control::lblHomepage)->palette().color(QPalette::WindowText).rgb();
}
bool LinkUnderlined(RealWindow& win) { return win.Label(Control::lblHomepage)->font().underline(); }

// Puts the pointer outside the window and waits for more than one timer interval.
void LeaveWindow(RealWindow& win) {
    QCursor::setPos(win.form.frameGeometry().topLeft() - QPoint(3, 3));
    QTest::qWait(3 * kTimerInterval);
}

TEST(HoverWindow, FlagsLightOneAtATimeAndStraightMovesSwitch) {
    MemoryRegistry store;
    RealWindow win(store);
    QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangENG)));
    EXPECT_FALSE(win.W(Control::imgLangENG_hl)->isHidden());
    EXPECT_TRUE(win.form.Timer().isActive());
    // Further moves over the spot reach the lit twin, which has no move handler.
    QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangENG)) + QPoint(2, 1));
    EXPECT_EQ(win.recorder.Count("imgLangENG_MouseMove"), 1);

    QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangHUN)));
    EXPECT_TRUE(win.W(Control::imgLangENG_hl)->isHidden());
    EXPECT_FALSE(win.W(Control::imgLangHUN_hl)->isHidden());
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 2);

    QTest::mouseMove(&win.form, QPoint(240, 50));  // bare header band
    EXPECT_TRUE(win.W(Control::imgLangHUN_hl)->isHidden());
    EXPECT_FALSE(win.form.Timer().isActive());
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 0);
}

TEST(HoverWindow, OtherControlsKeepTheHighlightUntilThePointerLeaves) {
    MemoryRegistry store;
    RealWindow win(store);
    QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangHUN)));
    for (const Control c : {Control::txtW, Control::chLock, Control::lblResult, Control::Label3,
                            Control::lblTitle, Control::Image3}) {
        QTest::mouseMove(&win.form, Centre(win.W(c)));
        EXPECT_FALSE(win.W(Control::imgLangHUN_hl)->isHidden())
            << win.W(c)->objectName().toStdString();
    }
    QCursor::setPos(win.form.mapToGlobal(Centre(win.W(Control::txtW))));
    QTest::qWait(3 * kTimerInterval);
    EXPECT_FALSE(win.W(Control::imgLangHUN_hl)->isHidden())
        << "inside the window the timer keeps it";
    LeaveWindow(win);
    EXPECT_TRUE(win.W(Control::imgLangHUN_hl)->isHidden());
    EXPECT_FALSE(win.form.Timer().isActive());
}

TEST(HoverWindow, LinkLightsUnderlinedAndClearsWhenLeavingTheWindowFromIt) {
    MemoryRegistry store;
    RealWindow win(store);
    EXPECT_EQ(LinkColour(win), qRgb(0, 92, 230));
    EXPECT_FALSE(LinkUnderlined(win));
    QTest::mouseMove(&win.form, Centre(win.W(Control::lblHomepage)));
    EXPECT_EQ(LinkColour(win), qRgb(36, 124, 255));
    EXPECT_TRUE(LinkUnderlined(win));
    LeaveWindow(win);
    EXPECT_EQ(LinkColour(win), qRgb(0, 92, 230));
    EXPECT_FALSE(LinkUnderlined(win));
    EXPECT_FALSE(win.form.Timer().isActive());
}

TEST(HoverWindow, ClickOnTheLitTwinSwitchesLanguageAndKeepsTheHighlight) {
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, "1920");
    // While the twin is hidden a click on the spot reaches the plain flag: nothing happens.
    QTest::mouseClick(win.W(Control::imgLangENG), Qt::LeftButton);
    EXPECT_EQ(win.form.windowTitle().toStdString(), language::kCaptionHungarian);
    EXPECT_EQ(store.Find("Software\\Morlane", "Language"), nullptr);

    QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangENG)));
    win.ClickAt(Centre(win.W(Control::imgLangENG)));
    EXPECT_EQ(win.form.windowTitle().toStdString(), language::kCaptionEnglish);
    EXPECT_EQ(win.Label(Control::lblTitle)->text(), win.form.windowTitle());
    EXPECT_EQ(win.Lock()->text().toStdString(), language::kLockEnglish);
    ASSERT_NE(store.Find("Software\\Morlane", "Language"), nullptr);
    EXPECT_EQ(store.Find("Software\\Morlane", "Language")->bytes,
              (std::vector<std::uint8_t>{1, 0}));
    EXPECT_FALSE(win.W(Control::imgLangENG_hl)->isHidden());
    EXPECT_EQ(win.Field(Control::txtW)->text(), "1920");
    EXPECT_EQ(win.ResultText(), "-");
}

TEST(HoverWindow, FailingStoreStillSwitchesTheCaptions) {
    MemoryRegistry store;
    store.failWrites = true;
    RealWindow win(store);
    QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangENG)));
    win.ClickAt(Centre(win.W(Control::imgLangENG)));
    EXPECT_EQ(win.form.windowTitle().toStdString(), language::kCaptionEnglish);
    RealWindow next(store);
    EXPECT_EQ(next.form.windowTitle().toStdString(), language::kCaptionHungarian);
}

TEST(HoverWindow, StoredAllBitsOpensInEnglish) {
    MemoryRegistry store;
    store.Put("software\\MORLANE", "Language", {settings::kRegBinary, {0xFF, 0xFF}});
    RealWindow win(store);
    EXPECT_EQ(win.form.windowTitle().toStdString(), language::kCaptionEnglish);
    EXPECT_EQ(win.Label(Control::lblTitle)->text().toStdString(), language::kCaptionEnglish);
}

TEST(HoverWindow, EachLinkClickOpensTheHomePageOnce) {
    MemoryRegistry store;
    RealWindow win(store);
    const QPoint link = Centre(win.W(Control::lblHomepage));
    QTest::mouseMove(&win.form, link);
    win.ClickAt(link);
    win.ClickAt(link);
    win.ClickAt(link, Qt::RightButton);
    EXPECT_EQ(win.opened.size(), 2u);
    EXPECT_EQ(win.opened.value(0).toStdString(), language::kHomepageAddress);
    EXPECT_TRUE(LinkUnderlined(win)) << "a click leaves the highlight";
}

}  // namespace
}  // namespace aspect::window

namespace aspect::window {
namespace {

TEST(Persistence, ChosenLanguageSurvivesARestartInTheUsersSettingsFile) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const std::string path = (config.path() + "/Morlane/registry.reg").toStdString();
    {
        settings::FileRegistry store(path);
        RealWindow win(store);
        EXPECT_EQ(win.form.windowTitle().toStdString(), language::kCaptionHungarian);
        QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangENG)));
        win.ClickAt(Centre(win.W(Control::imgLangENG)));
    }
    {
        settings::FileRegistry store(path);
        RealWindow win(store);
        EXPECT_EQ(win.form.windowTitle().toStdString(), language::kCaptionEnglish);
        EXPECT_EQ(win.Lock()->text().toStdString(), language::kLockEnglish);
    }
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith("Windows Registry Editor Version 5.00")) << text.toStdString();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Morlane]")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"Language\"=hex:01,00")) << text.toStdString();
}

}  // namespace
}  // namespace aspect::window
