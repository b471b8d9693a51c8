#pragma once

#include <cstdint>

#include "core/Complex.h"
#include "maps/QuiltStep.h"
#include "render/QuiltSnapshot.h"

namespace tilvex::studio {

// One orbit of a quilt's map and the maps it steps with (each orbit needs its
// own copy: a step keeps its working values in the map objects).
class Orbit {
public:
    // Starts from the unit point (u, v) as a new quilt of the kind does.
    Orbit(const QuiltSnapshot& quilt, double u, double v);

    // One step of the kind's map, the generation loop's own; the unit-square
    // position to count is (plotX, plotY).
    void Step() { AdvanceOrbit(kind_, knot_, maps_, *this); }

    Complex point, nextPoint;
    double plotX = 0.0, plotY = 0.0;

private:
    QuiltKind kind_;
    int knot_;
    QuiltMaps maps_;
};

// Start points of the chunks: 64-bit mixing of the seed and the chunk number.
std::uint64_t MixBits(std::uint64_t x);

}  // namespace tilvex::studio
