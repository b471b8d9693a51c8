#include "studio/DensityEstimate.h"

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <cmath>

#include "studio/Accumulator.h"
#include "studio/PatchFilter.h"

namespace tilvex::studio {

namespace {

// Nested boxes a kernel is made of.
constexpr int kBoxes = 3;
constexpr int kBandRows = 64;

// The filter scatters, as flame renderers' does: each cell spreads its
// count over its own kernel, so a dense ridge keeps its edge while the few
// samples of a sparse area are spread wide, and empty cells spread nothing.
// Each cell's sum is then divided by the coverage its own kernel sees, so
// where a fold line or the edge of the folded cell cuts the kernels a uniform
// density stays uniform. Kernels are summed as boxes in a difference array,
// one band of rows at a time, in integers (wrapping modulo 2^64 on the way,
// exact at the end), so the result is the same whatever the bands and threads.
class BandScatter {
public:
    static constexpr double kScale = 65536.0;  // fixed-point units of a box's weight

    BandScatter(int resolution, int margin, int rows)
        : resolution_(resolution), margin_(margin), stride_(static_cast<std::size_t>(resolution + 2 * margin + 1)),
          counts_(static_cast<std::size_t>(rows + 1) * stride_)
    {
    }

    // A band of up to the constructor's rows; with a flat field, its
    // coverage's summed areas over the band and the margins.
    void Start(int firstRow, int rows, const FlatField* flat)
    {
        firstRow_ = firstRow;
        rows_ = rows;
        std::fill(counts_.begin(), counts_.end(), 0);
        cover_.clear();
        if (!flat) return;
        cover_.assign(static_cast<std::size_t>(rows + 2 * margin_ + 1) * stride_, 0);
        for (int j = 0; j < rows + 2 * margin_; ++j) {
            const std::size_t row = static_cast<std::size_t>(WrapCell(firstRow - margin_ + j, resolution_)) * resolution_;
            const std::size_t above = static_cast<std::size_t>(j) * stride_, here = above + stride_;
            std::uint64_t run = 0;
            for (int i = 0; i < resolution_ + 2 * margin_; ++i) {
                run += flat->Counts()[row + static_cast<std::size_t>(WrapCell(i - margin_, resolution_))];
                cover_[here + i + 1] = cover_[above + i + 1] + run;
            }
        }
    }

    // Adds a (2n + 1)^2 box around (x, y) (y may lie beyond the band, x within 0 .. resolution).
    void Box(int x, int y, int n, std::uint64_t count)
    {
        const int top = std::max(y - n, firstRow_) - firstRow_;
        const int bottom = std::min(y + n + 1, firstRow_ + rows_) - firstRow_;
        if (top >= bottom) return;
        const std::size_t left = static_cast<std::size_t>(x - n + margin_);
        const std::size_t right = static_cast<std::size_t>(x + n + 1 + margin_);
        const std::size_t a = static_cast<std::size_t>(top) * stride_, b = static_cast<std::size_t>(bottom) * stride_;
        counts_[a + left] += count;
        counts_[a + right] -= count;
        counts_[b + left] -= count;
        counts_[b + right] += count;
    }

    // The flat field's counts in the (2n + 1)^2 box around cell (x, y) of the band.
    std::uint64_t Cover(int x, int y, int n) const
    {
        const std::size_t top = static_cast<std::size_t>(y - firstRow_ + margin_ - n) * stride_;
        const std::size_t bottom = top + static_cast<std::size_t>(2 * n + 1) * stride_;
        const std::size_t left = static_cast<std::size_t>(x + margin_ - n), right = left + 2 * n + 1;
        return cover_[bottom + right] - cover_[top + right] - cover_[bottom + left] + cover_[top + left];
    }

