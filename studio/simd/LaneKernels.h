#pragma once
// The step of every kind over a vector type V of orbit lanes (V8: AVX-512, V4:
// AVX2), included once by each vector kernel file. Each step does the scalar
// maps' operations in their order, so a lane follows its scalar orbit to within
// the vector library's rounding; a branch of a fold becomes a per-lane choice.
// Everything here has internal linkage: code built for one instruction set is
// never shared with another file.

#include <algorithm>

#include "studio/LaneSteps.h"

namespace tilvex::studio {
namespace {

template <class V>
struct LaneKernels {
    using Mask = typename V::Mask;
    static constexpr int N = V::kLanes;

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

    // SegmentsIntersect, per lane.
    static Mask Intersect(V x1, V y1, V x2, V y2, V x3, V y3, V x4, V y4)
    {
        const V ax = x2 - x1, ay = y2 - y1, bx = x3 - x4, by = y3 - y4;
        auto boxesApart = [](V p1, V p2, V a, V p3, V p4, V b) {
            const Mask flip = a < V(0.0);
            const V lo = Select(flip, p2, p1), hi = Select(flip, p1, p2);
            const Mask positive = b > V(0.0);
            const Mask ifPositive = (p4 > hi) | (p3 < lo), otherwise = (p3 > hi) | (p4 < lo);
            return (positive & ifPositive) | (~positive & otherwise);
        };
        auto withinSpan = [](V v, V f) {
            const Mask positive = f > V(0.0);
            return (positive & (v >= V(0.0)) & (v <= f)) | (~positive & (v >= f) & (v <= V(0.0)));
        };
        const V cx = x1 - x3, cy = y1 - y3;
        const V f = bx * ay - by * ax;
        const V d = cx * by - cy * bx;
        const V e = cy * ax - cx * ay;
        return ~boxesApart(x1, x2, ax, x3, x4, bx) & ~boxesApart(y1, y2, ay, y3, y4, by) & withinSpan(d, f) &
               withinSpan(e, f);
    }
    static Mask Intersect(double x1, double y1, V x2, V y2, double x3, double y3, double x4, double y4)
    {
        return Intersect(V(x1), V(y1), x2, y2, V(x3), V(y3), V(x4), V(y4));
    }

    // fmod(a, m) for m > 0. Within two periods of zero one exact subtraction
    // (Sterbenz) gives it; only lanes beyond need SLEEF's slower exact remainder.
    static V Remainder(V a, V m)
    {
        const V near = Select(a >= m, a - m, Select(a <= -m, a + m, a));
        const Mask within = (Abs(a) < m + m) & (a != -m);  // -m itself leaves -0
        if (!(~within).Any()) return near;
        return Select(within, near, Fmod(a, m));
    }

    static V EdgeQuotient(V n, V d) { return Select(d == V(0.0), V(999999.999), n / d); }

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
        SinCos(a, sinA, cosA);
        SinCos(a2, sin2A, cos2A);
        SinCos(b, sinB, cosB);
        SinCos(b2, sin2B, cos2B);
        const V sin3A = Sin(a3), sin3B = Sin(b3);
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
            SinCos(ax, sinX[k], cosX[k]);
            SinCos(ay, sinY[k], cosY[k]);
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
        auto s = [&](const double (&k)[2]) { return Real(Sin(V(h.twoPi) * (V(k[0]) * z.re + V(k[1]) * z.im))); };
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
                w = w + Real(Sin(V(wave[0]) * z.re + V(wave[1]) * z.im)) * Of(h.detailCoef[k][j]);
            }
        return w;
    }

    static V FlooredRemainder(V a, V m)
    {
        V r = Remainder(a, m);
        r = Select(r < V(0.0), r + m, r);
        return Select(r >= m, r - m, r);
    }

    static C HexFold(const LaneParams::Hex& hx, C p)
    {
        const double h = hx.halfHeight;
        V u = FlooredRemainder(p.re + V(1.5), V(3.0)) - V(1.5);
        V v = FlooredRemainder(p.im + V(h), V(hx.fullHeight)) - V(h);
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

        V theta = Atan2(v, u);
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
        const V theta = Select(offAxis, Atan2(z.im, z.re), V(0.0));
        const V rho = Sqrt(z.im * z.im + z.re * z.re);
        const V n1 = n - V(1.0);
        V rn1 = ProductPower(rho, n1, most - 1);
        const V rn = rn1 * rho;
        V s, c;
        SinCos(n * theta, s, c);
        const C zPowN{rn * c, rn * s};

        if (t0.libraryPower || t1.libraryPower || t2.libraryPower) {
            const V library = Pick(t, tile, t0.libraryPower, t1.libraryPower, t2.libraryPower);
            rn1 = Select(library != V(0.0), Pow(rho, n1), rn1);
        }
        SinCos(n1 * Select(offAxis, -theta, V(0.0)), s, c);
        const C conjZPowN1{rn1 * c, rn1 * s};

        const C radialValue = Poly(radial, zTimesConjZ);
        const C angularValue = Poly(angular, Real(zPowN.re));
        const C stepPoint = (radialValue * z + angularValue * conjZPowN1) + center;
        return fold(stepPoint, tile);
    }

