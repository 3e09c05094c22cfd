#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "qt/qt_pictures.h"
#include "support/row_name.h"
#include "window/design.h"
#include "window_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

QColor TextColour(QLineEdit* field) { return field->palette().color(QPalette::Text); }

TEST(StartUp, WindowOpensAsDesignedAndPrepared) {
    MemoryRegistry store;
    RealWindow win(store);
    QtForm& f = win.form;
    EXPECT_EQ(f.size(), QSize(401, 409));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());  // not resizable
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowCloseButtonHint);

    EXPECT_EQ(f.focusWidget(), win.W(Control::txtW));
    EXPECT_EQ(win.Field(Control::txtW)->text(), "");
    EXPECT_EQ(win.Field(Control::txtH)->text(), "");
    EXPECT_FALSE(win.Lock()->isChecked());
    EXPECT_EQ(win.ResultText(), "");
    EXPECT_EQ(win.Label(Control::lblVersion)->text(), "v1.2.0");
    EXPECT_TRUE(win.W(Control::shpScr)->isHidden());
    EXPECT_TRUE(win.W(Control::imgLangENG_hl)->isHidden());
    EXPECT_TRUE(win.W(Control::imgLangHUN_hl)->isHidden());
    EXPECT_EQ(win.W(Control::imgLangENG_hl)->pos(), win.W(Control::imgLangENG)->pos());
    EXPECT_EQ(win.W(Control::imgLangHUN_hl)->pos(), win.W(Control::imgLangHUN)->pos());
    EXPECT_FALSE(f.Timer().isActive());
    EXPECT_EQ(win.W(Control::shp4_3)->x(), 80);
    EXPECT_EQ(win.W(Control::shp16_9)->x(), 40);
    EXPECT_EQ(win.W(Control::shp16_10)->x(), 56);
    // The version label keeps its right edge at 393 as it refits.
    EXPECT_EQ(win.W(Control::lblVersion)->geometry().right(), 392);
}

TEST(StartUp, FocusMovesWidthHeightLockAndBack) {
    MemoryRegistry store;
    RealWindow win(store);
    QWidget* order[] = {win.W(Control::txtW), win.W(Control::txtH), win.W(Control::chLock),
                        win.W(Control::txtW)};
    for (QWidget* w : order) {
        EXPECT_EQ(win.form.focusWidget(), w);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST(StartUp, FontsAreMetricCompatibleFaces) {
    MemoryRegistry store;
    RealWindow win(store);
    const QFontInfo field(win.Field(Control::txtW)->font());
    EXPECT_EQ(field.family(), "Liberation Sans");
    EXPECT_TRUE(field.bold());
    EXPECT_EQ(field.pixelSize(), 19);
    EXPECT_EQ(QFontInfo(win.Label(Control::lblResult)->font()).pixelSize(), 32);
    EXPECT_EQ(QFontInfo(win.Label(Control::lblTitle)->font()).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(win.Label(Control::lblTitle)->font()).pixelSize(), 21);
}

TEST(StartUp, WindowIconHasSixteenAndThirtyTwoPixelImagesWithOneBitMask) {
    const QIcon icon = WindowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    for (const int size : {16, 32}) {
        const QImage image = ToImage(MonitorIcon(size));
        int opaque = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int a = qAlpha(image.pixel(x, y));
                ASSERT_TRUE(a == 0 || a == 255) << x << "," << y;
                opaque += a == 255;
            }
        }
        EXPECT_GT(opaque, size * size / 3);
    }
}

struct TypedRow {
    const char* name;
    const char* w;
    const char* h;
    const char* caption;
    QRect preview;  // relative to the 16:9 frame's corner
};

const TypedRow kTyped[] = {
    {"FullHd", "1920", "1080", "16 : 9", QRect(0, 0, 320, 180)},
    {"WxgaShownAs16to10", "1280", "800", "16 : 10", QRect(16, 0, 288, 180)},
    {"Xga", "1024", "768", "4 : 3", QRect(40, 0, 240, 180)},
    {"WideBranch", "1366", "768", "683 : 384", QRect(0, 0, 320, 180)},
    {"UltraWide", "3440", "1440", "43 : 18", QRect(0, 23, 320, 134)},
    {"HeightTieToEven", "640", "5", "128 : 1", QRect(0, 89, 320, 2)},
    {"TallSliver", "1", "100", "1 : 100", QRect(159, 0, 2, 180)},
    {"SearchPassesExactTerm", "640", "464", "120 : 87", QRect(36, 0, 248, 180)},
    {"NoWholeTerm", "1280", "854", "1280 : 854", QRect(25, 0, 270, 180)},
};

class TypedEntry : public testing::TestWithParam<TypedRow> {};

