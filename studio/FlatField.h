#pragma once

#include <cstdint>
#include <memory>
#include <stop_token>
#include <vector>

#include "render/QuiltSnapshot.h"

namespace tilvex::studio {

// The fold's own footprint at one buffer resolution: how much of a uniform
// field of points over the tile, pushed through the kind's pixel rule and
// splatted as samples are, each cell collects. A cell cut by a fold line or
// an edge of the folded cell collects part of a full share; dividing the
// density by it makes that cell count as a full one.
class FlatField {
public:
    FlatField(int resolution, std::vector<std::uint32_t> counts, double full)
        : resolution_(resolution), counts_(std::move(counts)), full_(full)
    {
    }

    int Resolution() const { return resolution_; }
    // Counts in the buffer's units; Full() is what a fully covered cell collects.
    const std::vector<std::uint32_t>& Counts() const { return counts_; }
    double Full() const { return full_; }
    double Coverage(std::size_t cell) const { return counts_[cell] / full_; }

private:
    int resolution_;
    std::vector<std::uint32_t> counts_;
    double full_;
};

// The quilt's flat field at this resolution, made once and kept for later
// calls with the same fold and resolution. Null for the kinds whose pixel
// rule mirrors whole unit squares (square, Wild Corner): they cover every
// cell alike, and null (nothing kept) when stopped before it was made.
std::shared_ptr<const FlatField> FlatFieldFor(const QuiltSnapshot& quilt, int resolution, int threads,
                                              std::stop_token stop = {});

// The field if one made for the quilt's fold and this resolution is kept,
// without making it or waiting for it: null otherwise.
std::shared_ptr<const FlatField> FlatFieldIfMade(const QuiltSnapshot& quilt, int resolution);

// The field made by several processes: part `part` of `parts` of its points
// (bands of its lattice) gives counts that, summed cell by cell over the
// parts, are the whole field's. Empty for the kinds with no field, and when stopped.
std::vector<std::uint32_t> FlatFieldCounts(const QuiltSnapshot& quilt, int resolution, int threads, int part = 0,
                                           int parts = 1, std::stop_token stop = {});
// The field of the summed counts (null for none).
std::shared_ptr<const FlatField> FlatFieldFromCounts(int resolution, std::vector<std::uint32_t> counts);

}  // namespace tilvex::studio
