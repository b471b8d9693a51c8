#include "core/SessionRecords.h"
#include "maps/HexMap.h"

namespace tilvex {

namespace {

template <class IO>
void Transfer(IO& io, HexMap& m)
{
    io.Section("hex map");
    io.Point(m.z);
    io.Point(m.w);
    for (Complex& s : m.sines) io.Point(s);
    io.Point(m.acc);
    io.Point(m.reservedPoint1);
    io.Point(m.reservedPoint2);
    io.Point(m.omega3);
    for (Complex& c : m.waveC) io.Point(c);
    for (Complex& d : m.waveD) io.Point(d);
    io.Point(m.waveB1);
    for (Complex& a : m.waveA) io.Point(a);
    for (Complex& b : m.waveB23) io.Point(b);
    for (Complex& c : m.coefC23) io.Point(c);
    for (Complex& d : m.coefD) io.Point(d);

    for (int k = 0; k < 6; ++k) {
        io.Point(m.rotOffset[k]);
        io.Point(m.sectorRotation[k]);
        io.F64(m.sectorAngle[k]);
    }
    io.Point(m.rotMinus30);
    io.Point(m.rotPlus30);
    io.Point(m.rot120);
    io.Point(m.rot240);
    io.Point(m.dualBasis1);
    io.Point(m.dualBasis2);

    for (int k = 0; k < HexMap::kHarmonics; ++k) {
        for (CComplexArray& c : m.detailCoef) io.Point(c[k]);
        for (CComplexArray& w : m.detailWave) io.Point(w[k]);
    }
    io.Point(m.workCoef);
    io.Point(m.workRot);
    io.Point(m.workRot2);
    io.Point(m.workConj);
    io.Point(m.workConjRot);
    io.Point(m.workWave);

    io.F64(m.twoPi);
    io.F64(m.twoThirdsPi);
    io.F64(m.sixthPi);
    io.F64(m.thirdPi);
    io.F64(m.halfHeight);
    io.F64(m.invHalfHeight);
    io.F64(m.sectorScale);
    io.F64(m.cellWidth);
    io.F64(m.invCellWidth);
    io.Point(m.spareOrigin);
    io.F64(m.spareHalfHeight);
    io.F64(m.spareMinusFullHeight);
    io.F64(m.fullHeight);
    io.Point(m.alpha);
    io.Point(m.lambda);
    io.F64(m.hEmm);
    io.F64(m.hAlpha);
    io.I32(m.detailed);
    io.I32(m.depth);
    io.I32(m.knot);
    if constexpr (IO::kReading) {
        // The detailed sum runs over harmonics 0..depth of twelve-entry tables.
        io.Check(m.depth >= 0 && m.depth < HexMap::kHarmonics,
                 "its hex map depth is " + std::to_string(m.depth) + ", outside 0 to 11");
        // The fold and the lattice coordinates divide by these.
        io.Check(m.halfHeight > 0.0 && m.thirdPi > 0.0, "its hex lattice constants are not positive");
    }
    io.F64(m.twoThirds);
    io.F64(m.threeHalves);
    for (int k = 0; k < 5; ++k) io.Point(m.tileCorners[k]);
    io.F64(m.tileWidth);
    io.F64(m.tileHeight);
    io.I32(m.spareInt1);
    io.I32(m.spareInt2);
}

}  // namespace

void TransferRecord(ByteWriter& io, HexMap& map) { Transfer(io, map); }
void TransferRecord(ByteReader& io, HexMap& map) { Transfer(io, map); }

}  // namespace tilvex
