#pragma once
// The step of every kind over a batch V of kLanes orbit lanes (one AVX-512
// vector, two AVX2 vectors or eight scalars) and the library functions M it
// calls, included once by each kernel file. Each step does the scalar maps'
// operations in their order, so a lane follows its scalar orbit to within the
// library's rounding; a branch of a fold becomes a per-lane choice. Every
// operation rounds as IEEE says and M is one of SLEEF's deterministic forms,
// so a lane's orbit is the same bit for bit on every path.
// Everything here has internal linkage: code built for one instruction set is
// never shared with another file.

#include <algorithm>
#include <cstdint>

#include "studio/DensityBuffer.h"
#include "studio/LaneSteps.h"
#include "studio/simd/LaneKernelTable.h"
#include "studio/simd/LanePack.h"

// One body per kernel for speed; where the address sanitizer instruments these
// files (the fuzz build), the flattened bodies take the compiler most of an
// hour, so there they stay calls.
#if defined(__SANITIZE_ADDRESS__)
#define TILVEX_FLATTEN
#else
#define TILVEX_FLATTEN [[gnu::flatten]]
#endif

namespace tilvex::studio {
namespace {

// Rough: the fast precision, free to reach a close density by other means.
template <class V, class M, bool kRough = false>
struct LaneKernels {
    using Mask = typename V::Mask;
    static constexpr int N = V::kLanes;  // a slice of the kLanes lanes, stepped on its own
    static_assert(kLanes % N == 0);

    struct C {
        V re, im;
        friend C operator+(C a, C b) { return {a.re + b.re, a.im + b.im}; }
        friend C operator-(C a, C b) { return {a.re - b.re, a.im - b.im}; }
        friend C operator*(C a, C b) { return {a.re * b.re - a.im * b.im, a.re * b.im + b.re * a.im}; }
        friend C operator*(V s, C a) { return {s * a.re, s * a.im}; }
        friend C operator*(C a, V s) { return {a.re * s, a.im * s}; }
    };
    static C Of(const double (&c)[2]) { return {V(c[0]), V(c[1])}; }
    static C Real(V s) { return {s, V(0.0)}; }
    static C Choose(Mask m, C a, C b) { return {Select(m, a.re, b.re), Select(m, a.im, b.im)}; }

    static V ReduceToUnit(V v)
    {
        const V up = v - Trunc(v), down = v + (Trunc(-v) + V(1.0));
        return Select(v > V(1.0), up, Select(v < V(0.0), down, v));
    }

    // SegmentsIntersect of the segment from a fixed point (x1, y1) to (x2, y2)
    // with the fixed edge (x3, y3)-(x4, y4), per lane: the same decisions,
    // with what depends on the fixed points alone decided once.
    static Mask Intersect(double x1, double y1, V x2, V y2, double x3, double y3, double x4, double y4)
    {
        const V ax = x2 - V(x1), ay = y2 - V(y1);
        const double bx = x3 - x4, by = y3 - y4, cx = x1 - x3, cy = y1 - y3;
        // The bounding boxes are apart along an axis (p2 < p1 exactly when p2 - p1 < 0).
        auto boxesApart = [](double p1, V p2, double p3, double p4, double b) {
            const Mask flip = p2 < V(p1);
            const V lo = Select(flip, p2, V(p1)), hi = Select(flip, V(p1), p2);
            return b > 0.0 ? (V(p4) > hi) | (V(p3) < lo) : (V(p3) > hi) | (V(p4) < lo);
        };
        const V f = V(bx) * ay - V(by) * ax;
        const double d = cx * by - cy * bx;
        const V e = V(cy) * ax - V(cx) * ay;
        // d within [0, f] or [f, 0], whichever f makes (false for a NaN f)
        const Mask dWithin = d > 0.0 ? f >= V(d) : d < 0.0 ? f <= V(d) : (f >= V(0.0)) | (f <= V(0.0));
        const Mask positive = f > V(0.0);
        const Mask eWithin = (positive & (e >= V(0.0)) & (e <= f)) | (~positive & (e >= f) & (e <= V(0.0)));
        return ~boxesApart(x1, x2, x3, x4, bx) & ~boxesApart(y1, y2, y3, y4, by) & dWithin & eWithin;
    }

    // fmod(a, m) for a constant m > 0, without dividing: while |a| < 2^40 m the
    // reciprocal's quotient is at most one off, the fused multiply-add gives
    // a - q m exactly, and one correction makes it fmod's remainder, zero's
    // sign included. Only lanes beyond (or not finite) need SLEEF's remainder.
    static V Remainder(V a, double m, double inverse)
    {
        const V mv(m), zero(0.0);
        V r = Fma(-Trunc(a * V(inverse)), mv, a);
        const Mask up = a >= zero, down = a < zero;
        r = Select(up & (r < zero), r + mv, Select(up & (r >= mv), r - mv, r));
        r = Select(down & (r > zero), r - mv, Select(down & (r <= -mv), r + mv, r));
        r = Select(r == zero, a * zero, r);
        const Mask beyond = ~(Abs(a) < V(m * 0x1.0p40));
        if (!beyond.Any()) return r;
        return Select(beyond, M::Fmod(a, mv), r);
    }

