#pragma once

#include "render/QuiltSnapshot.h"
#include "studio/DensityBuffer.h"

namespace tilvex::studio {

// Symmetries of a quilt's map of the unit torus that carry the buffer's cells
// onto cells: the transpose (x, y) -> (y, x) and the point reflection
// (x, y) -> (-x, -y). Where the map commutes with one, a visit and its image
// are equally likely (the orbits start uniformly on the torus), so the counts
// averaged over the group estimate the same density from several times the
// samples. The fold of the tilings already takes their groups; the square map
// has both for every coefficient (its two coordinates share one form, and its
// terms are odd) as long as its shift and multiplier keep the torus whole.
struct CellSymmetry {
    bool transpose = false;
    bool pointReflection = false;

    int Order() const { return (transpose ? 2 : 1) * (pointReflection ? 2 : 1); }
    friend bool operator==(const CellSymmetry&, const CellSymmetry&) = default;
};

CellSymmetry CellSymmetryOf(const QuiltSnapshot& quilt);

// The buffer's counts averaged over the group's images of each cell (rounded
// to the buffer's units): the same whatever the threads.
DensityBuffer Symmetrised(const DensityBuffer& buffer, CellSymmetry symmetry, int threads);

}  // namespace tilvex::studio