    // The band's sums, the margins wrapped onto the cells they stand for:
    // calls out(y, x, count) for every cell of the band.
    template <class Out>
    void Finish(Out&& out)
    {
        const int width = resolution_ + 2 * margin_;
        std::vector<std::uint64_t> count(static_cast<std::size_t>(resolution_));
        for (int j = 0; j < rows_; ++j) {
            std::uint64_t* c = counts_.data() + static_cast<std::size_t>(j) * stride_;
            // Down the columns first: this row then holds the boxes' column sums.
            if (j > 0)
                for (int i = 0; i < width; ++i) c[i] += c[static_cast<std::ptrdiff_t>(i) - static_cast<std::ptrdiff_t>(stride_)];
            std::fill(count.begin(), count.end(), 0);
            std::uint64_t run = 0;
            for (int i = 0; i < width; ++i) {
                run += c[i];
                count[static_cast<std::size_t>(WrapCell(i - margin_, resolution_))] += run;
            }
            for (int x = 0; x < resolution_; ++x) out(firstRow_ + j, x, count[static_cast<std::size_t>(x)]);
        }
    }

private:
    int resolution_, margin_, rows_ = 0, firstRow_ = 0;
    std::size_t stride_;
    std::vector<std::uint64_t> counts_, cover_;
};

// The four cells a bilinear reading at unit position (u, v) weighs, wrapping
// at the edges; false (nothing to read) for positions beyond any use.
bool BilinearCells(int resolution, double u, double v, std::size_t (&c)[4], double (&w)[4])
{
    const double x = u * resolution - 0.5, y = v * resolution - 0.5;
    if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) return false;
    const double fx = std::floor(x), fy = std::floor(y);
    const double ax = x - fx, ay = y - fy;
    const int x0 = WrapCell(static_cast<long long>(fx), resolution), y0 = WrapCell(static_cast<long long>(fy), resolution);
    const int x1 = x0 + 1 == resolution ? 0 : x0 + 1;
    const int y1 = y0 + 1 == resolution ? 0 : y0 + 1;
    auto cell = [resolution](int cx, int cy) { return static_cast<std::size_t>(cy) * resolution + cx; };
    c[0] = cell(x0, y0), c[1] = cell(x1, y0), c[2] = cell(x0, y1), c[3] = cell(x1, y1);
    w[0] = (1 - ax) * (1 - ay), w[1] = ax * (1 - ay), w[2] = (1 - ax) * ay, w[3] = ax * ay;
    return true;
}

// Bilinear reading of cell values: the four cells and weights BilinearCells
// gives, with a flat field weighted by the cells' coverage.
template <class At>
double Bilinear(const std::size_t (&c)[4], const double (&w)[4], const FlatField* flat, At&& at)
{
    double sum = 0.0, weight = 0.0;
    for (int k = 0; k < 4; ++k) {
        const double cw = flat ? w[k] * std::min(flat->Coverage(c[k]), 1.0) : w[k];
        sum += cw * at(c[k]);
        weight += cw;
    }
    return weight > 0.0 ? sum / weight : 0.0;
}

// The flame renderers' adaptive kernel over the counts (DenoiseFilter::Kernel).
std::optional<std::vector<float>> KernelFilter(const DensityBuffer& buffer, const FlatField* flat,
                                               const DenoiseSettings& settings, int threads, std::stop_token stop,
                                               RowBand rows)
{
    const int resolution = buffer.Resolution();
    const std::span<const std::uint32_t> cells = buffer.Cells();
    std::vector<float> values(cells.size());
    tbb::task_arena arena(ThreadCount(threads));
    const double maxRadius = std::clamp(settings.maxRadius, 0.0, kMaxDenoiseRadius);
    const double minRadius = std::clamp(settings.minRadius, 0.0, maxRadius);
    const int margin = static_cast<int>(std::lround(maxRadius)) + 1;
    // The kernel radius at (x, y) from the visits per full cell of its 3 x 3 neighbourhood.
    auto radiusAt = [&](int x, int y) {
        double count = 0.0, cover = 0.0;
        for (int j = -1; j <= 1; ++j) {
            const std::size_t row = static_cast<std::size_t>(WrapCell(y + j, resolution)) * resolution;
            for (int i = -1; i <= 1; ++i) {
                const std::size_t cell = row + static_cast<std::size_t>(WrapCell(x + i, resolution));
                count += cells[cell];
                cover += flat ? flat->Coverage(cell) : 1.0;
            }
        }
        const double n = cover > 0.0 ? count / DensityBuffer::kOneVisit / cover : 0.0;
        return n > 0.0 ? std::clamp(maxRadius * std::pow(n, -settings.curve), minRadius, maxRadius) : maxRadius;
    };
    // A kernel as boxes and their weights: kBoxes nested squares of radius
    // r k / kBoxes, each normalised (so the weight falls towards the edge),
    // and each between the two whole radii around it, so a kernel grows
    // smoothly with r from the cell alone.
    struct Kernel {
        int count = 0;
        int n[2 * kBoxes];
        double weight[2 * kBoxes];
    };
    auto kernelOf = [](double radius, Kernel& kernel) {
        kernel.count = 0;
        for (int k = 1; k <= kBoxes; ++k) {
            const double t = radius * k / kBoxes;
            const int whole = static_cast<int>(t);
            const double f = t - whole;
            for (int side = 0; side < 2; ++side) {
                const double share = (side ? f : 1.0 - f) / kBoxes;
                if (share <= 0.0) continue;
                const int n = whole + side;
                kernel.n[kernel.count] = n;
                kernel.weight[kernel.count++] = share / ((2.0 * n + 1) * (2.0 * n + 1));
            }
        }
    };
    // Each cell's radius once, for the rows the bands and their margins read:
    // a band's margins and its coverage would otherwise ask for it again.
    // Only filled cells scatter; without a flat field no other cell needs one.
    std::vector<double> radii(cells.size());
    const int radiusRows = std::min(resolution, rows.Count() + 2 * margin);
    arena.execute([&] {
        tbb::parallel_for(0, radiusRows, [&](int j) {
            const int y = radiusRows == resolution ? j : WrapCell(rows.first - margin + j, resolution);
            for (int x = 0; x < resolution; ++x) {
                const std::size_t cell = static_cast<std::size_t>(y) * resolution + x;
                if (flat || cells[cell]) radii[cell] = radiusAt(x, y);
            }
        });
    });
    tbb::enumerable_thread_specific<BandScatter> bands([&] { return BandScatter(resolution, margin, kBandRows); });
    const int bandCount = (rows.Count() + kBandRows - 1) / kBandRows;
    arena.execute([&] {
        tbb::parallel_for(0, bandCount, [&](int band) {
            if (stop.stop_requested()) return;
            const int y0 = rows.first + band * kBandRows, y1 = std::min(rows.last, y0 + kBandRows);
            BandScatter& scatter = bands.local();
            scatter.Start(y0, y1 - y0, flat);
            Kernel kernel;
            for (int y = y0 - margin; y < y1 + margin; ++y) {
                const int row = WrapCell(y, resolution);
                for (int x = 0; x < resolution; ++x) {
                    const std::uint32_t count = cells[static_cast<std::size_t>(row) * resolution + x];
                    if (!count) continue;
                    kernelOf(radii[static_cast<std::size_t>(row) * resolution + x], kernel);
                    for (int k = 0; k < kernel.count; ++k)
                        scatter.Box(x, y, kernel.n[k],
                                    static_cast<std::uint64_t>(std::llround(count * kernel.weight[k] * BandScatter::kScale)));
                }
            }
            scatter.Finish([&](int y, int x, std::uint64_t count) {
                const std::size_t cell = static_cast<std::size_t>(y) * resolution + x;
                double coverage = 1.0;
                if (flat) {
                    // The coverage this cell's own kernel sees.
                    kernelOf(radii[cell], kernel);
                    coverage = 0.0;
                    for (int k = 0; k < kernel.count; ++k)
                        coverage += kernel.weight[k] * static_cast<double>(scatter.Cover(x, y, kernel.n[k]));
                    coverage /= flat->Full();
                }
                values[cell] = coverage < kMinCoverage
                                   ? 0.0f
                                   : static_cast<float>(static_cast<double>(count) /
                                                        (BandScatter::kScale * DensityBuffer::kOneVisit) / coverage);
            });
        });
    });
    if (stop.stop_requested()) return std::nullopt;
    return values;
}

}  // namespace

