#include "studio/LaneSteps.h"

#include <algorithm>
#include <cmath>

#include "studio/simd/LaneKernelTable.h"

namespace tilvex::studio {

namespace {

constexpr const char* kNames[] = {"auto", "scalar", "avx2", "avx512"};
constexpr const char* kPrecisionNames[] = {"exact", "fast"};

void Copy(Complex c, double (&out)[2])
{
    out[0] = c.re;
    out[1] = c.im;
}

void SquareParams(const SqrMap& m, LaneParams& p)
{
    p.form = m.detailed ? LaneParams::Form::SquareDetailed : LaneParams::Form::SquarePlain;
    auto& q = p.square;
    q = {m.twoPi, m.lambda, m.alpha, m.beta, m.gamma, m.omega, m.emm, m.shiftX, m.shiftY, m.depth, {}};
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) q.coef[i][j] = m.Coef(i, j);
}

void HexParams(const HexMap& m, int knot, LaneParams& p)
{
    p.form = knot ? LaneParams::Form::HexKnot : LaneParams::Form::HexCell;
    auto& h = p.hex;
    h.detailed = m.detailed != 0;
    h.twoPi = m.twoPi;
    h.halfHeight = m.halfHeight;
    h.fullHeight = m.fullHeight;
    h.inverseFullHeight = 1.0 / m.fullHeight;
    for (int k = 0; k < 3; ++k) {
        Copy(m.waveA[k], h.waveA[k]);
        Copy(m.waveC[k], h.waveC[k]);
        Copy(m.waveD[k], h.waveD[k]);
        Copy(m.coefD[k], h.coefD[k]);
    }
    Copy(m.waveB1, h.waveB[0]);
    Copy(m.waveB23[0], h.waveB[1]);
    Copy(m.waveB23[1], h.waveB[2]);
    Copy(m.lambda, h.lambda);
    Copy(m.alpha, h.alpha);
    Copy(m.coefC23[0], h.coefC23[0]);
    Copy(m.coefC23[1], h.coefC23[1]);
    h.hAlpha = m.hAlpha;
    h.hEmm = m.hEmm;
    h.last = std::min(m.depth, HexMap::kHarmonics - 1);
    for (int k = 0; k <= h.last; ++k)
        for (int j = 0; j < 6; ++j) {
            Copy(m.detailWave[j][k], h.detailWave[k][j]);
            Copy(m.detailCoef[j][k], h.detailCoef[k][j]);
        }
    for (int k = 0; k < 5; ++k) {
        h.sectorAngle[k] = m.sectorAngle[k];
        Copy(m.sectorRotation[k], h.sectorRotation[k]);
    }
}

template <class Map>
void TileParams(const Map& m, int type, bool libraryPower, int sides, Complex center, const CComplexArray& radial,
                const CComplexArray& angular, LaneParams::Tiling& t)
{
    LaneParams::Tile& tile = t.tile[type];
    tile.sides = sides;
    Copy(center, tile.center);
    for (int i = 0; i < 4; ++i) {
        Copy(radial[i], tile.radial[i]);
        Copy(angular[i], tile.angular[i]);
    }
    tile.libraryPower = libraryPower;
    t.initialTile = m.tileType;
}

void SixFourTwelveParams(const MapSixFourTwelve& m, LaneParams& p)
{
    p.form = LaneParams::Form::FourSixTwelve;
    auto& t = p.tiling;
    t.tileTypes = 3;
    TileParams(m, 0, false, 4, m.squareCenter, m.squareRadial, m.squareAngular, t);
    TileParams(m, 1, false, 6, m.hexCenter, m.hexRadial, m.hexAngular, t);
    TileParams(m, 2, false, 12, m.dodecagonCenter, m.dodecagonRadial, m.dodecagonAngular, t);
    t.cellWidth = m.dodecagonCenter.re;
    t.cellHeight = 1.0;
    auto& k = t.sft;
    k.a = m.limitA;
    k.a2 = m.limitA2;
    k.twoA = m.limitTwoA;
    k.b = m.limitB;
    k.bMinusA = m.limitBMinusA;
    k.cPlusA = m.limitCPlusA;
    k.twoCPlusA = m.limitTwoCPlusA;
    k.bPlusC = m.limitBPlusC;
    k.twoCPlusB = m.limitTwoCPlusB;
    Copy(m.hexCenter, k.hexCenter);
    Copy(m.upperHexCenter, k.upperHexCenter);
    Copy(m.slantSquareCenter, k.slantCenter);
    Copy(m.upperSquareCenter, k.upperSquareCenter);
    Copy(m.dodecagonCenter, k.dodecagonCenter);
    Copy(m.upperDodecagonCenter, k.upperDodecagonCenter);
    Copy(m.rotateMinusSixth, k.rotateMinusSixth);
}

void FourEightParams(const MapFourEight& m, LaneParams& p)
{
    p.form = LaneParams::Form::FourEight;
    auto& t = p.tiling;
    t.tileTypes = 2;
    TileParams(m, 0, false, 4, m.squareCenter, m.squareRadial, m.squareAngular, t);
    TileParams(m, 1, false, 8, m.octagonCenter, m.octagonRadial, m.octagonAngular, t);
    t.cellWidth = m.topRightSquareCenter.re;
    t.cellHeight = 1.0;
    auto& k = t.fe;
    k.l = m.squareHalfDiagonal;
    k.bandLimit = m.bandLimit;
    k.bandLimitY = m.bandLimitY;
    k.bandLimitCorner = m.bandLimitCorner;
    k.lowerSlope = m.lowerSlope;
    k.upperSlope = m.upperSlope;
    Copy(m.rightSquareCenter, k.rightSquare);
    Copy(m.topLeftSquareCenter, k.topLeftSquare);
    Copy(m.topRightSquareCenter, k.topRightSquare);
}

void ThreeTwelveParams(const MapThreeTwelve& m, LaneParams& p)
{
    p.form = LaneParams::Form::ThreeTwelve;
    auto& t = p.tiling;
    t.tileTypes = 2;
    TileParams(m, 0, false, 3, m.triangleCenter, m.triangleRadial, m.triangleAngular, t);
    TileParams(m, 1, true, 12, m.dodecagonCenter, m.dodecagonRadial, m.dodecagonAngular, t);
    t.cellWidth = 1.0;
    t.cellHeight = m.topDodecagonCenter.im;
    auto& k = t.tt;
    k.s = m.halfEdge;
    k.t0 = m.limitT0;
    k.t1 = m.limitT1;
    k.u = m.limitU;
    k.w = m.limitW;
    k.v = m.limitV;
    k.k1 = m.slopeK1;
    k.k2 = m.slopeK2;
    k.k3 = m.slopeK3;
    k.k4 = m.slopeK4;
    Copy(m.topDodecagonCenter, k.top);
    Copy(m.rightDodecagonCenter, k.right);
    Copy(m.triangleCenter, k.triangle);
    Copy(m.leftTriangleCenter, k.leftTriangle);
    Copy(m.rightTriangleCenter, k.rightTriangle);
    Copy(m.rotatePlusThird, k.rotatePlus);
    Copy(m.rotateMinusThird, k.rotateMinus);
}

void CornerParams(const WildCornerMap& m, LaneParams& p)
{
    p.form = LaneParams::Form::WildCorner;
    auto& q = p.corner;
    Copy(m.center, q.center);
    constexpr int kTerms = WildCornerMap::kTerms;
    const int terms = std::clamp(m.depth, 0, kTerms);
    const int rows = std::min({m.rowCount, m.frequencies.GetSize() / kTerms, m.amplitudes.GetSize() / kTerms, 22});
    q.count = 0;
    for (int j = 0; j < rows; ++j)
        for (int k = 0; k < terms; ++k, ++q.count) {
            Copy(m.frequencies[kTerms * j + k], q.wave[q.count]);
            Copy(m.amplitudes[kTerms * j + k], q.amp[q.count]);
        }

    q.rows = std::max(rows, 0);
    q.terms = terms;
    q.lattice = m.rotations.GetSize() >= rows;
    const Complex a0 = m.twoPi * m.basisV, b0 = m.basisW;
    for (int k = 0; k < terms; ++k) {
        const WildCornerMap::WaveMultiple w = WildCornerMap::WaveMultipleOf(k);
        q.n[k] = w.n;
        q.m[k] = w.m;
    }
    for (int j = 0; j < rows && q.lattice; ++j) {
        const Complex turn = j == 0 ? Complex(1.0, 0.0) : m.rotations[j - 1];
        const Complex a = turn * a0, b = turn * b0;
        Copy(a, q.baseA[j]);
        Copy(b, q.baseB[j]);
        // A table that is not the combination it should be (a hand-made
        // session) keeps its own waves.
        for (int k = 0; k < terms; ++k) {
            const Complex wave = m.frequencies[kTerms * j + k], off = wave - (q.n[k] * a + q.m[k] * b);
            if (!(std::hypot(off.re, off.im) <= 1e-9 * (1.0 + std::hypot(wave.re, wave.im)))) q.lattice = false;
        }
    }
}

}  // namespace

