#pragma once

#include "studio/ColorMap.h"
#include "studio/Look.h"

namespace tilvex::studio {

// What colours each sample by the orbit's structure: the colour map at the
// direction of the step that made it, its length, or a coordinate blended
// along the orbit (half the last value, half the step's direction).
struct SampleColouring {
    ColorBy colorBy = ColorBy::Direction;
    ColorMap colours;
};

}  // namespace tilvex::studio
