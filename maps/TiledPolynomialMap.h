#pragma once

#include <cmath>

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"

namespace tilvex {

// Stand-in for an edge slope or edge test quotient whose denominator is zero.
inline constexpr double kVerticalQuotient = 999999.999;

inline double EdgeQuotient(double n, double d) { return d == 0.0 ? kVerticalQuotient : n / d; }

// The tile a folded point lies in, as the step needs it.
struct TileTerms {
    int sides;  // n: the step commutes with turns by 2*pi/n
    Complex center;
    const CComplexArray* radial;   // coefficients of P(|z|^2)
    const CComplexArray* angular;  // coefficients of Q(Re z^n)
    bool libraryPower;             // conj(z)^(n-1) takes its modulus power from pow
};

// The step shared by the tiling maps. Map supplies FoldToCell, Terms() for the
// latest fold's tileType, and the working fields named below; every
// intermediate value lands in those fields so a step allocates nothing.
template <class Map>
class TiledPolynomialMap {
public:
    // k0 + w*(k1 + w*(k2 + w*k3)).
    Complex Poly(const CComplexArray& k, Complex w)
    {
        Map& m = self();
        m.polyPartialHigh = k[2] + w * k[3];
        m.polyPartialLow = k[1] + w * m.polyPartialHigh;
        return k[0] + w * m.polyPartialLow;
    }

    static double Modulus(Complex z) { return std::sqrt(z.re * z.re + z.im * z.im); }

protected:
    Complex IterateTiled(Complex& p)
    {
        Map& m = self();
        m.stepPoint = m.FoldToCell(p);
        const TileTerms t = m.Terms();
        const int n = t.sides;

        m.lastPoint = m.stepPoint - t.center;
        m.savedZ = m.lastPoint;
        const Complex z = m.savedZ;
        m.conjZ = Conj(z);
        m.zTimesConjZ = z * m.conjZ;

        // A point on the real axis counts as angle 0, also on its negative half.
        double theta = z.im != 0.0 ? std::atan2(z.im, z.re) : 0.0;
        double rn = ProductPower(std::sqrt(z.im * z.im + z.re * z.re), n);
        m.zPowN = {rn * std::cos(n * theta), rn * std::sin(n * theta)};

        const Complex w = m.conjZ;
        theta = w.im != 0.0 ? std::atan2(w.im, w.re) : 0.0;
        const double rho = Modulus(w);
        rn = t.libraryPower ? std::pow(rho, n - 1) : ProductPower(rho, n - 1);
        m.conjZPowN1 = {rn * std::cos((n - 1) * theta), rn * std::sin((n - 1) * theta)};

        m.radialValue = Poly(*t.radial, m.zTimesConjZ);
        m.realZPowN = {m.zPowN.re, 0.0};
        m.angularValue = Poly(*t.angular, m.realZPowN);

        const Complex angularTerm = m.angularValue * m.conjZPowN1;
        const Complex radialTerm = m.radialValue * z;
        m.stepPoint = (radialTerm + angularTerm) + t.center;
        m.lastPoint = m.FoldToCell(m.stepPoint);
        return m.lastPoint;
    }

    // Element i of every array in turn (i = 0..3), each part 20*u - 10, real part first.
    template <class... Arrays>
    static void DrawCoefficients(RandomSource& random, Arrays&... arrays)
    {
        for (int i = 0; i < 4; ++i) (DrawCoefficient(random, arrays[i]), ...);
    }

private:
    Map& self() { return static_cast<Map&>(*this); }

    static double ProductPower(double r, int n)
    {
        double result = r;
        for (int i = 1; i < n; ++i) result *= r;
        return result;
    }

    static void DrawCoefficient(RandomSource& random, Complex& c)
    {
        const double re = 20.0 * RandomUnit(random) - 10.0;
        const double im = 20.0 * RandomUnit(random) - 10.0;
        c = {re, im};
    }
};

}  // namespace tilvex
