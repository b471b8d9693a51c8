#include "core/SessionRecords.h"
#include "maps/MapSixFourTwelve.h"
#include "maps/TilingMapRecord.h"

namespace tilvex {

namespace {

template <class IO>
void Transfer(IO& io, MapSixFourTwelve& map)
{
    TransferTilingRecord(io, map, "4-6-12 map");
    CheckFoldPeriod(io, map.dodecagonCenter.re, "4-6-12");
}

}  // namespace

void TransferRecord(ByteWriter& io, MapSixFourTwelve& map) { Transfer(io, map); }
void TransferRecord(ByteReader& io, MapSixFourTwelve& map) { Transfer(io, map); }

}  // namespace tilvex