std::optional<SimdPath> ParseSimdPath(const std::string& name)
{
    for (int i = 0; i < 4; ++i)
        if (name == kNames[i]) return static_cast<SimdPath>(i);
    return std::nullopt;
}

const char* SimdPathName(SimdPath path) { return kNames[static_cast<int>(path)]; }

bool SimdSupported(SimdPath path)
{
#if defined(TILVEX_X86_LANES)
    if (path == SimdPath::Avx512) return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
    if (path == SimdPath::Avx2) return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#endif
    return path == SimdPath::Auto || path == SimdPath::Scalar;
}

SimdPath ResolveSimd(SimdPath path)
{
    if (path != SimdPath::Auto) return SimdSupported(path) ? path : SimdPath::Scalar;
    if (SimdSupported(SimdPath::Avx512)) return SimdPath::Avx512;
    if (SimdSupported(SimdPath::Avx2)) return SimdPath::Avx2;
    return SimdPath::Scalar;
}

std::optional<Precision> ParsePrecision(const std::string& name)
{
    for (int i = 0; i < 2; ++i)
        if (name == kPrecisionNames[i]) return static_cast<Precision>(i);
    return std::nullopt;
}

const char* PrecisionName(Precision precision) { return kPrecisionNames[static_cast<int>(precision)]; }