    // EdgeQuotient(n, d) < s and >= s as the rounded division decides them. The
    // sign of n - s d decides them unless the quotient lies within a few ulps
    // of s (or something is not finite): only then is the division done.
    struct Comparison {
        Mask below, atLeast;
    };
    static Comparison CompareQuotient(V n, V d, double s)
    {
        const V zero(0.0), sv(s), product = sv * d, gap = n - product;
        const Mask vertical = d == zero;
        const Mask clear = ~vertical & (Abs(gap) > (Abs(product) + Abs(n)) * V(0x1.0p-48));
        const Mask below = clear & (((gap < zero) & (d > zero)) | ((gap > zero) & (d < zero)));
        const Mask verticalBelow = kVerticalQuotient < s ? vertical : Mask::None();
        Comparison c{below | verticalBelow, (clear & ~below) | (vertical & ~verticalBelow)};
        const Mask unclear = ~clear & ~vertical;
        if (!unclear.Any()) return c;
        const V q = n / d;
        c.below = c.below | (unclear & (q < sv));
        c.atLeast = c.atLeast | (unclear & (q >= sv));
        return c;
    }

    // The first of a fold's rules that holds for a lane decides its point and tile type.
    struct Rules {
        Mask decided = Mask::None();
        C point;
        V tile;
        void Take(Mask when, C value, double type)
        {
            const Mask take = when & ~decided;
            point = Choose(take, value, point);
            tile = Select(take, V(type), tile);
            decided = decided | take;
        }
        bool Done() const { return !(~decided).Any(); }
        void Take(Mask when, Mask alternative, C first, double firstType, C second, double secondType)
        {
            Take(when & alternative, first, firstType);
            Take(when, second, secondType);
        }
    };

    // --- square ---

    static void SquarePlain(const LaneParams::Square& q, V& x, V& y)
    {
        const V a = V(q.twoPi) * x, b = V(q.twoPi) * y;
        const V a2 = a * V(2.0), a3 = a2 + a, b2 = b * V(2.0), b3 = b2 + b;
        V sinA, cosA, sin2A, cos2A, sinB, cosB, sin2B, cos2B;
        M::SinCos(a, sinA, cosA);
        M::SinCos(a2, sin2A, cos2A);
        M::SinCos(b, sinB, cosB);
        M::SinCos(b2, sin2B, cos2B);
        const V sin3A = M::Sin(a3), sin3B = M::Sin(b3);
        const V nx = V(q.gamma) * sin3A * cos2B + V(q.alpha) * sinA * cosB - V(q.omega) * sinB + V(q.beta) * sin2A +
                     V(q.lambda) * sinA + V(q.emm) * x + V(q.shiftX);
        const V ny = V(q.gamma) * sin3B * cos2A + V(q.alpha) * sinB * cosA - V(q.omega) * sinA + V(q.beta) * sin2B +
                     V(q.lambda) * sinB + V(q.emm) * y + V(q.shiftY);
        x = ReduceToUnit(nx);
        y = ReduceToUnit(ny);
    }

    static void SquareDetailed(const LaneParams::Square& q, V& x, V& y)
    {
        const int n = std::min(q.depth, 6);
        V sinX[6], cosX[6], sinY[6], cosY[6];
        const V ax0 = V(q.twoPi) * x, ay0 = V(q.twoPi) * y;
        V ax = ax0, ay = ay0;
        for (int k = 0; k < n; ++k) {
            if (k > 0) {
                ax = ax0 + ax;
                ay = ay0 + ay;
            }
            M::SinCos(ax, sinX[k], cosX[k]);
            M::SinCos(ay, sinY[k], cosY[k]);
        }
        V nx = V(q.emm) * x + V(q.shiftX), ny = V(q.emm) * y + V(q.shiftY);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const V c(q.coef[i][j]);
                nx = nx + c * sinX[i] * cosY[j];
                ny = ny + c * sinY[i] * cosX[j];
            }
        }
        x = ReduceToUnit(nx);
        y = ReduceToUnit(ny);
    }

    // --- hex ---

    static C HexPlainSum(const LaneParams::Hex& h, C z)
    {
        auto s = [&](const double (&k)[2]) { return Real(M::Sin(V(h.twoPi) * (V(k[0]) * z.re + V(k[1]) * z.im))); };
        C acc = s(h.waveA[0]) * Of(h.waveA[0]) + s(h.waveA[1]) * Of(h.waveA[1]) + s(h.waveA[2]) * Of(h.waveA[2]);
        C w = Of(h.lambda) * acc;
        acc = s(h.waveB[0]) * Of(h.waveB[0]) + s(h.waveB[1]) * Of(h.waveB[1]) + s(h.waveB[2]) * Of(h.waveB[2]);
        w = w + V(h.hAlpha) * acc;
        acc = s(h.waveC[0]) * Of(h.alpha) + s(h.waveC[1]) * Of(h.coefC23[0]) + s(h.waveC[2]) * Of(h.coefC23[1]);
        w = w + acc;
        w = w + V(h.hEmm) * z;
        acc = s(h.waveD[0]) * Of(h.coefD[0]) + s(h.waveD[1]) * Of(h.coefD[1]) + s(h.waveD[2]) * Of(h.coefD[2]);
        return w + acc;
    }

