#pragma once

#include <optional>
#include <stop_token>
#include <vector>

#include "render/QuiltSnapshot.h"
#include "studio/Accumulator.h"
#include "studio/DensityBuffer.h"
#include "studio/DensityEstimate.h"
#include "studio/FloatImage.h"
#include "studio/Look.h"
#include "studio/RowBand.h"

namespace tilvex::studio {

// The tile's density per pixel, through the kind's pixel rule, top row first,
// and (when asked) the histogram its exposure is taken from: the density at
// the pixels' centres that samples reached. A filter's spread into empty
// ground does not move the black point, and its estimate, truer than the
// grainy counts, sets the points.
struct FoldedTile {
    std::vector<float> densities;
    DensityHistogram exposure;
    std::vector<std::uint32_t> colours;  // PackColour of the mean sample colour, when colour sums were given
};

// With oversample N above 1 the field is N times the picture's resolution and
// each pixel is a Gaussian (sigma half a pixel) of the 2N x 2N points of an
// N x N grid a pixel that lie within a pixel of its centre. Empty when stopped.
// With a band of the picture's rows, those rows only (and their histogram).
std::optional<FoldedTile> FoldTile(const QuiltSnapshot& quilt, const DensityField& field, bool measureExposure,
                                   int width, int height, int oversample, int threads, std::stop_token stop = {},
                                   const ShareDone& progress = {}, const ColourSums* colours = nullptr,
                                   RowBand rows = {});

// The plain density per pixel (the flat field divided out, no estimate, no
// oversampling), as a run of pictures adds up its instants. Empty when stopped.
std::optional<std::vector<float>> FoldTile(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width,
                                           int height, int threads, std::stop_token stop = {},
                                           const ShareDone& progress = {});

// How a develop takes the fold's flat field: made (or waited for) if need
// be, or only one already made, as a draft may (its fold lines then show).
enum class FlatFieldUse { MakeIfNeeded, IfMade };

// The picture of a density under a look: the flat field and the density
// estimate, the fold, then tone and colour maps (applied row by row as the
// image is read). The buffer's resolution is the picture's times the look's
// oversampling. Empty when stopped.
// With colour sums (a look that colours by structure) each pixel gets the
// mean colour of the samples about its folded position.
std::optional<FloatImage> Develop(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width, const Look& look,
                                  int threads, std::stop_token stop = {}, const ShareDone& progress = {},
                                  const ColourSums* colours = nullptr,
                                  FlatFieldUse flatUse = FlatFieldUse::MakeIfNeeded);

// Develop for a buffer that is not needed afterwards (a render's last
// develop): the buffer is freed once the estimate is made, so the counts
// never share memory with the picture being folded. The same picture as
// Develop's.
std::optional<FloatImage> DevelopSpending(const QuiltSnapshot& quilt, DensityBuffer buffer, int width, const Look& look,
                                          int threads, std::stop_token stop = {}, const ShareDone& progress = {},
                                          const ColourSums* colours = nullptr);

// The exact grid as it stands, developed as a studio picture: a quick look
// at a quilt still being generated, no sampling.
FloatImage DevelopGrid(const QuiltSnapshot& quilt, int width, const Look& look, int threads);

}  // namespace tilvex::studio
