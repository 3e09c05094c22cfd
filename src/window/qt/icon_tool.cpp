// Writes the program's icon in the desktop's icon theme layout:
//   aspect-icon-tool <folder> <icon name>
// gives <folder>/hicolor/<n>x<n>/apps/<icon name>.png for each size and
// <folder>/hicolor/scalable/apps/<icon name>.svg. It only paints images, so it
// needs no application object and no window system.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QString>

#include "qt_pictures.h"

namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: aspect-icon-tool <folder> <icon name>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/");
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : kSizes) {
        const QString dir = root + QStringLiteral("%1x%1/apps/").arg(size);
        // The sizes the window icon has keep its one-bit mask: the same pixels
        // in the menu as in the title bar.
        const auto mask =
            size <= 32 ? aspect::window::IconMask::OneBit : aspect::window::IconMask::Alpha;
        if (!QDir().mkpath(dir) || !aspect::window::ToImage(aspect::window::MonitorIcon(size, mask))
                                        .save(dir + name + QStringLiteral(".png"))) {
            std::fprintf(stderr, "aspect-icon-tool: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    const QString scalable = root + QStringLiteral("scalable/apps/");
    if (!QDir().mkpath(scalable) ||
        !WriteFile(scalable + name + QStringLiteral(".svg"),
                   QByteArray::fromStdString(aspect::window::MonitorSvg()))) {
        std::fprintf(stderr, "aspect-icon-tool: cannot write %s\n", qPrintable(scalable));
        return 1;
    }
    return 0;
}