    static C HexDetailedSum(const LaneParams::Hex& h, C z)
    {
        C w{V(0.0), V(0.0)};
        for (int k = 0; k <= h.last; ++k)
            for (int j = 0; j < 6; ++j) {
                const double(&wave)[2] = h.detailWave[k][j];
                w = w + Real(M::Sin(V(wave[0]) * z.re + V(wave[1]) * z.im)) * Of(h.detailCoef[k][j]);
            }
        return w;
    }

    static V FlooredRemainder(V a, double m, double inverse)
    {
        V r = Remainder(a, m, inverse);
        r = Select(r < V(0.0), r + V(m), r);
        return Select(r >= V(m), r - V(m), r);
    }

    static C HexFold(const LaneParams::Hex& hx, C p)
    {
        const double h = hx.halfHeight;
        V u = FlooredRemainder(p.re + V(1.5), 3.0, 1.0 / 3.0) - V(1.5);
        V v = FlooredRemainder(p.im + V(h), hx.fullHeight, hx.inverseFullHeight) - V(h);
        Mask moving = Mask::All();
        for (int round = 0; round < 16 && moving.Any(); ++round) {
            const Mask c1 = moving & Intersect(0, 0, u, v, 1, 0, 0.5, h);
            const Mask c2 = moving & ~c1 & Intersect(0, 0, u, v, 1, 0, 0.5, -h);
            const Mask c3 = moving & ~c1 & ~c2 & Intersect(0, 0, u, v, -1, 0, -0.5, h);
            const Mask c4 = moving & ~c1 & ~c2 & ~c3 & Intersect(0, 0, u, v, -1, 0, -0.5, -h);
            u = Select(c1 | c2, u - V(1.5000001), Select(c3 | c4, u + V(1.5), u));
            v = Select(c1 | c3, v - V(h), Select(c2 | c4, v + V(h), v));
            moving = c1 | c2 | c3 | c4;
        }
        v = Select(v >= V(h), v - V(hx.fullHeight - 0.000001), Select(v <= V(-h), v + V(hx.fullHeight), v));

        V theta = M::Atan2(v, u);
        theta = Select((v == V(0.0)) & (u >= V(0.0)), V(hx.twoPi), theta);
        theta = Select(theta <= V(0.0), theta + V(hx.twoPi), theta);
        const C w{u, v};
        C rotation = Of(hx.sectorRotation[4]);
        for (int k = 3; k >= 0; --k) rotation = Choose(theta <= V(hx.sectorAngle[k + 1]), Of(hx.sectorRotation[k]), rotation);
        return Choose(theta <= V(hx.sectorAngle[0]), w, w * rotation);
    }

    // --- the tiling maps ---

    static V Pick(const LaneParams::Tiling& t, V tile, double v0, double v1, double v2)
    {
        if (t.tileTypes == 2) return Select(tile == V(0.0), V(v0), V(v1));
        return Select(tile == V(0.0), V(v0), Select(tile == V(1.0), V(v1), V(v2)));
    }
    static C Pick(const LaneParams::Tiling& t, V tile, const double (&c0)[2], const double (&c1)[2],
                  const double (&c2)[2])
    {
        return {Pick(t, tile, c0[0], c1[0], c2[0]), Pick(t, tile, c0[1], c1[1], c2[1])};
    }

    static V ProductPower(V r, V n, int most)
    {
        V result = r;
        for (int i = 1; i < most; ++i) result = Select(V(i) < n, result * r, result);
        return result;
    }

    static C Poly(const C (&k)[4], C w)
    {
        const C high = k[2] + w * k[3];
        const C low = k[1] + w * high;
        return k[0] + w * low;
    }

