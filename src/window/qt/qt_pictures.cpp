#include "qt_pictures.h"

#include <vector>

#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QRadialGradient>

namespace aspect::window {

QImage ToImage(const Bitmap& bitmap, int scale) {
    QImage image(bitmap.width * scale, bitmap.height * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgb c = bitmap.At(x / scale, y / scale);
            image.setPixel(x, y, qRgb(c.r, c.g, c.b));
        }
    }
    image.setDevicePixelRatio(scale);
    return image;
}

namespace {

// A small glossy red disc with a white curved mark.
QImage Emblem(int scale) {
    QImage image(16 * scale, 16 * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
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
QImage Logo(int scale) {
    QImage image(64 * scale, 64 * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
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

namespace {

// One piece of the monitor icon on its 32-unit grid: a closed polygon, or an
// open stroke when `closed` is false. An invalid colour draws nothing.
struct MonitorPart {
    std::vector<QPointF> points;
    bool closed = true;
    QColor fill;
    QColor stroke;
    double strokeWidth = 1;
    Qt::PenCapStyle cap = Qt::SquareCap;
};

// The one drawing behind the window icon, the desktop's icons and the SVG.
const std::vector<MonitorPart>& MonitorParts() {
    static const std::vector<MonitorPart> parts = {
        // Stand: neck and foot.
        {{{14, 23}, {18, 22}, {19, 27}, {15, 28}}, true, QColor(170, 170, 180), QColor(60, 60, 70)},
        {{{8, 28}, {24, 26}, {27, 29}, {10, 31}}, true, QColor(170, 170, 180), QColor(60, 60, 70)},
        // The monitor seen at an angle: the right edge is nearer, so taller.
        {{{1, 6}, {31, 2}, {31, 24}, {1, 22}}, true, QColor(40, 40, 48), QColor(15, 15, 20)},
        {{{3, 8}, {29, 4.5}, {29, 21.5}, {3, 20}}, true, QColor(225, 238, 250), QColor()},
        // The dark diagonal stroke across the screen.
        {{{7, 18}, {25, 7.5}}, false, QColor(), QColor(30, 40, 90), 2.2, Qt::RoundCap},
    };
    return parts;
}

QByteArray SvgNumber(double v) { return QByteArray::number(v, 'g', 6); }

QByteArray SvgColour(const QColor& c) {
    return c.isValid() ? c.name(QColor::HexRgb).toLatin1() : QByteArray("none");
}

}  // namespace

QImage MonitorIcon(int size, IconMask mask) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(size / 32.0, size / 32.0);
    // The small window icons are drawn pixel-sharp; the larger ones smooth.
    p.setRenderHint(QPainter::Antialiasing, mask == IconMask::Alpha || size > 32);
    for (const MonitorPart& part : MonitorParts()) {
        p.setPen(part.stroke.isValid()
                     ? QPen(part.stroke, part.strokeWidth, Qt::SolidLine, part.cap, Qt::BevelJoin)
                     : QPen(Qt::NoPen));
        p.setBrush(part.fill.isValid() ? QBrush(part.fill) : QBrush(Qt::NoBrush));
        const QPolygonF polygon(QList<QPointF>(part.points.begin(), part.points.end()));
        if (part.closed) {
            p.drawPolygon(polygon);
        } else {
            p.drawPolyline(polygon);
        }
    }
    p.end();
    if (mask == IconMask::Alpha) return image;
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

QByteArray MonitorSvg() {
    QByteArray svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
        "viewBox=\"0 0 32 32\">\n";
    for (const MonitorPart& part : MonitorParts()) {
        svg += part.closed ? "  <polygon points=\"" : "  <polyline points=\"";
        for (std::size_t i = 0; i < part.points.size(); ++i) {
            if (i > 0) svg += ' ';
            svg += SvgNumber(part.points[i].x()) + ',' + SvgNumber(part.points[i].y());
        }
        svg += "\" fill=\"" + SvgColour(part.fill) + "\" stroke=\"" + SvgColour(part.stroke) + '"';
        if (part.stroke.isValid()) {
            svg +=
                " stroke-width=\"" + SvgNumber(part.strokeWidth) + "\" stroke-linejoin=\"bevel\"";
            svg += part.cap == Qt::RoundCap ? " stroke-linecap=\"round\""
                                            : " stroke-linecap=\"square\"";
        }
        svg += "/>\n";
    }
    svg += "</svg>\n";
    return svg;
}

QIcon WindowIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(MonitorIcon(16)));
    icon.addPixmap(QPixmap::fromImage(MonitorIcon(32)));
    return icon;
}

QImage PictureImage(PictureId id, int scale) {
    switch (id) {
        case PictureId::FlagHungarian:
            return ToImage(HungarianFlag(), scale);
        case PictureId::FlagEnglish:
            return ToImage(EnglishFlag(), scale);
        case PictureId::FlagHungarianLit:
            return ToImage(LitFlag(HungarianFlag()), scale);
        case PictureId::FlagEnglishLit:
            return ToImage(LitFlag(EnglishFlag()), scale);
        case PictureId::Emblem:
            return Emblem(scale);
        case PictureId::Logo:
            return Logo(scale);
        case PictureId::None:
            break;
    }
    return {};
}

}  // namespace aspect::window