TEST_P(TypedEntry, ResultAndPreviewInTheRealWindow) {
    const TypedRow& row = GetParam();
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, row.w);
    QTest::keyClick(win.Field(Control::txtW), Qt::Key_Tab);
    EXPECT_EQ(win.form.focusWidget(), win.W(Control::txtH));
    win.Type(Control::txtH, row.h);
    EXPECT_EQ(win.ResultText(), row.caption);
    QWidget* scr = win.W(Control::shpScr);
    EXPECT_FALSE(scr->isHidden());
    EXPECT_EQ(scr->geometry().translated(-win.W(Control::shp16_9)->pos()), row.preview);
}

INSTANTIATE_TEST_SUITE_P(Screens, TypedEntry, testing::ValuesIn(kTyped),
                         testing_support::RowName());

struct LockedRow {
    const char* name;
    const char* storedW;
    const char* storedH;
    Control edited;
    const char* typed;
    const char* expected;
    bool red;
};

const LockedRow kLocked[] = {
    {"HeightFromWidth", "1920", "1080", Control::txtW, "1280", "720", false},
    {"WidthFromHeight", "1920", "1080", Control::txtH, "1200", "2133", false},
    {"StoredEightToFive", "1280", "800", Control::txtW, "1000", "625", false},
    {"DoubleRounding", "2560", "1080", Control::txtW, "13", "6", false},
    {"LongResultUncutAndRed", "1", "100", Control::txtW, "1000", "100000", true},
    {"OutOfRange", "1", "5000", Control::txtW, "99999", "99999", true},
};

class LockedEntry : public testing::TestWithParam<LockedRow> {};

TEST_P(LockedEntry, ConvertsAfterARealClickOnTheCheckBox) {
    const LockedRow& row = GetParam();
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, row.storedW);
    win.Type(Control::txtH, row.storedH);
    const QString label = win.ResultText();
    win.ClickLock();
    ASSERT_TRUE(win.Lock()->isChecked());
    QLineEdit* edited = win.Field(row.edited);
    QLineEdit* other = win.Field(row.edited == Control::txtW ? Control::txtH : Control::txtW);
    edited->selectAll();
    QTest::keyClick(edited, Qt::Key_Backspace);
    win.recorder.Clear();
    win.Type(row.edited, row.typed);
    EXPECT_EQ(other->text(), row.expected);
    EXPECT_EQ(TextColour(other).rgb(),
              (row.red ? QColor(255, 0, 0) : win.form.Resolve(kButtonText)).rgb());
    EXPECT_EQ(win.ResultText(), label);
    // Each typed digit started one calculation; the writes into the other field none.
    const int typed = static_cast<int>(std::strlen(row.typed));
    EXPECT_EQ(win.recorder.Count(row.edited == Control::txtW ? "txtW_Change" : "txtH_Change"),
              typed);
}

INSTANTIATE_TEST_SUITE_P(Examples, LockedEntry, testing::ValuesIn(kLocked),
                         testing_support::RowName());

TEST(Fields, RefuseEverythingButDigitsAndBackspace) {
    MemoryRegistry store;
    RealWindow win(store);
    QLineEdit* w = win.Field(Control::txtW);
    win.Type(Control::txtW, "19a.- 2");
    EXPECT_EQ(w->text(), "192");
    QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClick(w, Qt::Key_Escape);
    QTest::keyClick(w, Qt::Key_Backspace);
    EXPECT_EQ(w->text(), "19");
    EXPECT_EQ(win.recorder.Count("txtW_Change"), 4);  // 1, 19, 192, 19
    EXPECT_EQ(win.ResultText(), "-");                 // empty height
}

TEST(Fields, SixthTypedCharacterIsRefused) {
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtH, "1234567");
    EXPECT_EQ(win.Field(Control::txtH)->text(), "12345");
    EXPECT_EQ(win.recorder.Count("txtH_Change"), 5);
}