    template <class Fold>
    static C TiledStep(const LaneParams::Tiling& t, C p, V& tile, Fold fold)
    {
        const C folded = fold(p, tile);
        const LaneParams::Tile &t0 = t.tile[0], &t1 = t.tile[1], &t2 = t.tile[t.tileTypes - 1];
        const V n = Pick(t, tile, t0.sides, t1.sides, t2.sides);
        const C center = Pick(t, tile, t0.center, t1.center, t2.center);
        C radial[4], angular[4];
        for (int i = 0; i < 4; ++i) {
            radial[i] = Pick(t, tile, t0.radial[i], t1.radial[i], t2.radial[i]);
            angular[i] = Pick(t, tile, t0.angular[i], t1.angular[i], t2.angular[i]);
        }
        const int most = std::max({t0.sides, t1.sides, t2.sides});

        const C z = folded - center;
        const C conjZ{z.re, -z.im};
        const C zTimesConjZ = z * conjZ;

        // conj(z) has the same modulus, bit for bit, and the negated angle (SLEEF's
        // atan2 is odd in y), and r^(n-1) is the product chain of r^n one step short.
        const Mask offAxis = z.im != V(0.0);
        const V theta = Select(offAxis, M::Atan2(z.im, z.re), V(0.0));
        const V rho = Sqrt(z.im * z.im + z.re * z.re);
        const V n1 = n - V(1.0);
        V rn1 = ProductPower(rho, n1, most - 1);
        const V rn = rn1 * rho;
        V s, c;
        M::SinCos(n * theta, s, c);
        const C zPowN{rn * c, rn * s};

        if (t0.libraryPower || t1.libraryPower || t2.libraryPower) {
            const V library = Pick(t, tile, t0.libraryPower, t1.libraryPower, t2.libraryPower);
            rn1 = Select(library != V(0.0), M::Pow(rho, n1), rn1);
        }
        M::SinCos(n1 * Select(offAxis, -theta, V(0.0)), s, c);
        const C conjZPowN1{rn1 * c, rn1 * s};

        const C radialValue = Poly(radial, zTimesConjZ);
        const C angularValue = Poly(angular, Real(zPowN.re));
        const C stepPoint = (radialValue * z + angularValue * conjZPowN1) + center;
        return fold(stepPoint, tile);
    }

    static C FoldPrefix(const LaneParams::Tiling& t, C p)
    {
        const V w(t.cellWidth), h(t.cellHeight);
        return {Abs(Abs(Remainder(p.re + w, 2 * t.cellWidth, t.inversePeriod[0])) - w),
                Abs(Abs(Remainder(p.im + h, 2 * t.cellHeight, t.inversePeriod[1])) - h)};
    }

    static C FoldSixFourTwelve(const LaneParams::Tiling& t, C p, V& tile)
    {
        const auto& k = t.sft;
        const C f = FoldPrefix(t, p);
        const V x = f.re, y = f.im, w(t.cellWidth);
        C moved = (f - Of(k.upperDodecagonCenter)) + Of(k.dodecagonCenter);
        const C upperDodecagon{Select(moved.re > w, w - (moved.re - w), moved.re), Abs(moved.im)};
        moved = (f - Of(k.upperHexCenter)) + Of(k.hexCenter);
        const C upperHexagon{Abs(moved.re), moved.im};
        const C upperSquare{Abs(x - V(k.upperSquareCenter[0])), Abs(y - V(k.upperSquareCenter[1]))};
        moved = (f - Of(k.slantCenter)) * Of(k.rotateMinusSixth);
        const C slantSquare{Abs(moved.re), Abs(moved.im)};
        const double sx = k.slantCenter[0], sy = k.slantCenter[1];

        Rules r{Mask::None(), f, tile};
        r.Take((y < V(k.a)) & (x < V(k.a)), f, 0);
        r.Take((y < V(k.a)) & (x >= V(k.a)), f, 2);
        r.Take((y > V(k.twoCPlusB)) & (x <= V(k.b)), upperDodecagon, 2);
        r.Take((y > V(k.twoCPlusB)) & (x > V(k.b)), upperSquare, 0);
        r.Take((y >= V(k.twoCPlusA)) & (x <= V(k.a2)), upperDodecagon, 2);
        if (r.Done()) {  // the segment tests below are the costly part
            tile = r.tile;
            return r.point;
        }
        r.Take(y <= V(k.cPlusA), Intersect(0, k.hexCenter[1], x, y, k.a, k.a, k.twoA, k.cPlusA), f, 2, f, 1);
        r.Take(y >= V(k.bPlusC),
               Intersect(k.upperHexCenter[0], k.upperHexCenter[1], x, y, k.bMinusA, k.bPlusC, k.b, k.twoCPlusB),
               upperDodecagon, 2, upperHexagon, 1);
        r.Take(Intersect(sx, sy, x, y, k.twoA, k.cPlusA, k.b, k.b), f, 2);
        r.Take(Intersect(sx, sy, x, y, k.b, k.b, k.bMinusA, k.bPlusC), upperHexagon, 1);
        r.Take(Intersect(sx, sy, x, y, k.bMinusA, k.bPlusC, k.a, k.twoCPlusA), upperDodecagon, 2);
        r.Take(Intersect(sx, sy, x, y, k.a, k.twoCPlusA, k.twoA, k.cPlusA), f, 1);
        r.Take(Mask::All(), slantSquare, 0);
        tile = r.tile;
        return r.point;
    }

