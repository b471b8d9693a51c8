#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"

namespace tilvex {

// The Wild Corner map: a sum of sine waves around the centre of the unit
// square, one row of twelve terms repeated in copies turned by multiples of
// 2pi/N. Row i of the tables is row 0 turned by -i*theta.
// Construction makes one call of the given source's rand (in the application
// state, before the start-up palette).
class WildCornerMap {
public:
    static constexpr int kTerms = 12;  // terms per row; Iterate never uses more

    explicit WildCornerMap(RandomSource& random);

    // Row 0's wave vector k is n (twoPi basisV) + m basisW for these whole n and m.
    struct WaveMultiple {
        int n, m;
    };
    static WaveMultiple WaveMultipleOf(int k);

    void Randomize(int n, int k, RandomSource& random);
    Complex Iterate(Complex p);
    void BuildFrequencies(int n);
    Complex GetCoefficient(int k) const;
    void SetCoefficient(int k, Complex c);

    // Rebuilds what a session record does not carry, from its stored values:
    // tables sized for rowCount, rotations and frequencies from theta, sinTheta
    // and cosTheta; amplitude values are kept. Returns false and changes
    // nothing for values no dialog or random choice produces (cornerN outside
    // 3..42, rowCount other than cornerN/2 + 1, depth outside 0..12).
    bool RebuildFromAngles(int cornerN, int rowCount, int depth, double sinTheta, double cosTheta, double theta);

    CComplexArray rotations;    // rowCount elements
    CComplexArray frequencies;  // rowCount rows of 12 wave vectors
    CComplexArray amplitudes;   // rowCount rows of 12 amplitude vectors
    Complex basisV, basisW;
    double sinTheta = 0.0, cosTheta = 0.0;
    double twoPi = 6.283185307;
    double theta = 0.0;
    int rowCount = 0;
    // Working values of the latest Iterate: the running sum, the wave vector
    // and amplitude of the last term, and the offset from the centre.
    Complex sum, wave, amplitude, offset;
    Complex center{0.5, 0.5};
    int cornerN = 0;
    int depth = 11;

private:
    void SizeTables();
    void BuildRotationsAndFrequencies();
};

}  // namespace tilvex
