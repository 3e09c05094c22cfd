#pragma once

#include <QIcon>
#include <QImage>

#include "window/design.h"
#include "window/pictures.h"

namespace aspect::window {

QImage ToImage(const Bitmap& bitmap);

// The picture a picture control shows, at its natural size.
QImage PictureImage(PictureId id);

// The program's monitor icon drawn at any size, with a one-bit mask.
QImage MonitorIcon(int size);

// The window icon: the monitor at 16 and 32 pixels.
QIcon WindowIcon();

}  // namespace aspect::window