    static C FoldFourEight(const LaneParams::Tiling& t, C p, V& tile)
    {
        const auto& k = t.fe;
        const C f = FoldPrefix(t, p);
        const V x = f.re, y = f.im, l(k.l), b(k.bandLimitCorner), w(t.cellWidth);
        auto corner = [&](const double (&c)[2]) { return C{Abs(x - V(c[0])), Abs(y - V(c[1]))}; };

        Rules r{Mask::None(), f, tile};
        r.Take((l <= x) & (x <= V(k.bandLimit)), f, 1);
        r.Take((l <= y) & (y <= V(k.bandLimitY)), f, 1);
        r.Take((y <= l) & (x <= l), CompareQuotient(y, x - l, k.lowerSlope).below, f, 1, f, 0);
        r.Take((y <= l) & (x >= b), CompareQuotient(y, x - b, k.upperSlope).below, corner(k.rightSquare), 0, f, 1);
        r.Take((y >= b) & (x <= l), CompareQuotient(y - b, x, k.upperSlope).below, f, 1, corner(k.topLeftSquare), 0);
        r.Take((y >= b) & (x >= b), CompareQuotient(y - b, x - w, k.lowerSlope).below, corner(k.topRightSquare), 0,
               f, 1);
        r.Take(Mask::All(), f, 1);
        tile = r.tile;
        return r.point;
    }

    static C FoldThreeTwelve(const LaneParams::Tiling& t, C p, V& tile)
    {
        const auto& k = t.tt;
        const C f = FoldPrefix(t, p);
        const V x = f.re, y = f.im, s(k.s), t0(k.t0), t1(k.t1), u(k.u), w(k.w), half(0.5);
        const C top{Abs(x - V(k.top[0])), Abs(y - V(k.top[1]))};
        const C right{Abs(x - V(k.right[0])), Abs(y - V(k.right[1]))};
        const C turnedLeft = Of(k.rotatePlus) * (f - Of(k.leftTriangle)) + Of(k.triangle);
        const C turnedRight = Of(k.rotateMinus) * (f - Of(k.rightTriangle)) + Of(k.triangle);

        Rules r{Mask::None(), f, tile};
        r.Take(y >= V(k.v), top, 1);
        r.Take((y <= s) & (x <= half), f, 1);
        r.Take((y <= s) & (x > half), right, 1);
        r.Take((y >= u) & (t0 <= x) & (x <= t1), top, 1);
        r.Take((y < half) & (x <= s), f, 1);
        r.Take((y < half) & (x >= w), right, 1);
        const Mask below = y < u;
        r.Take(below & (x <= t0), f, 1);
        r.Take(below & (x >= t1), right, 1);
        r.Take(below & (x > half), CompareQuotient(y - s, x - half, k.k2).atLeast, f, 0, right, 1);
        r.Take(below & (x <= half), CompareQuotient(y - s, x - half, k.k1).below, f, 0, f, 1);
        const Mask lower = y < half;
        r.Take(lower & (t1 <= x) & (x <= w), CompareQuotient(y - u, x - t1, k.k4).atLeast, top, 1, right, 1);
        r.Take(lower & (s <= x) & (x <= t0), CompareQuotient(y - u, x - t0, k.k3).below, top, 1, f, 1);
        if (r.Done()) {
            tile = r.tile;
            return r.point;
        }
        // No row claims the point: it stays, and so does the tile type.
        const Mask keep = lower & ~r.decided;
        r.decided = r.decided | keep;
        r.Take(x < s, CompareQuotient(y - half, x - s, k.k1).below, top, 1, turnedLeft, 0);
        r.Take(x < w, top, 1);
        r.Take(Mask::All(), CompareQuotient(y - half, x - w, k.k2).atLeast, top, 1, turnedRight, 0);
        tile = r.tile;
        return r.point;
    }

    // --- Wild Corner ---

    static C Corner(const LaneParams::Corner& q, C p)
    {
        const C d = p - Of(q.center);
        C s{V(0.0), V(0.0)};
        for (int i = 0; i < q.count; ++i)
            s = s + M::Sin(V(q.wave[i][0]) * d.re + V(q.wave[i][1]) * d.im) * Of(q.amp[i]);
        return s + Of(q.center);
    }

    // The same sum with each row's sines taken from the phases of its two
    // base waves: two calls a row instead of one a term.
    static C CornerLattice(const LaneParams::Corner& q, C p)
    {
        const C d = p - Of(q.center);
        C s{V(0.0), V(0.0)};
        for (int j = 0; j < q.rows; ++j) {
            const V a = V(q.baseA[j][0]) * d.re + V(q.baseA[j][1]) * d.im;
            const V b = V(q.baseB[j][0]) * d.re + V(q.baseB[j][1]) * d.im;
            C pa[9], pb[8];  // e^(i n a), e^(i m b)
            pa[0] = pb[0] = Real(V(1.0));
            M::SinCos(a, pa[1].im, pa[1].re);
            M::SinCos(b, pb[1].im, pb[1].re);
            for (int k = 2; k < 9; ++k) pa[k] = pa[k - 1] * pa[1];
            for (int k = 2; k < 8; ++k) pb[k] = pb[k - 1] * pb[1];
            for (int k = 0; k < q.terms; ++k) {
                const C &x = pa[q.n[k]], &y = pb[q.m[k]];
                s = s + (x.re * y.im + x.im * y.re) * Of(q.amp[j * q.terms + k]);
            }
        }
        return s + Of(q.center);
    }

