#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"

namespace tilvex {

// The Wild Corner map. (Skeleton: fields and algorithms belong to its unit.)
// Construction makes one call of the program's rand, before the start-up palette.
class WildCornerMap {
public:
    WildCornerMap();

    void Randomize(int n, int k, RandomSource& random);
    Complex Iterate(Complex p);
    void BuildFrequencies(int n);
    Complex GetCoefficient(int k);
    void SetCoefficient(int k, Complex c);

    int rowCount = 0;
    int cornerN = 0;
    int depth = 11;
};

}  // namespace tilvex
