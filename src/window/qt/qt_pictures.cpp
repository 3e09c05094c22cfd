#include "qt_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace aspect::window {

QImage ToImage(const Bitmap& bitmap) {
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const Rgb c = bitmap.At(x, y);
            image.setPixel(x, y, qRgb(c.r, c.g, c.b));
        }
    }
    return image;
}

namespace {

// A small glossy red disc with a white curved mark.
QImage Emblem() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gloss(QPointF(6, 5), 9);
    gloss.setColorAt(0, QColor(255, 140, 140));
    gloss.setColorAt(0.45, QColor(220, 20, 30));
    gloss.setColorAt(1, QColor(130, 0, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QPen mark(Qt::white, 1.6);
    mark.setCapStyle(Qt::RoundCap);
    p.setPen(mark);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 8, 8), 200 * 16, 200 * 16);
    return image;
}

// A widescreen monitor on a silver stand, its white screen crossed by a black
// double-headed arrow from lower left to upper right.
QImage Logo() {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Stand: neck and foot.
    QLinearGradient silver(0, 44, 0, 58);
    silver.setColorAt(0, QColor(225, 225, 230));
    silver.setColorAt(1, QColor(150, 150, 160));
    p.setPen(QPen(QColor(110, 110, 120), 1));
    p.setBrush(silver);
    p.drawRect(QRectF(28.5, 44.5, 7, 8));
    p.drawRoundedRect(QRectF(16.5, 52.5, 31, 5), 2, 2);
    // Bezel and screen, 16:9.
    p.setBrush(QColor(45, 45, 52));
    p.setPen(QPen(QColor(20, 20, 25), 1));
    p.drawRoundedRect(QRectF(2.5, 9.5, 59, 35), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const QRectF screen(5.5, 12.5, 53, 29);
    p.drawRect(screen);
    // The arrow, with a head at each end.
    const QPointF a(screen.left() + 6, screen.bottom() - 5);
    const QPointF b(screen.right() - 6, screen.top() + 5);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    const QLineF shaft(a, b);
    const QPointF dir = (b - a) / shaft.length();
    p.drawLine(a + dir * 4, b - dir * 4);
    const QPointF normal(-dir.y(), dir.x());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const auto& [tip, back] : {std::pair{b, -dir}, std::pair{a, dir}}) {
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(tip + back * 7 + normal * 4);
        head.lineTo(tip + back * 7 - normal * 4);
        head.closeSubpath();
        p.drawPath(head);
    }
    return image;
}

}  // namespace

QImage MonitorIcon(int size) {
    // Drawn on a 32-unit grid and scaled; the mask is one bit, so the
    // outline is drawn without blending into the background.
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(size / 32.0, size / 32.0);
    p.setRenderHint(QPainter::Antialiasing, size > 32);
    // Stand.
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(QColor(170, 170, 180));
    p.drawPolygon(QPolygonF({QPointF(14, 23), QPointF(18, 22), QPointF(19, 27), QPointF(15, 28)}));
    p.drawPolygon(
        QPolygonF({QPointF(8, 28), QPointF(24, 26), QPointF(27, 29), QPointF(10, 31)}));
    // The monitor seen at an angle: the right edge is nearer, so taller.
    p.setBrush(QColor(40, 40, 48));
    p.setPen(QPen(QColor(15, 15, 20), 1));
    p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(31, 2), QPointF(31, 24), QPointF(1, 22)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(225, 238, 250));
    p.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(29, 4.5), QPointF(29, 21.5), QPointF(3, 20)}));
    // The dark diagonal stroke across the screen.
    p.setPen(QPen(QColor(30, 40, 90), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 18), QPointF(25, 7.5));
    p.end();
    // One-bit transparency: every pixel is either the picture or nothing.
    for (int y = 0; y < size; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size; ++x) {
            const QRgb c = line[x];
            line[x] = qAlpha(c) >= 128 ? qRgb(qRed(c), qGreen(c), qBlue(c)) : qRgba(0, 0, 0, 0);
        }
    }
    return image;
}

QIcon WindowIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(MonitorIcon(16)));
    icon.addPixmap(QPixmap::fromImage(MonitorIcon(32)));
    return icon;
}

QImage PictureImage(PictureId id) {
    switch (id) {
        case PictureId::FlagHungarian:
            return ToImage(HungarianFlag());
        case PictureId::FlagEnglish:
            return ToImage(EnglishFlag());
        case PictureId::FlagHungarianLit:
            return ToImage(LitFlag(HungarianFlag()));
        case PictureId::FlagEnglishLit:
            return ToImage(LitFlag(EnglishFlag()));
        case PictureId::Emblem:
            return Emblem();
        case PictureId::Logo:
            return Logo();
        case PictureId::None:
            break;
    }
    return {};
}

}  // namespace aspect::window