    // --- visits ---

    // The cell and weights DensityBuffer::Locate gives a lane's position, as
    // the buffer's packed visit: every value on the way is an integer or a
    // product that rounds as Locate's does.
    struct Locator {
        explicit Locator(int resolution) : size(resolution), inverse(1.0 / resolution) {}
        V Wrap(V i) const
        {
            const V r = i - size * Floor(i * inverse);  // at most one period off
            return Select(r < V(0.0), r + size, Select(r >= size, r - size, r));
        }
        void operator()(C plot, std::uint64_t* out) const
        {
            const V x = plot.re * size - V(0.5), y = plot.im * size - V(0.5);
            const Mask inside = (Abs(x) < V(1e9)) & (Abs(y) < V(1e9));
            const V fx = Floor(x), fy = Floor(y);
            const V wx = Trunc((x - fx) * V(16.0) + V(0.5)), wy = Trunc((y - fy) * V(16.0) + V(0.5));
            const V packed = Wrap(fy) * V(0x1.0p30) + Wrap(fx) * V(0x1.0p10) + wy * V(32.0) + wx;
            // Below 2^52 the integer is the low bits of the double that adds 2^52 to it.
            (Select(inside, packed, V(static_cast<double>(DensityBuffer::kNoVisit))) + V(0x1.0p52)).StoreBits(out);
        }
        V size, inverse;
    };

    TILVEX_FLATTEN static void Locate(int resolution, const double* u, const double* v, std::uint64_t* visits)
    {
        const Locator locate(resolution);
        for (int first = 0; first < kLanes; first += N) locate({V::Load(u + first), V::Load(v + first)}, visits + first);
    }

    // --- colours ---

    // The direction of (dx, dy) in turns, 0..1 from the negative x axis
    // round: atan2 by a polynomial good to 0.001 of a turn, far cheaper, and
    // made of exact operations only, so every path gives the same.
    static V TurnOf(V x, V y)
    {
        const V ax = Abs(x), ay = Abs(y);
        const V big = Select(ax > ay, ax, ay), small = Select(ax < ay, ax, ay);
        // 0 / 0 where there is no step: its NaN is replaced at the end.
        const V a = small / big, s = a * a;
        V angle = ((V(-0.0464964749) * s + V(0.15931422)) * s - V(0.327622764)) * s * a + a;  // atan(a), a in 0..1
        angle = Select(ay > ax, V(M_PI / 2) - angle, angle);
        angle = Select(x < V(0.0), V(M_PI) - angle, angle);
        angle = Select(y < V(0.0), -angle, angle);
        return Select(big == V(0.0), V(0.5), (angle + V(M_PI)) * V(0.5 / M_PI));
    }
    // The nearest integer, ties to even: adding and taking away 1.5 * 2^52
    // rounds so; magnitudes from 2^51 on are whole already.
    static V Nearest(V d)
    {
        const V shift(6755399441055744.0);
        return Select(Abs(d) < V(2251799813685248.0), (d + shift) - shift, d);
    }

    TILVEX_FLATTEN static void Colour(ColorBy colorBy, LaneTrail& trail, const double* x, const double* y, int steps,
                                      std::uint64_t* entries)
    {
        for (int first = 0; first < kLanes; first += N) {
            V lastX = V::Load(trail.x + first), lastY = V::Load(trail.y + first), blend = V::Load(trail.blend + first);
            for (int i = 0; i < steps; ++i) {
                const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(i) * kLanes + first;
                const V u = V::Load(x + at), v = V::Load(y + at);
                V dx = u - lastX, dy = v - lastY;
                lastX = u;
                lastY = v;
                // A lane's first step (from no position) and an escaped one have no direction.
                const Mask none = ((dx - dx) != (dx - dx)) | ((dy - dy) != (dy - dy));
                dx = Select(none, V(0.0), dx);
                dy = Select(none, V(0.0), dy);
                // The step on the unit torus: the shorter way across each edge.
                dx = dx - Nearest(dx);
                dy = dy - Nearest(dy);
                const V direction = TurnOf(dx, dy);
                V t = direction;
                if (colorBy == ColorBy::Speed) {
                    const V length = Sqrt(dx * dx + dy * dy);
                    t = length / (length + V(kSpeedScale));
                } else if (colorBy == ColorBy::Blend) {
                    t = blend = V(0.5) * blend + V(0.5) * direction;
                }
                // The nearest of the colour map's 256 entries, as an integer in the low bits.
                const V entry = t * V(255.0) + V(0.5);
                const V clamped = Select(entry > V(0.0), Select(entry < V(255.0), entry, V(255.0)), V(0.0));
                (Trunc(clamped) + V(0x1.0p52)).StoreBits(entries + at);
            }
            lastX.Store(trail.x + first);
            lastY.Store(trail.y + first);
            blend.Store(trail.blend + first);
        }
    }
    static constexpr double kSpeedScale = 0.15;  // a step this long (in unit lengths) is mid-map