const char* DenoiseName(const DenoiseSettings& settings)
{
    if (!settings.on) return "off";
    return settings.filter == DenoiseFilter::Kernel ? "kernel" : "auto";
}

bool ParseDenoise(const std::string& name, DenoiseSettings& settings)
{
    if (name != "auto" && name != "kernel" && name != "off") return false;
    settings.on = name != "off";
    if (settings.on) settings.filter = name == "kernel" ? DenoiseFilter::Kernel : DenoiseFilter::Patches;
    return true;
}

DensityField DensityField::Unfiltered(const DensityBuffer& buffer, const FlatField* flat)
{
    if (flat && flat->Resolution() != buffer.Resolution()) flat = nullptr;
    DensityField field(buffer.Resolution(), {}, flat);
    field.unfiltered_.emplace(buffer, flat);
    return field;
}

double DensityField::Sample(double u, double v) const
{
    bool filled;
    return Sample(u, v, filled);
}

double DensityField::Sample(double u, double v, bool& filled) const
{
    std::size_t c[4];
    double w[4];
    filled = false;
    if (!BilinearCells(resolution_, u, v, c, w)) return 0.0;
    const double density =
        unfiltered_ ? Bilinear(c, w, flat_, [this](std::size_t cell) {
            return static_cast<double>(static_cast<float>(unfiltered_->Cell(cell)));
        })
                    : Bilinear(c, w, flat_, [this](std::size_t cell) { return static_cast<double>(values_[cell]); });
    if (filled_.empty())
        filled = density > 0.0;
    else
        for (int k = 0; k < 4; ++k) filled = filled || (w[k] > 0.0 && filled_[c[k]]);
    return density;
}

