#pragma once

#include <optional>
#include <stop_token>
#include <vector>

#include "studio/DensityEstimate.h"
#include "studio/FlatField.h"
#include "studio/RowBand.h"

namespace tilvex::studio {

// The edge-aware stage of the density estimate (non-local means): each cell
// becomes the weighted mean of the cells within kPatchReach of it whose 3 x 3
// patches look like its own, compared after Anscombe's square root has made
// the counts' noise even. Flat areas are averaged widely while ridges, caustic
// edges and fold lines keep their shape. `countsPerVisit` is how many samples
// stand behind one visit of the density (the symmetries averaged over), the
// noise the comparison allows for. Cells a flat field leaves uncovered stay
// empty, lend nothing and are left out of the patches' comparison; a cell a
// fold line cuts is compared in full-cell units, with its greater noise allowed for. Float sums in a fixed order per cell: the same
// field for any thread count and any band of rows; with a band, only its rows
// are made (the rest stay 0). Empty when stopped.
inline constexpr int kPatchReach = 3;

std::optional<std::vector<float>> PatchFilter(const PlainDensity& plain, int resolution, const FlatField* flat,
                                              double countsPerVisit, int threads, std::stop_token stop = {},
                                              RowBand rows = {});

}  // namespace tilvex::studio
