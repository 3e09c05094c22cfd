#include "qt_pictures.h"

#include <QPixmap>

namespace aspect::window {

QImage ToImage(const Bitmap& bitmap, int devicePixelRatio) {
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.width; ++x) {
            const Rgb c = bitmap.At(x, y);
            line[x] = qRgb(c.r, c.g, c.b);
        }
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QImage ToImage(const RgbaImage& rgba) {
    QImage image(rgba.width, rgba.height, QImage::Format_ARGB32);
    for (int y = 0; y < rgba.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < rgba.width; ++x) {
            const Rgba c = rgba.At(x, y);
            line[x] = qRgba(c.r, c.g, c.b, c.a);
        }
    }
    return image;
}

QImage PictureImage(PictureId id, int scale) {
    if (id == PictureId::None) return {};
    return ToImage(PictureBitmap(id, scale), scale);
}

QIcon WindowIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(ToImage(MonitorIcon(16))));
    icon.addPixmap(QPixmap::fromImage(ToImage(MonitorIcon(32))));
    return icon;
}

}  // namespace aspect::window
