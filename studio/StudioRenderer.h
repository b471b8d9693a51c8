#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "studio/ColorMap.h"
#include "studio/DensityBuffer.h"
#include "studio/LaneSteps.h"
#include "render/QuiltSnapshot.h"
#include "studio/ToneMap.h"

namespace tilvex::studio {

struct StudioSettings {
    int width = 1024;                  // the tile's width in pixels; its height follows the kind's tile
    double samplesPerPixel = 16.0;     // the sample budget is this times the tile's pixels
    ToneSettings tone;
    std::optional<Rgb8> background;    // empty cells; none: the colour map's darkest end
    int threads = 0;                   // 0: every core
    std::uint64_t seed = 0;            // picks the orbits' start points
    SimdPath simd = SimdPath::Auto;    // a path the processor lacks must not be asked for
};

// Called now and then with the share of the work done; false cancels.
using StudioProgress = std::function<bool(double done)>;

struct StudioImage {
    int width = 0, height = 0;
    std::vector<Rgb8> pixels;  // top row first
    std::uint64_t samples = 0;
    int threads = 0;
    SimdPath simd = SimdPath::Scalar;  // the path the orbits ran on
};

// Every orbit of the budget is one of kChunks chunks, fixed whatever the
// number of threads, and counts are integers, so the result is the same for
// any thread count.
inline constexpr int kChunks = 64;
inline constexpr int kWarmUpSteps = 3000;

// Height of a tile of this width for the quilt's kind: the exact tile's aspect.
int StudioTileHeight(const QuiltSnapshot& quilt, int width);
// Cells per unit of the density buffer for a tile of this width: about one per pixel.
int StudioResolution(const QuiltSnapshot& quilt, int width);

// The density of `samples` visits from kChunks chunks of orbits of the quilt's
// map: one orbit each on the scalar path, a lane batch each on a vector path
// (the same for any thread count, path by path). Empty when cancelled.
std::optional<DensityBuffer> Accumulate(const QuiltSnapshot& quilt, int resolution, std::uint64_t samples,
                                        std::uint64_t seed, int threads, const StudioProgress& progress,
                                        SimdPath simd = SimdPath::Auto);

// The tile's density per pixel, through the kind's pixel rule, top row first.
std::vector<float> TileDensities(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width, int height,
                                 int threads);

// Tone-maps densities and colours them; empty pixels take the background.
std::vector<Rgb8> Colourise(const std::vector<float>& densities, const ToneSettings& tone, const ColorMap& colours,
                            const std::optional<Rgb8>& background);

// The exact grid as it stands, through the studio's interpolation, tone
// mapping and colours: a quick picture of a quilt still being generated.
StudioImage PreviewTile(const QuiltSnapshot& quilt, int width, const StudioSettings& settings, const ColorMap& colours);

// The whole picture. Empty when cancelled.
std::optional<StudioImage> RenderStudioTile(const QuiltSnapshot& quilt, const StudioSettings& settings,
                                            const ColorMap& colours, const StudioProgress& progress = {});

}  // namespace tilvex::studio
