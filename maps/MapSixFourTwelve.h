#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"

namespace tilvex {

// The 4-6-12 tiling quilt map. (Skeleton: fields and algorithms belong to its unit.)
class MapSixFourTwelve {
public:
    MapSixFourTwelve();

    void Randomize(RandomSource& random);
    // p is overwritten with its folded position; returns the canonical point.
    Complex Iterate(Complex& p);
    Complex FoldToCell(Complex& p);

    int tileType = 0;
    Complex dodecagonCenter;
    Complex upperDodecagonCenter;
};

}  // namespace tilvex
