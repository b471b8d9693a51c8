#include "studio/PatchFilter.h"

#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <cmath>

#include "studio/Accumulator.h"

namespace tilvex::studio {

namespace {

constexpr int kBandRows = 16;
constexpr int kPatch = 1;                   // patches of (2 kPatch + 1)^2 cells
constexpr int kMargin = kPatchReach + kPatch;
// Two patches of one density differ by 2 a cell in the mean (each cell's
// noise has unit variance once stabilised); beyond that the weight falls as
// (1 - t / 2)^2 with t the excess over kSimilarity^2.
constexpr float kSimilarity = 0.5f;

int Wrap(int i, int n)
{
    const int r = i % n;
    return r < 0 ? r + n : r;
}

// One band's working rows: the band and kMargin rows and columns about it, wrapped.
struct BandWork {
    int stride = 0;
    std::vector<float> stable, density, cover, difference, rowSums, sum, weight;

    BandWork(int resolution)
        : stride(resolution + 2 * kMargin)
    {
        const std::size_t padded = static_cast<std::size_t>(kBandRows + 2 * kMargin) * stride;
        stable.resize(padded);
        density.resize(padded);
        cover.resize(padded);
        difference.resize(padded);
        rowSums.resize(padded);
        sum.resize(static_cast<std::size_t>(kBandRows) * resolution);
        weight.resize(sum.size());
    }
};

}  // namespace

std::optional<std::vector<float>> PatchFilter(const PlainDensity& plain, int resolution, const FlatField* flat,
                                              double countsPerVisit, int threads, std::stop_token stop, RowBand rows)
{
    rows = rows.Within(resolution);
    const int n = resolution;
    std::vector<float> values(static_cast<std::size_t>(n) * n);
    const float scale = static_cast<float>(countsPerVisit);
    const float invSimilarity = 1.0f / (kSimilarity * kSimilarity);
    const int bandCount = (rows.Count() + kBandRows - 1) / kBandRows;
    tbb::enumerable_thread_specific<BandWork> works([n] { return BandWork(n); });
    tbb::task_arena arena(ThreadCount(threads));
    arena.execute([&] {
        tbb::parallel_for(0, bandCount, [&](int band) {
            if (stop.stop_requested()) return;
            BandWork& w = works.local();
            const int y0 = rows.first + band * kBandRows, count = std::min(kBandRows, rows.last - y0);
            const int padRows = count + 2 * kMargin, stride = w.stride;
            for (int j = 0; j < padRows; ++j) {
                const std::size_t from = static_cast<std::size_t>(Wrap(y0 - kMargin + j, n)) * n;
                for (int i = 0; i < stride; ++i) {
                    const std::size_t cell = from + static_cast<std::size_t>(Wrap(i - kMargin, n));
                    const double coverage = flat ? std::min(flat->Coverage(cell), 1.0) : 1.0;
                    const std::size_t at = static_cast<std::size_t>(j) * stride + i;
                    const bool covered = coverage >= kMinCoverage;
                    const float d = covered ? static_cast<float>(plain.Cell(cell)) : 0.0f;
                    w.density[at] = d;
                    w.cover[at] = covered ? static_cast<float>(coverage) : 0.0f;
                    w.stable[at] = 2.0f * std::sqrt(d * scale + 0.375f);
                }
            }
            std::fill(w.sum.begin(), w.sum.end(), 0.0f);
            std::fill(w.weight.begin(), w.weight.end(), 0.0f);
            for (int dy = -kPatchReach; dy <= kPatchReach; ++dy)
                for (int dx = -kPatchReach; dx <= kPatchReach; ++dx) {
                    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(dy) * stride + dx;
                    // Squared differences over the rows the patches read, then sums along rows.
                    for (int j = kPatchReach; j < padRows - kPatchReach; ++j) {
                        const float* a = w.stable.data() + static_cast<std::size_t>(j) * stride;
                        const float* b = a + shift;
                        float* d = w.difference.data() + static_cast<std::size_t>(j) * stride;
                        for (int i = kPatchReach; i < stride - kPatchReach; ++i) d[i] = (a[i] - b[i]) * (a[i] - b[i]);
                        float* r = w.rowSums.data() + static_cast<std::size_t>(j) * stride;
                        for (int i = kMargin; i < stride - kMargin; ++i) r[i] = d[i - 1] + d[i] + d[i + 1];
                    }
                    for (int j = 0; j < count; ++j) {
                        const std::size_t row = static_cast<std::size_t>(j + kMargin) * stride;
                        const float* above = w.rowSums.data() + row - stride;
                        const float* here = w.rowSums.data() + row;
                        const float* below = w.rowSums.data() + row + stride;
                        const float* other = w.density.data() + row + shift;
                        const float* otherCover = w.cover.data() + row + shift;
                        float* sum = w.sum.data() + static_cast<std::size_t>(j) * n;
                        float* weight = w.weight.data() + static_cast<std::size_t>(j) * n;
                        for (int x = 0; x < n; ++x) {
                            const int i = x + kMargin;
                            const float mean = (above[i] + here[i] + below[i]) * (1.0f / 9.0f);
                            const float t = std::max(mean - 2.0f, 0.0f) * invSimilarity;
                            const float f = std::max(1.0f - 0.5f * t, 0.0f);
                            const float k = f * f * otherCover[i];
                            sum[x] += k * other[i];
                            weight[x] += k;
                        }
                    }
                }
            for (int j = 0; j < count; ++j) {
                const std::size_t row = static_cast<std::size_t>(j + kMargin) * stride;
                float* out = values.data() + static_cast<std::size_t>(y0 + j) * n;
                for (int x = 0; x < n; ++x) {
                    const std::size_t at = static_cast<std::size_t>(j) * n + x;
                    out[x] = w.cover[row + x + kMargin] > 0.0f && w.weight[at] > 0.0f ? w.sum[at] / w.weight[at] : 0.0f;
                }
            }
        });
    });
    if (stop.stop_requested()) return std::nullopt;
    return values;
}

}  // namespace tilvex::studio
