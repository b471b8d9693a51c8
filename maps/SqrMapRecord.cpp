#include "core/SessionRecords.h"
#include "maps/SqrMap.h"

namespace tilvex {

namespace {

template <class IO>
void Transfer(IO& io, SqrMap& m)
{
    io.Section("square map");
    io.F64(m.lambda);
    io.F64(m.alpha);
    io.F64(m.beta);
    io.F64(m.gamma);
    io.F64(m.omega);
    io.F64(m.emm);
    io.F64(m.shiftX);
    io.F64(m.shiftY);
    io.F64(m.twoPi);
    io.I32(m.detailed);
    io.U16(m.depth);
    io.Pad(2);
    if constexpr (IO::kReading) {
        // The detailed step indexes six-entry tables with it.
        if (!io.Check(m.depth <= 6, "its square map depth is " + std::to_string(m.depth) + ", above 6")) return;
    }
    // Positions outside coefRows x coefCols read as 0.0 and drop writes.
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            double c = m.Coef(i, j);
            io.F64(c);
            if constexpr (IO::kReading) {
                if (io.Ok()) m.SetCoef(i, j, c);
            }
        }
    }
}

}  // namespace

void TransferRecord(ByteWriter& io, SqrMap& map) { Transfer(io, map); }
void TransferRecord(ByteReader& io, SqrMap& map) { Transfer(io, map); }

}  // namespace tilvex
