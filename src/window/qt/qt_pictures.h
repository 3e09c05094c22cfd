#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

#include "window/design.h"
#include "window/pictures.h"

namespace aspect::window {

// The bitmap with each pixel repeated as a `scale`-by-`scale` block, at that device pixel ratio.
QImage ToImage(const Bitmap& bitmap, int scale = 1);

// The picture a picture control shows, at its natural size in device-independent
// pixels, drawn with `scale` device pixels to each of them: the fixed-pixel flags
// repeat every pixel as a scale-by-scale block, the painted pictures are painted
// finer, so that neither is blurred by scaling on a high-density screen.
QImage PictureImage(PictureId id, int scale = 1);

// How the monitor icon's edge meets the background.
enum class IconMask {
    OneBit,  // the window icon's mask: every pixel is the picture or nothing
    Alpha,   // smooth edges, for the desktop's larger icon sizes
};

// The program's monitor icon drawn at any size.
QImage MonitorIcon(int size, IconMask mask = IconMask::OneBit);

// The same monitor as a scalable SVG document on the icon's 32-unit grid.
QByteArray MonitorSvg();

// The window icon: the monitor at 16 and 32 pixels.
QIcon WindowIcon();

}  // namespace aspect::window
