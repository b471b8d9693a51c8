#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "studio/CellSymmetry.h"
#include "studio/DensityBuffer.h"
#include "studio/FlatField.h"
#include "studio/RowBand.h"

namespace tilvex::studio {

// How the accumulated counts are filtered before tone mapping.
// Patches (auto): the edge-aware filter of PatchFilter.h, which keeps
// ridges, caustic edges and fold lines while flat areas are averaged widely.
// Kernel: the flame renderers' adaptive kernel. Each cell's density is
// averaged over a square kernel whose radius (in cells) falls with the cell's
// count n (visits per full cell, over its 3 x 3 neighbourhood):
// radius = maxRadius / n^curve, clamped to minRadius .. maxRadius, so sparse
// areas are smoothed widely and dense ones not at all (below half a cell the
// cell stands alone).
enum class DenoiseFilter { Patches, Kernel };

struct DenoiseSettings {
    bool on = true;
    DenoiseFilter filter = DenoiseFilter::Patches;
    double maxRadius = 9.0;  // the kernel's three
    double curve = 0.6;
    double minRadius = 0.0;

    friend bool operator==(const DenoiseSettings&, const DenoiseSettings&) = default;
};

// "auto" (patches), "kernel" or "off", as looks and the command line name them.
const char* DenoiseName(const DenoiseSettings& settings);
// Sets on and filter from a name; false for any other text.
bool ParseDenoise(const std::string& name, DenoiseSettings& settings);

// Cell index i of a side of n cells, wrapped onto the torus.
inline int WrapCell(long long i, int n)
{
    const long long r = i % n;
    return static_cast<int>(r < 0 ? r + n : r);
}

inline constexpr double kMaxDenoiseRadius = 32.0, kMaxDenoiseCurve = 4.0;

// The buffer's counts over the fold's coverage, cell by cell, read
// bilinearly: the density before any filter.
class PlainDensity {
public:
    PlainDensity(const DensityBuffer& buffer, const FlatField* flat);

    double Cell(std::size_t cell) const;
    double Sample(double u, double v) const;

private:
    const DensityBuffer* buffer_;  // outlives the reader
    const FlatField* flat_;
};

// A smooth density over the unit square, in visits per fully covered cell.
class DensityField {
public:
    DensityField(int resolution, std::vector<float> values, const FlatField* flat = nullptr)
        : resolution_(resolution), values_(std::move(values)), flat_(flat)
    {
    }
    // A filtered field that remembers which cells samples reached (with
    // coverage), as a plain one does by itself.
    DensityField(int resolution, std::vector<float> values, const FlatField* flat, std::vector<bool> filled)
        : resolution_(resolution), values_(std::move(values)), flat_(flat), filled_(std::move(filled))
    {
    }
    // The field of no filter read from the buffer itself, each cell rounded to
    // a float as a made field's is: the same field without a copy of the
    // buffer (a quarter gigabyte at 8192 pixels). Its Values() are empty.
    static DensityField Unfiltered(const DensityBuffer& buffer, const FlatField* flat);

    int Resolution() const { return resolution_; }
    // Empty for an unfiltered field.
    const std::vector<float>& Values() const { return values_; }
    std::vector<float>& Values() { return values_; }  // filled in by bands made elsewhere
    // Bilinear density at unit position (u, v), wrapping at the edges as the
    // buffer's splats do; with a flat field each cell weighs by its coverage,
    // so a cell a fold line barely touches (whose coverage is least certain)
    // counts for little.
    double Sample(double u, double v) const;
    // Sample, and whether the plain density there is above 0 (some sample
    // reached a cell the reading weighs), as an exposure is measured where
    // samples landed. A field made without that record answers from its values.
    double Sample(double u, double v, bool& filled) const;

private:
    int resolution_;
    std::vector<float> values_;
    const FlatField* flat_;  // outlived by the field's user
    std::vector<bool> filled_;  // per cell, for a filtered field
    std::optional<PlainDensity> unfiltered_;  // read instead of values_; its buffer outlives the field
};

// Cells with less coverage than this lie outside the folded cell: left empty
// rather than lifted from a splat's faint edge.
inline constexpr double kMinCoverage = 1.0 / 64;

// The buffer's counts averaged over the map's symmetries, divided by the
// fold's coverage (none: uniform), then filtered as the settings say; the
// filters wrap at the unit square's edges and weigh coverage alike, so cells
// cut by a fold line count as full and no empty cell darkens its neighbours.
// Empty when stopped. The same buffer gives the same field for any thread
// count. With a band of the buffer's rows only those cells are made (the rest
// stay 0), the same as in the whole field.
std::optional<DensityField> EstimateDensity(const DensityBuffer& buffer, const FlatField* flat,
                                            const DenoiseSettings& settings, int threads, std::stop_token stop = {},
                                            RowBand rows = {}, CellSymmetry symmetry = {});

}  // namespace tilvex::studio
