// What only the Qt window has: its faces, its icon, and its own paste rule; the
// behaviour both windows share is in the real-window suite (tests/window/suite).
#include <QClipboard>
#include <QFontInfo>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "qt/qt_pictures.h"
#include "window_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

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

}  // namespace
}  // namespace aspect::window
