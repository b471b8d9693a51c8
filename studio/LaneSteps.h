#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "maps/QuiltKind.h"
#include "maps/QuiltMaps.h"
#include "studio/ColorBy.h"

namespace tilvex::studio {

// Where the studio's orbits run: every path steps a batch of kLanes orbits,
// one at a time (scalar), in two 4-double vectors (AVX2) or in one 8-double
// vector (AVX-512). A lane's orbit is the same on each, so the path changes
// the speed only (on processors with fused multiply-adds).
enum class SimdPath { Auto, Scalar, Avx2, Avx512 };

inline constexpr int kLanes = 8;

std::optional<SimdPath> ParseSimdPath(const std::string& name);
const char* SimdPathName(SimdPath path);
bool SimdSupported(SimdPath path);  // Auto and Scalar always are
// Auto becomes the widest path this processor runs, a path it lacks the scalar one.
SimdPath ResolveSimd(SimdPath path);

// The library functions of a step: SLEEF's 1-ulp ones (exact), or its 3.5-ulp
// ones (fast: for previews and drafts; the density stays close, the orbits do not).
enum class Precision { Exact, Fast };

std::optional<Precision> ParsePrecision(const std::string& name);
const char* PrecisionName(Precision precision);

// The constants of one quilt's step, copied out of its map objects into plain
// arrays, so the vector code reads no map object and calls none of its code.
struct LaneParams {
    enum class Form { SquarePlain, SquareDetailed, HexCell, HexKnot, FourSixTwelve, FourEight, ThreeTwelve, WildCorner };
    Form form = Form::SquarePlain;

    struct Square {
        double twoPi, lambda, alpha, beta, gamma, omega, emm, shiftX, shiftY;
        int depth;
        double coef[6][6];  // coef[i][j] as SqrMap::Coef(i, j)
    } square{};

    struct Hex {
        bool detailed;
        double twoPi, halfHeight, fullHeight, inverseFullHeight;
        double waveA[3][2], waveB[3][2], waveC[3][2], waveD[3][2];  // B: waveB1, waveB23[0..1]
        double lambda[2], alpha[2], coefC23[2][2], coefD[3][2], hAlpha, hEmm;
        int last;                    // the detailed sum's last harmonic
        double detailWave[12][6][2];  // [k][j]
        double detailCoef[12][6][2];
        double sectorAngle[5];
        double sectorRotation[5][2];
    } hex{};

    // The tiling maps: fold constants and the polynomial terms of each tile type.
    struct Tile {
        int sides;
        double center[2];
        double radial[4][2], angular[4][2];
        bool libraryPower;
    };
    struct Tiling {
        int tileTypes;    // 2 or 3
        int initialTile;  // the map's tileType when the quilt was taken
        Tile tile[3];
        double cellWidth, cellHeight;  // the fold's half periods
        double inversePeriod[2];       // 1 / (2 cellWidth), 1 / (2 cellHeight)
        struct SixFourTwelve {
            double a, a2, twoA, b, bMinusA, cPlusA, twoCPlusA, bPlusC, twoCPlusB;
            double hexCenter[2], upperHexCenter[2], slantCenter[2], upperSquareCenter[2];
            double dodecagonCenter[2], upperDodecagonCenter[2], rotateMinusSixth[2];
        } sft;
        struct FourEight {
            double l, bandLimit, bandLimitY, bandLimitCorner, lowerSlope, upperSlope;
            double rightSquare[2], topLeftSquare[2], topRightSquare[2];
        } fe;
        struct ThreeTwelve {
            double s, t0, t1, u, w, v, k1, k2, k3, k4;
            double top[2], right[2], triangle[2], leftTriangle[2], rightTriangle[2], rotatePlus[2], rotateMinus[2];
        } tt;
    } tiling{};

    struct Corner {
        double center[2];
        int count;  // rows * terms
        double wave[22 * 12][2], amp[22 * 12][2];
        // Each row's waves are whole combinations n A + m B of the row's two
        // base waves (the first row's, turned): the fast step takes each
        // term's sine from powers of the bases' phases instead of a call.
        bool lattice;
        int rows, terms;
        double baseA[22][2], baseB[22][2];
        int n[12], m[12];
    } corner{};
};

LaneParams MakeLaneParams(QuiltKind kind, int hexKnot, const SqrMap& square, const HexMap& hex,
                          const MapSixFourTwelve& fourSixTwelve, const MapFourEight& fourEight,
                          const MapThreeTwelve& threeTwelve, const WildCornerMap& wildCorner);

// Orbits in lanes: the point each lane's next step starts from (as Orbit keeps
// it) and the tile type a tiling fold may carry over from the step before.
struct LaneState {
    alignas(64) double re[kLanes] = {};
    alignas(64) double im[kLanes] = {};
    alignas(64) double tile[kLanes] = {};
};

// Sets lane l to start from the unit point (u[l], v[l]) as a new Orbit does.
void StartLane(const LaneParams& params, const HexMap& hex, LaneState& state, int lane, double u, double v);

// Where a run of steps puts what each step of lane l gives, at [s * kLanes + l]
// for step s: its unit-square position (plotX/Y) and its visit to a
// DensityBuffer of `resolution` (DensityBuffer::Locate, packed), each when not null.
struct LaneSink {
    double* plotX = nullptr;
    double* plotY = nullptr;
    std::uint64_t* visits = nullptr;
    int resolution = 0;
};

// Each lane's latest plotted position and blended colour coordinate: where
// colouring by the orbit's structure has got to.
struct LaneTrail {
    LaneTrail()
    {
        for (int l = 0; l < kLanes; ++l) x[l] = y[l] = __builtin_nan(""), blend[l] = 0.5;
    }
    alignas(64) double x[kLanes];
    alignas(64) double y[kLanes];
    alignas(64) double blend[kLanes];
};

// Advances every lane `steps` steps on a resolved path.
void StepLanes(SimdPath path, Precision precision, const LaneParams& params, LaneState& state, int steps,
               const LaneSink& sink = {});
// A tiling step's fold of each lane's point (re, im) and tile type, alone.
void FoldLanes(SimdPath path, const LaneParams& params, LaneState& state);
// The colour map entries (0..255, in the low bits) of `steps` steps' plotted
// positions, kLanes a step as a sink gets them, coloured as colorBy says
// (not Density); the trail moves on past them. The same on every path.
void ColourLanes(SimdPath path, ColorBy colorBy, LaneTrail& trail, const double* x, const double* y, int steps,
                 std::uint64_t* entries);
// The packed visits of kLanes unit positions to a buffer of `resolution`, as a step's sink gets them.
void LocateLanes(SimdPath path, int resolution, const double* u, const double* v, std::uint64_t* visits);

}  // namespace tilvex::studio