const LaneKernelTable& KernelsOf(SimdPath path)
{
#if defined(TILVEX_X86_LANES)
    if (path == SimdPath::Avx512) return Avx512Kernels();
    if (path == SimdPath::Avx2) return Avx2Kernels();
    if (!__builtin_cpu_supports("fma")) return ScalarPlainKernels();
#endif
    (void)path;
    return ScalarKernels();
}

LaneParams MakeLaneParams(QuiltKind kind, int hexKnot, const SqrMap& square, const HexMap& hex,
                          const MapSixFourTwelve& fourSixTwelve, const MapFourEight& fourEight,
                          const MapThreeTwelve& threeTwelve, const WildCornerMap& wildCorner)
{
    LaneParams p;
    switch (kind) {
    case QuiltKind::Square: SquareParams(square, p); break;
    case QuiltKind::Hex: HexParams(hex, hexKnot, p); break;
    case QuiltKind::FourSixTwelve: SixFourTwelveParams(fourSixTwelve, p); break;
    case QuiltKind::FourEightEight: FourEightParams(fourEight, p); break;
    case QuiltKind::ThreeTwelveTwelve: ThreeTwelveParams(threeTwelve, p); break;
    case QuiltKind::WildCorner: CornerParams(wildCorner, p); break;
    }
    if (p.tiling.cellWidth > 0) {
        p.tiling.inversePeriod[0] = 1.0 / (2 * p.tiling.cellWidth);
        p.tiling.inversePeriod[1] = 1.0 / (2 * p.tiling.cellHeight);
    }
    return p;
}

void StartLane(const LaneParams& params, const HexMap& hex, LaneState& state, int lane, double u, double v)
{
    Complex start(u, v);
    if (params.form == LaneParams::Form::HexCell) start = HexMap(hex).FoldToCell(start);
    if (params.form == LaneParams::Form::HexKnot) start = {u + v * 0.5, v * params.hex.halfHeight};
    state.re[lane] = start.re;
    state.im[lane] = start.im;
    state.tile[lane] = params.tiling.initialTile;
}

void StepLanes(SimdPath path, Precision precision, const LaneParams& params, LaneState& state, int steps,
               const LaneSink& sink)
{
    KernelsOf(path).step(params, precision, state, steps, sink);
}

void FoldLanes(SimdPath path, const LaneParams& params, LaneState& state) { KernelsOf(path).fold(params, state); }

void ColourLanes(SimdPath path, ColorBy colorBy, LaneTrail& trail, const double* x, const double* y, int steps,
                 std::uint64_t* entries)
{
    KernelsOf(path).colour(colorBy, trail, x, y, steps, entries);
}

void LocateLanes(SimdPath path, int resolution, const double* u, const double* v, std::uint64_t* visits)
{
    KernelsOf(path).locate(resolution, u, v, visits);
}

}  // namespace tilvex::studio
