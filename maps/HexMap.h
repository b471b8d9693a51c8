#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"

namespace tilvex {

// The hexagonal quilt map. (Skeleton: the full field list in declaration
// order, constants and algorithms belong to the hex map unit.)
class HexMap {
public:
    HexMap();

    void Randomize(RandomSource& random, int detailFlag);
    void SetGeometry(double n);
    Complex Iterate(Complex p);
    Complex IterateKnot(Complex p);
    Complex FoldToCell(Complex p);
    Complex PixelToLattice(int px, int py);
    Complex GetDetailCoefficient(int k);
    void SetDetailCoefficient(int k, Complex c);
    void ExpandDetailCoefficient(int k);

    double halfHeight = 0.0;  // h = cos(pi/6)
    Complex alpha, lambda;
    double hEmm = 0.0, hAlpha = 0.0;
    int detailed = 0;
    int depth = 11;
    int knot = 0;
    double tileWidth = 0.0, tileHeight = 0.0;
};

}  // namespace tilvex