    static C FoldPrefix(const LaneParams::Tiling& t, C p)
    {
        const V w(t.cellWidth), h(t.cellHeight);
        return {Abs(Abs(Remainder(p.re + w, V(2 * t.cellWidth))) - w),
                Abs(Abs(Remainder(p.im + h, V(2 * t.cellHeight))) - h)};
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
        r.Take((y <= l) & (x <= l), EdgeQuotient(y, x - l) < V(k.lowerSlope), f, 1, f, 0);
        r.Take((y <= l) & (x >= b), EdgeQuotient(y, x - b) < V(k.upperSlope), corner(k.rightSquare), 0, f, 1);
        r.Take((y >= b) & (x <= l), EdgeQuotient(y - b, x) < V(k.upperSlope), f, 1, corner(k.topLeftSquare), 0);
        r.Take((y >= b) & (x >= b), EdgeQuotient(y - b, x - w) < V(k.lowerSlope), corner(k.topRightSquare), 0, f, 1);
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
        const V slope = EdgeQuotient(y - s, x - half);
        r.Take(below & (x > half), slope >= V(k.k2), f, 0, right, 1);
        r.Take(below & (x <= half), slope < V(k.k1), f, 0, f, 1);
        const Mask lower = y < half;
        r.Take(lower & (t1 <= x) & (x <= w), EdgeQuotient(y - u, x - t1) >= V(k.k4), top, 1, right, 1);
        r.Take(lower & (s <= x) & (x <= t0), EdgeQuotient(y - u, x - t0) < V(k.k3), top, 1, f, 1);
        if (r.Done()) {
            tile = r.tile;
            return r.point;
        }
        // No row claims the point: it stays, and so does the tile type.
        const Mask keep = lower & ~r.decided;
        r.decided = r.decided | keep;
        r.Take(x < s, EdgeQuotient(y - half, x - s) < V(k.k1), top, 1, turnedLeft, 0);
        r.Take(x < w, top, 1);
        r.Take(Mask::All(), EdgeQuotient(y - half, x - w) >= V(k.k2), top, 1, turnedRight, 0);
        tile = r.tile;
        return r.point;
    }

    // --- Wild Corner ---

    static C Corner(const LaneParams::Corner& q, C p)
    {
        const C d = p - Of(q.center);
        C s{V(0.0), V(0.0)};
        for (int i = 0; i < q.count; ++i)
            s = s + Sin(V(q.wave[i][0]) * d.re + V(q.wave[i][1]) * d.im) * Of(q.amp[i]);
        return s + Of(q.center);
    }

    // --- the loop ---

    template <class StepFn>
    static void Run(LaneState& state, int steps, double* plotX, double* plotY, StepFn step)
    {
        C z{V::Load(state.re), V::Load(state.im)};
        V tile = V::Load(state.tile);
        for (int i = 0; i < steps; ++i) {
            C plot = step(z, tile);
            if (plotX) {
                plot.re.Store(plotX + static_cast<std::ptrdiff_t>(i) * N);
                plot.im.Store(plotY + static_cast<std::ptrdiff_t>(i) * N);
            }
        }
        z.re.Store(state.re);
        z.im.Store(state.im);
        tile.Store(state.tile);
    }

    static void Steps(const LaneParams& p, LaneState& state, int steps, double* plotX, double* plotY)
    {
        using Form = LaneParams::Form;
        const auto wrapped = [](C r, C& z) {
            z = {ReduceToUnit(r.re), ReduceToUnit(r.im)};
            return z;
        };
        const LaneParams::Tiling& t = p.tiling;
        switch (p.form) {
        case Form::SquarePlain:
            return Run(state, steps, plotX, plotY, [&](C& z, V&) {
                SquarePlain(p.square, z.re, z.im);
                return z;
            });
        case Form::SquareDetailed:
            return Run(state, steps, plotX, plotY, [&](C& z, V&) {
                SquareDetailed(p.square, z.re, z.im);
                return z;
            });
        case Form::HexCell:
            if (p.hex.detailed)
                return Run(state, steps, plotX, plotY, [&](C& z, V&) { return z = HexFold(p.hex, HexDetailedSum(p.hex, z)); });
            return Run(state, steps, plotX, plotY, [&](C& z, V&) { return z = HexFold(p.hex, HexPlainSum(p.hex, z)); });
        case Form::HexKnot: {
            const auto knot = [&p](C w, C& z) {
                const V v = w.im / V(p.hex.halfHeight);
                const C plot{ReduceToUnit(w.re - v / V(2.0)), ReduceToUnit(v)};
                z = {plot.re + V(0.5) * plot.im, V(p.hex.halfHeight) * plot.im};
                return plot;
            };
            if (p.hex.detailed)
                return Run(state, steps, plotX, plotY, [&](C& z, V&) { return knot(HexDetailedSum(p.hex, z), z); });
            return Run(state, steps, plotX, plotY, [&](C& z, V&) { return knot(HexPlainSum(p.hex, z), z); });
        }
        case Form::FourSixTwelve:
            return Run(state, steps, plotX, plotY, [&](C& z, V& tile) {
                return wrapped(TiledStep(t, z, tile, [&t](C q, V& tt) { return FoldSixFourTwelve(t, q, tt); }), z);
            });
        case Form::FourEight:
            return Run(state, steps, plotX, plotY, [&](C& z, V& tile) {
                return wrapped(TiledStep(t, z, tile, [&t](C q, V& tt) { return FoldFourEight(t, q, tt); }), z);
            });
        case Form::ThreeTwelve:
            return Run(state, steps, plotX, plotY, [&](C& z, V& tile) {
                return wrapped(TiledStep(t, z, tile, [&t](C q, V& tt) { return FoldThreeTwelve(t, q, tt); }), z);
            });
        case Form::WildCorner:
            return Run(state, steps, plotX, plotY, [&](C& z, V&) { return wrapped(Corner(p.corner, z), z); });
        }
    }
};

}  // namespace
}  // namespace tilvex::studio
