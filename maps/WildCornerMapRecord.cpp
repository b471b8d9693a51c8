#include <cmath>
#include <string>

#include "core/SessionRecords.h"
#include "maps/WildCornerMap.h"

namespace tilvex {

namespace {

bool FiniteTables(const WildCornerMap& m)
{
    auto finite = [](Complex c) { return std::isfinite(c.re) && std::isfinite(c.im); };
    if (!finite(m.basisV) || !finite(m.basisW)) return false;
    for (int i = 0; i < m.frequencies.GetSize(); ++i)
        if (!finite(m.frequencies[i])) return false;
    for (int i = 0; i < m.rotations.GetSize(); ++i)
        if (!finite(m.rotations[i])) return false;
    return true;
}

// A map never given an N holds zero angles and zero wave tables, and sends
// every point to the centre. Its record loads back to exactly that.
void RestoreNeverSetUp(WildCornerMap& m, int n, int rows, int depth)
{
    m.cornerN = n;
    m.rowCount = rows;
    m.depth = depth;
    m.sinTheta = m.cosTheta = m.theta = 0.0;
    m.basisV = m.basisW = Complex{};
    m.rotations.SetSize(0);
    m.rotations.SetSize(rows);
    m.frequencies.SetSize(0);
    m.frequencies.SetSize(WildCornerMap::kTerms * rows);
    m.amplitudes.SetSize(WildCornerMap::kTerms * rows);
}

void Read(ByteReader& io, WildCornerMap& m)
{
    io.Section("Wild Corner map");
    int n = 0, rows = 0, depth = 0;
    double sinTheta = 0.0, cosTheta = 0.0, theta = 0.0;
    io.I32(n);
    io.I32(rows);
    io.I32(depth);
    if (!io.Check(n >= kWildCornerMinN && n <= kWildCornerMaxN,
                  "its Wild Corner N value is " + std::to_string(n) + ", outside 3 to 42"))
        return;
    if (!io.Check(rows == n / 2 + 1, "its Wild Corner row count is " + std::to_string(rows) + ", not " +
                                         std::to_string(n / 2 + 1) + " for N = " + std::to_string(n)))
        return;
    if (!io.Check(depth >= 0 && depth <= kWildCornerMaxDepth,
                  "its Wild Corner depth is " + std::to_string(depth) + ", outside 0 to 12"))
        return;
    io.FiniteF64(sinTheta);
    io.FiniteF64(cosTheta);
    io.FiniteF64(theta);
    if (!io.Ok()) return;
    if (sinTheta == 0.0 && cosTheta == 0.0 && theta == 0.0) {
        RestoreNeverSetUp(m, n, rows, depth);
    } else {
        // The wave vectors divide by the sine.
        if (!io.Check(sinTheta != 0.0, "its Wild Corner sine is 0")) return;
        if (!io.Check(m.RebuildFromAngles(n, rows, depth, sinTheta, cosTheta, theta), "its Wild Corner table is invalid"))
            return;
        if (!io.Check(FiniteTables(m), "its Wild Corner angles give infinite wave vectors")) return;
    }
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < depth; ++j) io.Point(m.amplitudes[WildCornerMap::kTerms * i + j]);
}

void Write(ByteWriter& io, WildCornerMap& m)
{
    io.I32(m.cornerN);
    io.I32(m.rowCount);
    io.I32(m.depth);
    io.F64(m.sinTheta);
    io.F64(m.cosTheta);
    io.F64(m.theta);
    for (int i = 0; i < m.rowCount; ++i) {
        for (int j = 0; j < m.depth; ++j) {
            int index = WildCornerMap::kTerms * i + j;
            // Writes as many values as the counts above promise, whatever the tables hold.
            Complex a = index >= 0 && index < m.amplitudes.GetSize() ? m.amplitudes[index] : Complex{};
            io.Point(a);
        }
    }
}

}  // namespace

void TransferRecord(ByteWriter& io, WildCornerMap& map) { Write(io, map); }
void TransferRecord(ByteReader& io, WildCornerMap& map) { Read(io, map); }

}  // namespace tilvex
