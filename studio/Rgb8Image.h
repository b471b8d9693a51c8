#pragma once

#include <cstddef>
#include <vector>

#include "studio/ColorMap.h"

namespace tilvex::studio {

// A picture quantised to 8 bits a channel, top row first: thumbnails, contact
// sheets and previews, small enough to keep whole.
struct Rgb8Image {
    int width = 0, height = 0;
    std::vector<Rgb8> pixels;

    const Rgb8* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

}  // namespace tilvex::studio
