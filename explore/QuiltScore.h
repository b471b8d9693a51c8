#pragma once

#include <cstdint>
#include <span>

namespace tilvex {

// How interesting a finished quilt looks, from its grid's hit counts alone,
// between 0 and 1 (higher is better):
//
//   score = fill x spread
//
// fill:   the share of the grid's cells that were hit, counted as full once a
//         fifth of the grid is hit (the hex and tiling kinds draw on part of
//         the grid only), so a quilt that collapsed onto a few cells scores
//         near 0.
// spread: the entropy of the histogram of the hit cells' densities, in
//         kScoreBins bins of log(count) / log(max count + 1), divided by the
//         entropy of kScoreBins equal bins. A quilt of one even density puts
//         every cell into one or two bins and scores near 0; a quilt with
//         dark, middle and bright areas fills many bins.
//
// The sums run in cell order, so equal counts give bit-identical scores.
inline constexpr int kScoreBins = 32;
inline constexpr double kFullFillShare = 0.2;

double QuiltScore(std::span<const std::uint16_t> counts);

}  // namespace tilvex
