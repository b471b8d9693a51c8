#include "maps/HexMap.h"

#include <cmath>

#include "maps/SegmentsIntersect.h"

namespace tilvex {

namespace {

// Harmonic k of the detailed form has the wave vector a*dualBasis1 + b*dualBasis2
// and its coefficient is damped by this divisor.
constexpr int kHarmonicA[HexMap::kHarmonics] = {1, 2, 3, 4, 5, 5, 6, 7, 7, 7, 8, 8};
constexpr int kHarmonicB[HexMap::kHarmonics] = {0, 1, 2, 3, 4, 3, 5, 6, 5, 4, 7, 5};
constexpr double kDamping[HexMap::kHarmonics] = {1, 1, 1, 9, 16, 16, 25, 36, 36, 36, 49, 49};

// Remainder in [0, m) also for negative a.
double FlooredRemainder(double a, double m)
{
    double r = std::fmod(a, m);
    if (r < 0) r += m;
    if (r >= m) r -= m;  // a tiny negative remainder may round up to m
    return r;
}

Complex Rotation(double angle) { return {std::cos(angle), std::sin(angle)}; }

bool ValidHarmonic(int k) { return k >= 0 && k < HexMap::kHarmonics; }

}  // namespace

HexMap::HexMap()
{
    twoThirdsPi = twoPi / 3;
    sixthPi = twoPi / 12;
    thirdPi = twoPi / 6;
    halfHeight = std::cos(sixthPi);
    invHalfHeight = 1.0 / halfHeight;
    sectorScale = 1.0 / thirdPi;
    fullHeight = 2 * halfHeight;
    spareHalfHeight = halfHeight;
    spareMinusFullHeight = -2 * halfHeight;

    rot120 = Rotation(twoThirdsPi);
    rot240 = rot120 * rot120;
    omega3 = rot120;
    rotMinus30 = Rotation(-sixthPi);
    rotPlus30 = Rotation(sixthPi);

    // 1/sqrt(3) taken from h keeps every wave exactly periodic on the lattice.
    const double invRoot3 = 0.5 * invHalfHeight;
    dualBasis1 = {1.0, -invRoot3};
    dualBasis2 = {0.0, invHalfHeight};

    waveA[0] = {1.0, -invRoot3};
    waveA[1] = rot120 * waveA[0];
    waveA[2] = rot120 * waveA[1];
    waveB1 = {2.0, 0.0};
    waveB23[0] = rot120 * waveB1;
    waveB23[1] = rot120 * waveB23[0];
    waveC[0] = {3.0, invRoot3};
    waveC[1] = rot120 * waveC[0];
    waveC[2] = rot120 * waveC[1];
    waveD[0] = Conj(waveC[0]);
    waveD[1] = rot120 * waveD[0];
    waveD[2] = rot120 * waveD[1];

    sectorAngle.SetSize(6);
    sectorRotation.SetSize(6);
    rotOffset.SetSize(6);
    double angle = 0.0;
    for (int k = 0; k < 6; ++k) {
        angle += thirdPi;
        sectorAngle[k] = angle;
        sectorRotation[k] = Rotation(-angle);
        rotOffset[k] = Rotation(-(sixthPi + angle));
    }

    for (int j = 0; j < 6; ++j) {
        detailCoef[j].SetSize(kHarmonics, 1);
        detailWave[j].SetSize(kHarmonics, 1);
    }
    for (int k = 0; k < kHarmonics; ++k) {
        Complex v = twoPi * (static_cast<double>(kHarmonicA[k]) * dualBasis1 +
                             static_cast<double>(kHarmonicB[k]) * dualBasis2);
        Complex mirrored = Conj(v);
        detailWave[0][k] = v;
        detailWave[1][k] = rot120 * v;
        detailWave[2][k] = rot240 * v;
        detailWave[3][k] = mirrored;
        detailWave[4][k] = rot120 * mirrored;
        detailWave[5][k] = rot240 * mirrored;
    }

    tileCorners.SetSize(5);
}

void HexMap::Randomize(RandomSource& random, int detailFlag)
{
    detailed = detailFlag;
    lambda.re = 0.3 * RandomUnit(random) - 0.15;
    lambda.im = 0.15 * RandomUnit(random);
    alpha.re = 0.2 * RandomUnit(random) - 0.1;
    alpha.im = 0.2 * RandomUnit(random) - 0.1;
    hAlpha = 0.19 * RandomUnit(random) - 0.15;
    w.re = RandomUnit(random);
    w.im = RandomUnit(random);
    hEmm = random.rand() % 2 == 1 ? 1.0 : 0.0;
    for (int k = 0; k < kHarmonics; ++k) {
        double re = 0.6 * RandomUnit(random) - 0.3;
        double im = 0.6 * RandomUnit(random) - 0.3;
        if (k > 2) {
            re = re / kDamping[k];
            im = im / kDamping[k];
        }
        workCoef = {re, im};
        ExpandDetailCoefficient(k);
    }
}

void HexMap::SetGeometry(double n)
{
    cellWidth = n;
    invCellWidth = 1.0 / n;
    coefC23[0] = rot120 * alpha;
    coefC23[1] = rot240 * alpha;
    Complex mirrored = Conj(alpha);
    coefD[0] = mirrored;
    coefD[1] = rot120 * mirrored;
    coefD[2] = rot240 * mirrored;
    tileCorners[0] = {0.0, 0.0};
    tileCorners[1] = {3 * n, 0.0};
    tileCorners[2] = {1.5 * n, halfHeight * n};
    tileCorners[3] = {0.0, fullHeight * n};
    tileCorners[4] = {3 * n, fullHeight * n};
    tileWidth = 3 * n;
    tileHeight = n * 2 * halfHeight;
}

void HexMap::Sum()
{
    if (detailed)
        DetailedSum();
    else
        PlainSum();
}

void HexMap::PlainSum()
{
    const double x = z.re, y = z.im;
    auto s = [&](Complex k) { return Complex(std::sin(twoPi * (k.re * x + k.im * y)), 0.0); };

    sines[0] = s(waveA[0]);
    sines[1] = s(waveA[1]);
    sines[2] = s(waveA[2]);
    acc = sines[0] * waveA[0] + sines[1] * waveA[1] + sines[2] * waveA[2];
    w = lambda * acc;

    sines[0] = s(waveB1);
    sines[1] = s(waveB23[0]);
    sines[2] = s(waveB23[1]);
    acc = sines[0] * waveB1 + sines[1] * waveB23[0] + sines[2] * waveB23[1];
    w = w + hAlpha * acc;

    sines[0] = s(waveC[0]);
    sines[1] = s(waveC[1]);
    sines[2] = s(waveC[2]);
    acc = sines[0] * alpha + sines[1] * coefC23[0] + sines[2] * coefC23[1];
    w = w + acc;

    w = w + hEmm * z;

    sines[0] = s(waveD[0]);
    sines[1] = s(waveD[1]);
    sines[2] = s(waveD[2]);
    acc = sines[0] * coefD[0] + sines[1] * coefD[1] + sines[2] * coefD[2];
    w = w + acc;
}

void HexMap::DetailedSum()
{
    // The tables hold twelve harmonics; a larger depth must not read past them.
    const int last = depth < kHarmonics - 1 ? depth : kHarmonics - 1;
    w = {0.0, 0.0};
    for (int k = 0; k <= last; ++k) {
        // The harmonic's coefficients pass through the plain-form fields, where
        // the dialog and the session record see the last one.
        alpha = detailCoef[0][k];
        coefC23[0] = detailCoef[1][k];
        coefC23[1] = detailCoef[2][k];
        coefD[0] = detailCoef[3][k];
        coefD[1] = detailCoef[4][k];
        coefD[2] = detailCoef[5][k];
        for (int j = 0; j < 6; ++j) {
            workWave = detailWave[j][k];
            sines[0] = {std::sin(workWave.re * z.re + workWave.im * z.im), 0.0};
            w = w + sines[0] * detailCoef[j][k];
        }
    }
}

Complex HexMap::Iterate(Complex p)
{
    z = p;
    Sum();
    return FoldToCell(w);
}

Complex HexMap::IterateKnot(Complex p)
{
    z = p;
    Sum();
    double v = w.im / halfHeight;
    return {w.re - v / 2, v};
}

Complex HexMap::FoldToCell(Complex p)
{
    const double h = halfHeight;
    double u = FlooredRemainder(p.re + 1.5, 3.0) - 1.5;
    double v = FlooredRemainder(p.im + h, fullHeight) - h;

    // One shift brings any point of the 3 x 2h block into the hexagon; the
    // bound only guards against rounding bouncing a point between two edges.
    for (int round = 0; round < 16; ++round) {
        if (SegmentsIntersect(0, 0, u, v, 1, 0, 0.5, h)) {
            u -= 1.5000001;
            v -= h;
        } else if (SegmentsIntersect(0, 0, u, v, 1, 0, 0.5, -h)) {
            u -= 1.5000001;
            v += h;
        } else if (SegmentsIntersect(0, 0, u, v, -1, 0, -0.5, h)) {
            u += 1.5;
            v -= h;
        } else if (SegmentsIntersect(0, 0, u, v, -1, 0, -0.5, -h)) {
            u += 1.5;
            v += h;
        } else {
            break;
        }
    }
    if (v >= h)
        v -= fullHeight - 0.000001;
    else if (v <= -h)
        v += fullHeight;

    double theta = std::atan2(v, u);
    if (v == 0 && u >= 0) theta = twoPi;
    if (theta <= 0) theta += twoPi;

    w = {u, v};
    if (theta <= sectorAngle[0])
        z = w;
    else if (theta <= sectorAngle[1])
        z = w * sectorRotation[0];
    else if (theta <= sectorAngle[2])
        z = w * sectorRotation[1];
    else if (theta <= sectorAngle[3])
        z = w * sectorRotation[2];
    else if (theta <= sectorAngle[4])
        z = w * sectorRotation[3];
    else
        z = w * sectorRotation[4];
    return z;
}

Complex HexMap::PixelToLattice(double px, double py)
{
    const Complex p(px, py);
    int nearest = 0;  // a pixel farther than the search radius from every corner uses the first
    double best = 100000.0;
    for (int i = 0; i < 5; ++i) {
        Complex d = p - tileCorners[i];
        double distance = std::sqrt(d.re * d.re + d.im * d.im);
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    const Complex d = p - tileCorners[nearest];
    const double r = std::sqrt(d.re * d.re + d.im * d.im);

    double theta = (d.re == 0 && d.im == 0) ? 0.0 : std::atan2(d.im, d.re);
    if (theta < 0) theta += twoPi;
    double phi = std::fmod(theta, thirdPi);
    // Only a session's own odd constants put the sector outside int's range; it then counts as even.
    const double sector = std::trunc(theta * sectorScale);
    const bool oddSector = std::fabs(sector) < 2147483648.0 && static_cast<int>(sector) % 2 != 0;
    if (oddSector) phi = sixthPi - phi + sixthPi;

    const double rho = r * invCellWidth;
    const double a = rho * std::cos(phi);
    const double b = rho * std::sin(phi);
    const double v = b / halfHeight;
    return {a - v / 2, v};
}

Complex HexMap::GetDetailCoefficient(int k) const
{
    if (!ValidHarmonic(k)) return {};
    Complex c = detailCoef[0][k];
    return k > 2 ? c * kDamping[k] : c;
}

void HexMap::SetDetailCoefficient(int k, Complex c)
{
    if (!ValidHarmonic(k)) return;
    if (k >= 3) c = {c.re / kDamping[k], c.im / kDamping[k]};
    workCoef = c;
    ExpandDetailCoefficient(k);
}

void HexMap::ExpandDetailCoefficient(int k)
{
    if (!ValidHarmonic(k)) return;
    workRot = rot120 * workCoef;
    workRot2 = rot120 * workRot;
    workConj = Conj(workCoef);
    workConjRot = rot120 * workConj;
    detailCoef[0][k] = workCoef;
    detailCoef[1][k] = workRot;
    detailCoef[2][k] = workRot2;
    detailCoef[3][k] = workConj;
    detailCoef[4][k] = workConjRot;
    detailCoef[5][k] = rot120 * workConjRot;
}

}  // namespace tilvex
