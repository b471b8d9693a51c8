#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

#include "explore/Gallery.h"

namespace tilvex {

// Share of the tile a variation must fill, and the budget it is judged on.
inline constexpr double kMinVariationFill = 0.02;
inline constexpr int kDefaultVariationIterations = 400000;
// Candidates drawn per variation wanted before giving up on the rest.
inline constexpr int kVariationAttempts = 6;

struct VariationRequest {
    std::vector<std::uint8_t> centre;  // the quilt varied, as a session
    int count = 8;
    double spread = 0.1;  // each coefficient moves up to this share of its range
    double seed = 1.0;    // whole, 0 ... 4294967295
    int maxIterations = kDefaultVariationIterations;
    int thumbWidth = kDefaultThumbWidth;
    int threads = 0;  // 0: every core
};

// Variations of the centre quilt: each draws new values for the continuous
// coefficients of its form around the centre's (integer ones are kept), sets
// the quilt up from them as the parameter editor does and grows it to the
// budget. A candidate whose orbit escapes, restarts for converging, or fills
// under kMinVariationFill of the grid is dropped. Candidates are drawn from
// one random source seeded with the seed and judged in batches, so the
// result (in draw order; quilt.index is the candidate's number, quilt.seed
// its seed) is the same for any thread count. onEntry sees each kept one in
// order. Empty when stopped or the centre does not load; fewer than count
// when too many candidates failed.
std::optional<std::vector<GalleryEntry>> MakeVariations(const VariationRequest& request,
                                                        const std::function<void(const GalleryEntry&)>& onEntry = {},
                                                        std::stop_token stop = {});

}  // namespace tilvex
