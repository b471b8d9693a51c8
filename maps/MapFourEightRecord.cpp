#include "core/SessionRecords.h"
#include "maps/MapFourEight.h"
#include "maps/TilingMapRecord.h"

namespace tilvex {

namespace {

template <class IO>
void Transfer(IO& io, MapFourEight& map)
{
    TransferTilingRecord(io, map, "4-8-8 map");
    CheckFoldPeriod(io, map.topRightSquareCenter.re, "4-8-8");
}

}  // namespace

void TransferRecord(ByteWriter& io, MapFourEight& map) { Transfer(io, map); }
void TransferRecord(ByteReader& io, MapFourEight& map) { Transfer(io, map); }

}  // namespace tilvex
