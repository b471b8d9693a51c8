#pragma once

namespace tilvex {

enum class QuiltKind { Square, Hex, FourSixTwelve, FourEightEight, ThreeTwelveTwelve, WildCorner };

}  // namespace tilvex