TEST(Fields, PasteIsLimitedToFiveCharactersAndNotFiltered) {
    MemoryRegistry store;
    RealWindow win(store);
    QLineEdit* w = win.Field(Control::txtW);
    win.Type(Control::txtH, "12");
    QGuiApplication::clipboard()->setText(QStringLiteral("12ab345"));
    QTest::keyClick(w, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(w->text(), "12ab3");
    EXPECT_EQ(win.ResultText(), "1 : 1");  // read as 12
    // A full field takes nothing more from the clipboard.
    win.recorder.Clear();
    QTest::keyClick(w, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(w->text(), "12ab3");
    EXPECT_EQ(win.recorder.Count("txtW_Change"), 0);
}

TEST(Fields, PastedNumberBeyondThirtyTwoBitsIsAnInvalidEntry) {
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, "1920");
    win.Type(Control::txtH, "1080");
    QGuiApplication::clipboard()->setText(QStringLiteral("9e99"));
    QLineEdit* h = win.Field(Control::txtH);
    h->selectAll();
    QTest::keyClick(h, Qt::Key_Insert, Qt::ShiftModifier);
    ASSERT_EQ(h->text(), "9e99");
    EXPECT_EQ(win.ResultText(), "-");
    EXPECT_TRUE(win.W(Control::shpScr)->isHidden());
    // With the lock on, the same paste into the edited field fails the conversion.
    h->selectAll();
    win.Type(Control::txtH, "1080");
    win.ClickLock();
    h->selectAll();
    QTest::keyClick(h, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(win.Field(Control::txtW)->text(), "99999");
    EXPECT_EQ(TextColour(win.Field(Control::txtW)).rgb(), qRgb(255, 0, 0));
    // The window keeps working: the guard was released.
    h->selectAll();
    win.Type(Control::txtH, "900");
    EXPECT_EQ(win.Field(Control::txtW)->text(), "1600");
}

TEST(Fields, ControlShortcutsDoNothing) {
    MemoryRegistry store;
    RealWindow win(store);
    QLineEdit* w = win.Field(Control::txtW);
    win.Type(Control::txtW, "123");
    QGuiApplication::clipboard()->setText(QStringLiteral("9"));
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
    w->selectAll();
    QTest::keyClick(w, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->text(), "123");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "9");
}

TEST(Fields, DeleteKeyIsNotFiltered) {
    MemoryRegistry store;
    RealWindow win(store);
    QLineEdit* w = win.Field(Control::txtW);
    win.Type(Control::txtW, "123");
    QTest::keyClick(w, Qt::Key_Home);
    QTest::keyClick(w, Qt::Key_Delete);
    EXPECT_EQ(w->text(), "23");
}

TEST(Fields, ProgramTextLongerThanTheLimitCanBeShortenedNotGrown) {
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, "1");
    win.Type(Control::txtH, "5000");
    win.ClickLock();
    win.Field(Control::txtW)->clear();
    win.Type(Control::txtW, "4000");  // 1 : 5000 gives a height of 20000000
    QLineEdit* h = win.Field(Control::txtH);
    ASSERT_EQ(h->text(), "20000000");
    h->setFocus();
    h->end(false);
    QTest::keyClick(h, Qt::Key_5);
    EXPECT_EQ(h->text(), "20000000");
    QTest::keyClick(h, Qt::Key_Backspace);
    EXPECT_EQ(h->text(), "2000000");
}

TEST(Rendering, TellingPixels) {
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, "1024");
    win.Type(Control::txtH, "768");
    const QImage img = win.form.grab().toImage();
    ASSERT_EQ(img.size(), QSize(401, 409));  // nothing is drawn past x = 400
    EXPECT_EQ(QColor(img.pixel(240, 50)), QColor(Qt::white)) << "the header band";
    EXPECT_EQ(QColor(img.pixel(400, 10)), QColor(Qt::white)) << "the band reaches the edge";
    EXPECT_EQ(QColor(img.pixel(30, 300)), QColor(0xE0, 0xE0, 0xE0)) << "the grey panel";
    EXPECT_EQ(QColor(img.pixel(400, 70)).rgb(), win.form.Resolve(kButtonShadow).rgb())
        << "the line";
    // Reference outlines, left and right edges, at mid-height.
    for (const int x : {40, 359, 56, 343}) {
        EXPECT_EQ(QColor(img.pixel(x, 300)), QColor(Qt::black)) << "outline at x " << x;
    }
    // The 4:3 entry's preview lies exactly on the 4:3 outline: red dashes over black.
    int red = 0;
    for (int y = 193; y < 371; ++y) red += QColor(img.pixel(80, y)) == QColor(Qt::red);
    EXPECT_GT(red, 40);
    EXPECT_EQ(QColor(img.pixel(100, 300)), QColor(0xE0, 0xE0, 0xE0)) << "no fill";
}

struct PointerRow {
    const char* name;
    QPoint at;
    bool windowMoveEvent;
};

// Where the window's own move event fires: bare surface, the band and the
// line, never over the panel, the result box, labels or pictures.
const PointerRow kPointer[] = {
    {"BareBackground", QPoint(5, 150), true},   {"BareBand", QPoint(240, 50), true},
    {"LineOverBand", QPoint(230, 70), true},    {"GreyPanel", QPoint(30, 300), false},
    {"OutlineOnPanel", QPoint(40, 300), false}, {"ResultBox", QPoint(200, 140), false},
    {"Title", QPoint(100, 15), false},          {"Logo", QPoint(30, 30), false},
    {"Legend", QPoint(360, 395), false},        {"WidthField", QPoint(60, 90), false},
    {"CheckBox", QPoint(300, 90), false},
};

class PointerRule : public testing::TestWithParam<PointerRow> {};

TEST_P(PointerRule, WindowMoveEventOnlyOverBareSurface) {
    MemoryRegistry store;
    RealWindow win(store);
    QTest::mouseMove(&win.form, GetParam().at);
    EXPECT_EQ(win.recorder.Count("Form_MouseMove") > 0, GetParam().windowMoveEvent);
}

INSTANTIATE_TEST_SUITE_P(Places, PointerRule, testing::ValuesIn(kPointer),
                         testing_support::RowName());

}  // namespace
}  // namespace aspect::window