    // --- the loop ---

    // Everything a step calls is inlined (except the library), so a batch's
    // vectors stay in registers from one operation to the next.
    template <class StepFn>
    TILVEX_FLATTEN static void Run(LaneState& state, int steps, const LaneSink& sink, StepFn step)
    {
        const Locator locate(std::max(sink.resolution, 1));
        for (int first = 0; first < kLanes; first += N) {
            C z{V::Load(state.re + first), V::Load(state.im + first)};
            V tile = V::Load(state.tile + first);
            for (int i = 0; i < steps; ++i) {
                const C plot = step(z, tile);
                const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(i) * kLanes + first;
                if (sink.plotX) {
                    plot.re.Store(sink.plotX + at);
                    plot.im.Store(sink.plotY + at);
                }
                if (sink.visits) locate(plot, sink.visits + at);
            }
            z.re.Store(state.re + first);
            z.im.Store(state.im + first);
            tile.Store(state.tile + first);
        }
    }

    // The step's constants are copied where no store of the loop can reach
    // them, so the compiler keeps them (and what it derives from them) out of it.
    static void Steps(const LaneParams& p, LaneState& state, int steps, const LaneSink& sink)
    {
        using Form = LaneParams::Form;
        const auto wrapped = [](C r, C& z) {
            z = {ReduceToUnit(r.re), ReduceToUnit(r.im)};
            return z;
        };
        switch (p.form) {
        case Form::SquarePlain: {
            const LaneParams::Square q = p.square;
            return Run(state, steps, sink, [&q](C& z, V&) {
                SquarePlain(q, z.re, z.im);
                return z;
            });
        }
        case Form::SquareDetailed: {
            const LaneParams::Square q = p.square;
            return Run(state, steps, sink, [&q](C& z, V&) {
                SquareDetailed(q, z.re, z.im);
                return z;
            });
        }
        case Form::HexCell: {
            const LaneParams::Hex h = p.hex;
            if (h.detailed) return Run(state, steps, sink, [&h](C& z, V&) { return z = HexFold(h, HexDetailedSum(h, z)); });
            return Run(state, steps, sink, [&h](C& z, V&) { return z = HexFold(h, HexPlainSum(h, z)); });
        }
        case Form::HexKnot: {
            const LaneParams::Hex h = p.hex;
            const auto knot = [&h](C w, C& z) {
                const V v = w.im / V(h.halfHeight);
                const C plot{ReduceToUnit(w.re - v * V(0.5)), ReduceToUnit(v)};
                z = {plot.re + V(0.5) * plot.im, V(h.halfHeight) * plot.im};
                return plot;
            };
            if (h.detailed) return Run(state, steps, sink, [&](C& z, V&) { return knot(HexDetailedSum(h, z), z); });
            return Run(state, steps, sink, [&](C& z, V&) { return knot(HexPlainSum(h, z), z); });
        }
        case Form::FourSixTwelve: {
            const LaneParams::Tiling t = p.tiling;
            return Run(state, steps, sink, [&t, &wrapped](C& z, V& tile) {
                return wrapped(TiledStep(t, z, tile, [&t](C q, V& tt) { return FoldSixFourTwelve(t, q, tt); }), z);
            });
        }
        case Form::FourEight: {
            const LaneParams::Tiling t = p.tiling;
            return Run(state, steps, sink, [&t, &wrapped](C& z, V& tile) {
                return wrapped(TiledStep(t, z, tile, [&t](C q, V& tt) { return FoldFourEight(t, q, tt); }), z);
            });
        }
        case Form::ThreeTwelve: {
            const LaneParams::Tiling t = p.tiling;
            return Run(state, steps, sink, [&t, &wrapped](C& z, V& tile) {
                return wrapped(TiledStep(t, z, tile, [&t](C q, V& tt) { return FoldThreeTwelve(t, q, tt); }), z);
            });
        }
        case Form::WildCorner: {
            const LaneParams::Corner q = p.corner;
            if (kRough && q.lattice)
                return Run(state, steps, sink, [&q, &wrapped](C& z, V&) { return wrapped(CornerLattice(q, z), z); });
            return Run(state, steps, sink, [&q, &wrapped](C& z, V&) { return wrapped(Corner(q, z), z); });
        }
        }
    }

    // One fold of each lane's point, as a tiling step begins.
    TILVEX_FLATTEN static void Fold(const LaneParams& p, LaneState& state)
    {
        for (int first = 0; first < kLanes; first += N) {
            C z{V::Load(state.re + first), V::Load(state.im + first)};
            V tile = V::Load(state.tile + first);
            const LaneParams::Tiling& t = p.tiling;
            if (p.form == LaneParams::Form::FourSixTwelve) z = FoldSixFourTwelve(t, z, tile);
            if (p.form == LaneParams::Form::FourEight) z = FoldFourEight(t, z, tile);
            if (p.form == LaneParams::Form::ThreeTwelve) z = FoldThreeTwelve(t, z, tile);
            z.re.Store(state.re + first);
            z.im.Store(state.im + first);
            tile.Store(state.tile + first);
        }
    }
};

