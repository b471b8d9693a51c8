#include "core/SessionRecords.h"
#include "maps/MapThreeTwelve.h"
#include "maps/TilingMapRecord.h"

namespace tilvex {

namespace {

template <class IO>
void Transfer(IO& io, MapThreeTwelve& map)
{
    TransferTilingRecord(io, map, "3-12-12 map");
    CheckFoldPeriod(io, map.topDodecagonCenter.im, "3-12-12");
}

}  // namespace

void TransferRecord(ByteWriter& io, MapThreeTwelve& map) { Transfer(io, map); }
void TransferRecord(ByteReader& io, MapThreeTwelve& map) { Transfer(io, map); }

}  // namespace tilvex
