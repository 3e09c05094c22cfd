#pragma once

// Where the window opens on the screen, in the screen's pixels.
namespace aspect::window {

struct ScreenPlace {
    int left;
    int top;
    bool operator==(const ScreenPlace&) const = default;
};

// The top-left corner of a window `width` x `height` (frame included) in the
// work area at (areaLeft, areaTop), `areaWidth` x `areaHeight`: centred, and
// never above or left of the area, so that the title bar can always be reached
// and the window moved, even when the area is smaller than the window.
ScreenPlace PlaceInWorkArea(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width,
                            int height);

}  // namespace aspect::window
