#pragma once

#include <optional>
#include <stop_token>
#include <vector>

#include "render/QuiltSnapshot.h"
#include "studio/Accumulator.h"
#include "studio/DensityBuffer.h"
#include "studio/FloatImage.h"
#include "studio/Look.h"

namespace tilvex::studio {

// The tile's density per pixel, through the kind's pixel rule, top row first.
// Empty when stopped.
std::optional<std::vector<float>> FoldTile(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width,
                                           int height, int threads, std::stop_token stop = {},
                                           const ShareDone& progress = {});

// The picture of a density under a look: the fold, then tone and colour
// maps (applied row by row as the image is read). Empty when stopped.
std::optional<FloatImage> Develop(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width, const Look& look,
                                  int threads, std::stop_token stop = {}, const ShareDone& progress = {});

// The exact grid as it stands, developed as a studio picture: a quick look
// at a quilt still being generated, no sampling.
FloatImage DevelopGrid(const QuiltSnapshot& quilt, int width, const Look& look, int threads);

}  // namespace tilvex::studio
