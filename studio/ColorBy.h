#pragma once

namespace tilvex::studio {

// What a pixel's colour map position comes from: its density (brightness
// alone), or the mean over its samples of the orbit's step direction, step
// length, or a coordinate blended along the orbit.
enum class ColorBy { Density, Direction, Speed, Blend };

}  // namespace tilvex::studio
