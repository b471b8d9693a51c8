#include "maps/WildCornerMap.h"

#include <algorithm>
#include <cmath>


namespace tilvex {

namespace {

// Row 0: wave vector k is twoPi*(n*basisV) + m*basisW; its amplitude is
// scaled down by d^2.
struct Term {
    double m, n, divisor;
};
constexpr Term kTermTable[WildCornerMap::kTerms] = {
    {0, 1, 1},  {1, 2, 1},  {2, 3, 1},  {3, 4, 9},  {4, 5, 16}, {3, 5, 16},
    {5, 6, 25}, {6, 7, 36}, {5, 7, 36}, {4, 7, 36}, {7, 8, 49}, {5, 8, 49},
};

}  // namespace

WildCornerMap::WaveMultiple WildCornerMap::WaveMultipleOf(int k)
{
    return {static_cast<int>(kTermTable[k].n), static_cast<int>(kTermTable[k].m)};
}

WildCornerMap::WildCornerMap(RandomSource& random)
{
    cornerN = random.rand() % 11 + 3;
    rowCount = cornerN / 2 + 1;
    SizeTables();
}

// Row 0 always exists, whatever N was passed in.
void WildCornerMap::SizeTables()
{
    const int rows = std::max(rowCount, 1);
    rotations.SetSize(rows);
    frequencies.SetSize(kTerms * rows);
    amplitudes.SetSize(kTerms * rows);
}

void WildCornerMap::BuildRotationsAndFrequencies()
{
    for (int i = 0; i < rowCount; ++i) {
        double angle = -((i + 1) * theta);
        rotations[i] = {std::cos(angle), std::sin(angle)};
    }
    basisV = {1.0, (1.0 - cosTheta) / sinTheta};
    basisW = {0.0, 1.0 / sinTheta};
    for (int k = 0; k < kTerms; ++k)
        frequencies[k] = twoPi * (kTermTable[k].n * basisV) + kTermTable[k].m * basisW;
    for (int i = 1; i < rowCount; ++i)
        for (int k = 0; k < kTerms; ++k) frequencies[kTerms * i + k] = rotations[i - 1] * frequencies[k];
}

void WildCornerMap::BuildFrequencies(int n)
{
    cornerN = n;
    theta = twoPi / n;
    rowCount = n / 2 + 1;
    sinTheta = std::sin(theta);
    cosTheta = std::cos(theta);
    SizeTables();
    BuildRotationsAndFrequencies();
}

void WildCornerMap::Randomize(int n, int k, RandomSource& random)
{
    depth = k;
    BuildFrequencies(n);
    for (int t = 0; t < kTerms; ++t) {
        double re = 0.6 * RandomUnit(random) - 0.3;
        double im = 0.6 * RandomUnit(random) - 0.3;
        if (t >= 3) {
            double scale = 1.0 / kTermTable[t].divisor;
            re *= scale;
            im *= scale;
        }
        amplitudes[t] = {re, im};
    }
    for (int i = 1; i < rowCount; ++i)
        for (int t = 0; t < kTerms; ++t) amplitudes[kTerms * i + t] = rotations[i - 1] * amplitudes[t];
}

bool WildCornerMap::RebuildFromAngles(int n, int rows, int k, double sinValue, double cosValue, double angle)
{
    if (n < 3 || n > 42 || rows != n / 2 + 1 || k < 0 || k > kTerms) return false;
    cornerN = n;
    rowCount = rows;
    depth = k;
    sinTheta = sinValue;
    cosTheta = cosValue;
    theta = angle;
    SizeTables();
    BuildRotationsAndFrequencies();
    return true;
}

Complex WildCornerMap::GetCoefficient(int k) const
{
    if (k < 0 || k >= kTerms) return {};
    return amplitudes[k] * kTermTable[k].divisor;
}

void WildCornerMap::SetCoefficient(int k, Complex c)
{
    if (k < 0 || k >= kTerms) return;
    double divisor = kTermTable[k].divisor;
    amplitudes[k] = {c.re / divisor, c.im / divisor};
    for (int i = 1; i < rowCount; ++i) amplitudes[kTerms * i + k] = rotations[i - 1] * amplitudes[k];
}

Complex WildCornerMap::Iterate(Complex p)
{
    // Bounds come from the tables themselves, so a depth or row count set
    // from outside can never read past them.
    const int terms = std::clamp(depth, 0, kTerms);
    const int rows = std::min({rowCount, frequencies.GetSize() / kTerms, amplitudes.GetSize() / kTerms});
    const Complex* waves = frequencies.Data();
    const Complex* amps = amplitudes.Data();
    const Complex d = p - center;
    Complex s;
    Complex a = wave, b = amplitude;
    for (int j = 0; j < rows; ++j) {
        const int row = kTerms * j;
        for (int k = 0; k < terms; ++k) {
            a = waves[row + k];
            b = amps[row + k];
            s = s + std::sin(a.re * d.re + a.im * d.im) * b;
        }
    }
    offset = d;
    wave = a;
    amplitude = b;
    sum = s;
    return s + center;
}

}  // namespace tilvex
