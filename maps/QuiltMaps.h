#pragma once

#include "maps/HexMap.h"
#include "maps/MapFourEight.h"
#include "maps/MapSixFourTwelve.h"
#include "maps/MapThreeTwelve.h"
#include "maps/SqrMap.h"
#include "maps/WildCornerMap.h"

namespace tilvex {

// The six quilt maps of one application state, each with its coefficients
// and working values. The pixel rules fold through them too, so image
// building gets the whole group.
struct QuiltMaps {
    SqrMap square;
    HexMap hex;
    MapSixFourTwelve fourSixTwelve;
    MapFourEight fourEightEight;
    MapThreeTwelve threeTwelveTwelve;
    WildCornerMap wildCorner;
};

}  // namespace tilvex