PlainDensity::PlainDensity(const DensityBuffer& buffer, const FlatField* flat)
    : buffer_(&buffer), flat_(flat && flat->Resolution() == buffer.Resolution() ? flat : nullptr)
{
}

double PlainDensity::Cell(std::size_t cell) const
{
    const double coverage = flat_ ? flat_->Coverage(cell) : 1.0;
    return coverage < kMinCoverage ? 0.0 : buffer_->Cells()[cell] / (coverage * DensityBuffer::kOneVisit);
}

double PlainDensity::Sample(double u, double v) const
{
    std::size_t c[4];
    double w[4];
    if (!BilinearCells(buffer_->Resolution(), u, v, c, w)) return 0.0;
    return Bilinear(c, w, flat_, [this](std::size_t cell) { return Cell(cell); });
}

std::optional<DensityField> EstimateDensity(const DensityBuffer& buffer, const FlatField* flat,
                                            const DenoiseSettings& settings, int threads, std::stop_token stop,
                                            RowBand rows, CellSymmetry symmetry)
{
    const int resolution = buffer.Resolution();
    rows = rows.Within(resolution);
    if (flat && flat->Resolution() != resolution) flat = nullptr;
    if (!settings.on) {
        std::vector<float> values(buffer.Cells().size());
        const PlainDensity plain(buffer, flat);
        tbb::task_arena arena(ThreadCount(threads));
        arena.execute([&] {
            const std::size_t first = static_cast<std::size_t>(rows.first) * resolution;
            const std::size_t last = static_cast<std::size_t>(rows.last) * resolution;
            tbb::parallel_for(tbb::blocked_range<std::size_t>(first, last, 1 << 16),
                              [&](const tbb::blocked_range<std::size_t>& r) {
                                  for (std::size_t i = r.begin(); i < r.end(); ++i) values[i] = static_cast<float>(plain.Cell(i));
                              });
        });
        return DensityField(resolution, std::move(values), flat);
    }
    std::optional<DensityBuffer> symmetric;
    if (symmetry.Order() > 1) symmetric.emplace(Symmetrised(buffer, symmetry, threads));
    const DensityBuffer& counts = symmetric ? *symmetric : buffer;
    const PlainDensity plain(counts, flat);
    std::vector<bool> filled(counts.Cells().size());
    for (std::size_t cell = 0; cell < filled.size(); ++cell) filled[cell] = plain.Cell(cell) > 0.0;
    std::optional<std::vector<float>> values =
        settings.filter == DenoiseFilter::Patches
            ? PatchFilter(plain, resolution, flat, symmetry.Order(), threads, stop, rows)
            : KernelFilter(counts, flat, settings, threads, stop, rows);
    if (!values) return std::nullopt;
    return DensityField(resolution, std::move(*values), flat, std::move(filled));
}

}  // namespace tilvex::studio
