#pragma once

#include <cmath>
#include <cstdint>

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"

namespace tilvex {

// The square quilt map: a map of the torus, plain trigonometric form or a
// double Fourier sum over the top-left depth x depth block of a 6 x 6 matrix.
class SqrMap {
public:
    SqrMap();

    Complex Iterate(const Complex& p);
    void Step();
    void StepDetailed();
    void Randomize(RandomSource& random);

    // Matrix access with the (i, j) -> i + j*coefCols convention; positions
    // outside coefRows x coefCols read as 0.0 and drop writes.
    double Coef(int i, int j) const;
    void SetCoef(int i, int j, double value);

    double x = 0.0, y = 0.0;
    double lastX = 0.0, lastY = 0.0;
    CDoubleArray coef;
    int coefRows = 6;
    int coefCols = 6;
    CDoubleArray angleX, angleY, sinX, cosY, sinY, cosX;
    double lambda = 0.0, alpha = 0.0, beta = 0.0, gamma = 0.0, omega = 0.0;
    double shiftX = 0.0, shiftY = 0.0;
    double emm = 0.0;
    std::uint16_t depth = 6;
    int detailed = 0;
    double twoPi = 6.283185307;
    // Plain-step scratch: a, 2a, 3a, b, 2b, 3b, sin a, sin b, sin 2a, sin 2b.
    double a = 0, a2 = 0, a3 = 0, b = 0, b2 = 0, b3 = 0, sinA = 0, sinB = 0, sin2A = 0, sin2B = 0;

private:
    int CoefIndex(int i, int j) const;
    void PlainStep();
};

// Reduction into [0, 1]: 1.0 stays 1.0, negative whole numbers become 1.0.
inline double ReduceToUnit(double v)
{
    if (v > 1.0) return v - std::trunc(v);
    if (v < 0.0) return v + (std::trunc(-v) + 1.0);
    return v;
}

}  // namespace tilvex
