#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"

namespace tilvex {

// The hexagonal quilt map: a sum of three-fold rotated waves periodic on the
// lattice spanned by (1, 0) and (1/2, h), folded into the triangle
// (0, 0), (1, 0), (1/2, h), or reduced in lattice coordinates for the knot form.
// Fields keep their declaration order, which the session record follows; every
// intermediate value of a step lives in a field, so a step allocates nothing.
class HexMap {
public:
    static constexpr int kHarmonics = 12;

    HexMap();

    void Randomize(RandomSource& random, int detailFlag);
    void SetGeometry(double n);
    Complex Iterate(Complex p);
    Complex IterateKnot(Complex p);
    Complex FoldToCell(Complex p);
    Complex PixelToLattice(int px, int py) { return PixelToLattice(static_cast<double>(px), static_cast<double>(py)); }
    Complex PixelToLattice(double px, double py);
    Complex GetDetailCoefficient(int k) const;
    void SetDetailCoefficient(int k, Complex c);
    void ExpandDetailCoefficient(int k);

    // Leaves the plain or detailed sum for z in w.
    void Sum();
    void PlainSum();
    void DetailedSum();

    Complex z;
    Complex w;
    Complex sines[3];
    Complex acc;
    Complex reservedPoint1, reservedPoint2;  // session record only
    Complex omega3;
    Complex waveC[3];
    Complex waveD[3];
    Complex waveB1;
    Complex waveA[3];
    Complex waveB23[2];
    Complex coefC23[2];
    Complex coefD[3];
    CComplexArray rotOffset;
    CComplexArray sectorRotation;
    Complex rotMinus30, rotPlus30;
    CDoubleArray sectorAngle;
    Complex rot120, rot240;
    Complex dualBasis1, dualBasis2;
    CComplexArray detailCoef[6];
    CComplexArray detailWave[6];
    // Working values: the coefficient being expanded and its rotations, and the
    // wave vector of the detailed sum.
    Complex workCoef, workRot, workRot2, workConj, workConjRot, workWave;
    double twoPi = 6.283185307;
    double twoThirdsPi = 0.0, sixthPi = 0.0, thirdPi = 0.0;
    double halfHeight = 0.0;  // h = cos(pi/6)
    double invHalfHeight = 0.0;
    double sectorScale = 0.0;
    double cellWidth = 0.0, invCellWidth = 0.0;
    Complex spareOrigin;                                   // session record only
    double spareHalfHeight = 0.0, spareMinusFullHeight = 0.0;  // session record only
    double fullHeight = 0.0;
    Complex alpha, lambda;
    double hEmm = 0.0, hAlpha = 0.0;
    int detailed = 0;
    int depth = 11;
    int knot = 0;
    double twoThirds = 2.0 / 3.0, threeHalves = 1.5;  // session record only
    Complex spareShift;                                // kept, never stored or read
    double spareScale = 0.0;                           // kept, never stored or read
    CComplexArray tileCorners;
    double tileWidth = 0.0, tileHeight = 0.0;
    int spareInt1 = 0, spareInt2 = 0;  // session record only
};

}  // namespace tilvex
