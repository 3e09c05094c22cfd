#pragma once

#include <QIcon>
#include <QImage>

#include "window/pictures.h"

// The built-in pictures as Qt images.
namespace aspect::window {

// The bitmap's pixels as they are, shown at `devicePixelRatio` of them to a design pixel.
QImage ToImage(const Bitmap& bitmap, int devicePixelRatio = 1);
QImage ToImage(const RgbaImage& image);

// What a picture control shows, drawn with `scale` device pixels to each design pixel.
QImage PictureImage(PictureId id, int scale = 1);

// The window icon: the monitor at 16 and 32 pixels.
QIcon WindowIcon();

}  // namespace aspect::window
