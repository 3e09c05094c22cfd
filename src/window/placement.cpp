#include "window/placement.h"

#include <algorithm>

namespace aspect::window {

ScreenPlace PlaceInWorkArea(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width,
                            int height) {
    return {std::max(areaLeft, areaLeft + (areaWidth - width) / 2),
            std::max(areaTop, areaTop + (areaHeight - height) / 2)};
}

}  // namespace aspect::window
