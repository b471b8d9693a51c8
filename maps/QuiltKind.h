#pragma once

#include "core/QuiltState.h"

namespace tilvex {

enum class QuiltKind { Square, Hex, FourSixTwelve, FourEightEight, ThreeTwelveTwelve, WildCorner };

// The family the flags select, tested in the generation loop's order.
inline QuiltKind KindOf(const KindFlags& f)
{
    if (f.kindFourEightEight) return QuiltKind::FourEightEight;
    if (f.kindThreeTwelveTwelve) return QuiltKind::ThreeTwelveTwelve;
    if (f.kindFourSixTwelve) return QuiltKind::FourSixTwelve;
    if (f.kindWildCorner) return QuiltKind::WildCorner;
    if (f.kindHex) return QuiltKind::Hex;
    return QuiltKind::Square;
}

}  // namespace tilvex