// A path's library functions, with their arguments written down as they are called.
template <class Part, class PartMath>
struct RecordedMath {
    static inline thread_local LaneCallTape* tape = nullptr;
    static void Put(LaneCall call, Part a, Part b)
    {
        alignas(64) double x[Part::kLanes], y[Part::kLanes];
        a.Store(x);
        b.Store(y);
        tape->first[call].insert(tape->first[call].end(), x, x + Part::kLanes);
        tape->second[call].insert(tape->second[call].end(), y, y + Part::kLanes);
    }
    static Part Sin(Part a) { return Put(kCallSin, a, a), PartMath::Sin(a); }
    static void SinCos(Part a, Part& s, Part& c) { Put(kCallSinCos, a, a), PartMath::SinCos(a, s, c); }
    static Part Atan2(Part y, Part x) { return Put(kCallAtan2, y, x), PartMath::Atan2(y, x); }
    static Part Pow(Part x, Part y) { return Put(kCallPow, x, y), PartMath::Pow(x, y); }
    static Part Fmod(Part a, Part b) { return Put(kCallFmod, a, b), PartMath::Fmod(a, b); }
};

// The recorded calls again, four independent ones in flight, nothing else.
template <class Part, class PartMath>
double Replay(const LaneCallTape& tape)
{
    Part sum(0.0);
    const auto each = [&](LaneCall call, auto f) {
        const double* a = tape.first[call].data();
        const double* b = tape.second[call].data();
        const std::size_t n = tape.first[call].size() / (4 * Part::kLanes) * (4 * Part::kLanes);
        for (std::size_t i = 0; i < n; i += 4 * Part::kLanes) {
            const Part r0 = f(Part::Load(a + i), Part::Load(b + i));
            const Part r1 = f(Part::Load(a + i + Part::kLanes), Part::Load(b + i + Part::kLanes));
            const Part r2 = f(Part::Load(a + i + 2 * Part::kLanes), Part::Load(b + i + 2 * Part::kLanes));
            const Part r3 = f(Part::Load(a + i + 3 * Part::kLanes), Part::Load(b + i + 3 * Part::kLanes));
            sum = sum + ((r0 + r1) + (r2 + r3));
        }
    };
    each(kCallSin, [](Part a, Part) { return PartMath::Sin(a); });
    each(kCallSinCos, [](Part a, Part) {
        Part s, c;
        PartMath::SinCos(a, s, c);
        return s + c;
    });
    each(kCallAtan2, [](Part y, Part x) { return PartMath::Atan2(y, x); });
    each(kCallPow, [](Part x, Part y) { return PartMath::Pow(x, y); });
    each(kCallFmod, [](Part a, Part b) { return PartMath::Fmod(a, b); });
    alignas(64) double lanes[Part::kLanes];
    sum.Store(lanes);
    double total = 0.0;
    for (double d : lanes) total += d;
    return total;
}

// The kernels of one path: a batch of parts, with the part's exact and fast library functions.
template <class Part, int K, class PartExact, class PartFast>
LaneKernelTable KernelTable()
{
    using Batch = Pack<Part, K>;
    using Exact = LaneKernels<Batch, PackMath<Batch, PartExact>>;
    using Fast = LaneKernels<Batch, PackMath<Batch, PartFast>, true>;
    using Recorded = LaneKernels<Batch, PackMath<Batch, RecordedMath<Part, PartExact>>>;
    LaneKernelTable table;
    table.step = [](const LaneParams& p, Precision precision, LaneState& state, int steps, const LaneSink& sink) {
        if (precision == Precision::Fast) return Fast::Steps(p, state, steps, sink);
        Exact::Steps(p, state, steps, sink);
    };
    table.fold = [](const LaneParams& p, LaneState& state) { Exact::Fold(p, state); };
    table.colour = [](ColorBy colorBy, LaneTrail& trail, const double* x, const double* y, int steps,
                      std::uint64_t* entries) { Exact::Colour(colorBy, trail, x, y, steps, entries); };
    table.locate = [](int resolution, const double* u, const double* v, std::uint64_t* visits) {
        Exact::Locate(resolution, u, v, visits);
    };
    table.record = [](const LaneParams& p, LaneState& state, int steps, LaneCallTape& tape) {
        RecordedMath<Part, PartExact>::tape = &tape;
        Recorded::Steps(p, state, steps, {});
        RecordedMath<Part, PartExact>::tape = nullptr;
    };
    table.replay = [](const LaneCallTape& tape) { return Replay<Part, PartExact>(tape); };
    return table;
}

}  // namespace
}  // namespace tilvex::studio
