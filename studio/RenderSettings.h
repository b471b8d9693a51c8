#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "studio/LaneSteps.h"

namespace tilvex::studio {

// What a studio picture is sampled with: its size, its sample budget, the
// orbits' start points and the precision of their steps. Two renders of one
// quilt with equal settings count the same visits, whatever the threads,
// passes or vector path.
struct RenderSettings {
    int width = 1024;               // the tile's width in pixels; its height follows the kind's tile
    double samplesPerPixel = 16.0;  // the budget is this times the tile's pixels
    std::uint64_t seed = 0;         // picks the orbits' start points
    SimdPath simd = SimdPath::Auto;  // speed only
    Precision precision = Precision::Exact;
    int chunks = 64;  // the budget's fixed split, the unit of parallel work

    friend bool operator==(const RenderSettings&, const RenderSettings&) = default;
};

// The ranges the front ends offer and check before any work.
inline constexpr int kMinWidth = 16, kMaxWidth = 16384;
inline constexpr double kMaxSamplesPerPixel = 100000.0;
inline constexpr int kMinChunks = 1, kMaxChunks = 4096;
inline constexpr int kMaxPeriod = 32;
inline constexpr int kMaxPictureSide = 65535;  // a PNG's limit

// Empty when the settings lie in those ranges, else what is wrong, by field name.
std::string Validate(const RenderSettings& renderSpec);

void to_json(nlohmann::json& j, const RenderSettings& renderSpec);
// Fields left out keep their defaults; unknown keys and bad values throw
// std::invalid_argument naming the key.
void from_json(const nlohmann::json& j, RenderSettings& renderSpec);

}  // namespace tilvex::studio
