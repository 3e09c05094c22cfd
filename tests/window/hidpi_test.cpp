// The real window at scale factor 2: this executable's tests run with
// QT_SCALE_FACTOR=2, so one device-independent pixel is two device pixels.
#include <QCursor>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "qt/qt_pictures.h"
#include "support/row_name.h"
#include "window/design.h"
#include "window/pictures.h"
#include "window_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

constexpr int kScale = 2;

QImage Grab(RealWindow& win) {
    QImage img = win.form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    img.setDevicePixelRatio(1);  // read it pixel by pixel, in device pixels
    return img;
}

// The lengths and starts of the runs of `colour` along a row of device pixels.
std::vector<std::pair<int, int>> Runs(const QImage& img, int y, QRgb colour) {
    std::vector<std::pair<int, int>> runs;  // (start, length)
    for (int x = 0; x < img.width(); ++x) {
        if (img.pixel(x, y) != colour) continue;
        if (!runs.empty() && runs.back().first + runs.back().second == x) {
            ++runs.back().second;
        } else {
            runs.emplace_back(x, 1);
        }
    }
    return runs;
}

TEST(HighDensity, RunsAtScaleTwo) {
    MemoryRegistry store;
    RealWindow win(store);
    ASSERT_EQ(win.form.devicePixelRatio(), kScale) << "this test must run at QT_SCALE_FACTOR=2";
    EXPECT_EQ(win.form.size(), QSize(kClientWidth, kClientHeight)) << "layout in logical pixels";
    const QImage img = Grab(win);
    EXPECT_EQ(img.size(), QSize(802, 818));
}

TEST(HighDensity, EveryOutlineIsTwoDevicePixelsWide) {
    MemoryRegistry store;
    RealWindow win(store);
    const QImage img = Grab(win);
    const QRgb black = qRgb(0, 0, 0);
    // Across the panel at mid-height: the left and right edges of 16:9, 16:10, 4:3.
    const std::vector<std::pair<int, int>> across = Runs(img, 2 * 300, black);
    const std::vector<std::pair<int, int>> expected = {{2 * 40, 2},  {2 * 56, 2},  {2 * 80, 2},
                                                       {2 * 319, 2}, {2 * 343, 2}, {2 * 359, 2}};
    EXPECT_EQ(across, expected);
    // Down the panel inside all three: their shared top and bottom edges.
    std::vector<int> rows;
    for (int y = 2 * 176; y < 2 * 385; ++y) {
        if (img.pixel(2 * 150, y) == black) rows.push_back(y);
    }
    EXPECT_EQ(rows, (std::vector<int>{2 * 192, 2 * 192 + 1, 2 * 371, 2 * 371 + 1}));
    // The separator line under the band.
    const QRgb shadow = win.form.Resolve(kButtonShadow).rgb();
    for (const int y : {139, 140, 141, 142}) {
        EXPECT_EQ(img.pixel(2 * 230, y) == shadow, y == 140 || y == 141) << "line row " << y;
    }
}

TEST(HighDensity, FlagsAreTheirPixelsDoubledWithoutBlur) {
    MemoryRegistry store;
    RealWindow win(store);
    const QImage img = Grab(win);
    const struct {
        Control control;
        Bitmap bitmap;
    } flags[] = {{Control::imgLangHUN, HungarianFlag()}, {Control::imgLangENG, EnglishFlag()}};
    for (const auto& [control, bitmap] : flags) {
        const QPoint at = win.W(control)->pos() * kScale;
        for (int y = 0; y < bitmap.height; ++y) {
            for (int x = 0; x < bitmap.width; ++x) {
                const Rgb c = bitmap.At(x, y);
                for (int d = 0; d < kScale * kScale; ++d) {
                    const QPoint p = at + QPoint(2 * x + d % kScale, 2 * y + d / kScale);
                    ASSERT_EQ(img.pixel(p), qRgb(c.r, c.g, c.b))
                        << win.W(control)->objectName().toStdString() << " pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST(HighDensity, PaintedPicturesAreDrawnAtDoubleSize) {
    MemoryRegistry store;
    RealWindow win(store);
    const QImage img = Grab(win);
    for (const auto& [control, picture] : {std::pair{Control::Image3, PictureId::Logo},
                                           std::pair{Control::Image2, PictureId::Emblem}}) {
        const QImage fine = PictureImage(picture, kScale).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(fine.size(), win.W(control)->size() * kScale);
        QImage shown = img.copy(QRect(win.W(control)->pos() * kScale, fine.size()));
        shown.setDevicePixelRatio(kScale);
        EXPECT_EQ(shown, fine) << win.W(control)->objectName().toStdString();
    }
}

TEST(HighDensity, BandEndsAtTheWindowEdge) {
    MemoryRegistry store;
    RealWindow win(store);
    const QImage img = Grab(win);
    ASSERT_EQ(img.width(), 802) << "nothing past the right edge";
    EXPECT_EQ(img.pixel(801, 2 * 50), qRgb(255, 255, 255)) << "the band's last device column";
    EXPECT_EQ(img.pixel(801, 2 * 72 + 1), qRgb(255, 255, 255)) << "the band's last device row";
    EXPECT_NE(img.pixel(801, 2 * 73), qRgb(255, 255, 255)) << "below the band";
}

TEST(HighDensity, PreviewFitsTheSixteenByNineFrameExactly) {
    MemoryRegistry store;
    RealWindow win(store);
    win.Type(Control::txtW, "1920");
    win.Type(Control::txtH, "1080");
    EXPECT_EQ(win.W(Control::shpScr)->geometry(), win.W(Control::shp16_9)->geometry());
    const QImage img = Grab(win);
    const QRgb red = qRgb(255, 0, 0);
    // Between its top and bottom edges, red dashes lie on the frame's two device
    // columns, and on nothing beside them.
    for (const int x : {78, 79, 80, 81, 82, 83}) {
        int count = 0;
        for (int y = 2 * 193; y < 2 * 371; ++y) count += img.pixel(x, y) == red;
        if (x == 80 || x == 81) {
            EXPECT_GT(count, 2 * 178 / 3) << "column " << x;
        } else {
            EXPECT_EQ(count, 0) << "column " << x;
        }
    }
}

struct PointerRow {
    const char* name;
    QPoint fromFarCorner;  // from the frame's bottom-right pixel, logical
    bool stays;
};

// The pointer and the window's bounds are both in device-independent pixels:
// counting either in device pixels moves the far edge by a whole window.
const PointerRow kPointer[] = {
    {"InsideNearTheFarCorner", QPoint(-2, -2), true},
    {"JustPastTheRightEdge", QPoint(3, -2), false},
    {"JustBelowTheBottomEdge", QPoint(-2, 3), false},
};

class HighDensityPointer : public testing::TestWithParam<PointerRow> {};

TEST_P(HighDensityPointer, LeaveTimerComparesLikeUnits) {
    MemoryRegistry store;
    RealWindow win(store);
    QTest::mouseMove(&win.form, Centre(win.W(Control::imgLangHUN)));
    ASSERT_FALSE(win.W(Control::imgLangHUN_hl)->isHidden());
    QCursor::setPos(win.form.frameGeometry().bottomRight() + GetParam().fromFarCorner);
    QTest::qWait(3 * kTimerInterval);
    EXPECT_EQ(!win.W(Control::imgLangHUN_hl)->isHidden(), GetParam().stays);
}

INSTANTIATE_TEST_SUITE_P(Places, HighDensityPointer, testing::ValuesIn(kPointer),
                         testing_support::RowName());

}  // namespace
}  // namespace aspect::window
