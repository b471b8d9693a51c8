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

// One band's working rows: the band and kMargin rows and columns about it, wrapped.
struct BandWork {
    int stride = 0;
    // noise: the stabilised value's variance, 0 where uncovered; its pair sums
    // (expected) and counts of covered pairs (pairs) beside the differences'.
    std::vector<float> stable, noise, density, cover, difference, expected, pairs, rowSums, rowExpected, rowPairs,
        pair, sum, weight;

    BandWork(int resolution)
        : stride(resolution + 2 * kMargin)
    {
        const std::size_t padded = static_cast<std::size_t>(kBandRows + 2 * kMargin) * stride;
        for (auto* v : {&stable, &noise, &density, &cover, &difference, &expected, &pairs, &rowSums, &rowExpected,
                        &rowPairs})
            v->resize(padded);
        pair.resize(static_cast<std::size_t>(stride));
        sum.resize(static_cast<std::size_t>(kBandRows) * stride);
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
                const std::size_t from = static_cast<std::size_t>(WrapCell(y0 - kMargin + j, n)) * n;
                for (int i = 0; i < stride; ++i) {
                    const std::size_t cell = from + static_cast<std::size_t>(WrapCell(i - kMargin, n));
                    const double coverage = flat ? std::min(flat->Coverage(cell), 1.0) : 1.0;
                    const std::size_t at = static_cast<std::size_t>(j) * stride + i;
                    const bool covered = coverage >= kMinCoverage;
                    const float d = covered ? static_cast<float>(plain.Cell(cell)) : 0.0f;
                    w.density[at] = d;
                    w.cover[at] = covered ? static_cast<float>(coverage) : 0.0f;
                    // Anscombe's root of the cell's own count, in full-cell units: a
                    // cell cut by a fold line is as bright as its neighbours, with
                    // 1 / coverage the noise.
                    const float c = covered ? static_cast<float>(coverage) : 1.0f;
                    w.stable[at] = 2.0f * std::sqrt(d * scale * c + 0.375f) / std::sqrt(c);
                    w.noise[at] = covered ? 1.0f / c : 0.0f;
                }
            }
            // The sums in padded columns: a pair's second cell may lie in a margin column, folded back below.
            std::fill(w.sum.begin(), w.sum.end(), 0.0f);
            std::fill(w.weight.begin(), w.weight.end(), 0.0f);
            for (int j = 0; j < count; ++j) {
                const std::size_t row = static_cast<std::size_t>(j + kMargin) * stride, at = static_cast<std::size_t>(j) * stride;
                for (int i = kMargin; i < kMargin + n; ++i) {
                    w.sum[at + i] = w.cover[row + i] * w.density[row + i];
                    w.weight[at + i] = w.cover[row + i];
                }
            }
            // A pair of cells weighs the same for each: each offset of one half
            // of the window is taken once, from the first cell of each pair
            // (every column of the band, and the rows above it whose partner
            // lies in the band), and added to both.
            for (int dy = 0; dy <= kPatchReach; ++dy)
                for (int dx = dy == 0 ? 1 : -kPatchReach; dx <= kPatchReach; ++dx) {
                    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(dy) * stride + dx;
                    // Squared differences of the covered pairs over the rows the
                    // patches read, and the noise they should show, then sums along rows.
                    for (int j = kMargin - dy - kPatch; j < kMargin + count + kPatch; ++j) {
                        const std::size_t rowAt = static_cast<std::size_t>(j) * stride;
                        const float* a = w.stable.data() + rowAt;
                        const float* b = a + shift;
                        const float* na = w.noise.data() + rowAt;
                        const float* nb = na + shift;
                        float* d = w.difference.data() + rowAt;
                        float* e = w.expected.data() + rowAt;
                        float* c = w.pairs.data() + rowAt;
                        for (int i = kMargin - kPatch; i < kMargin + n + kPatch; ++i) {
                            const float both = na[i] > 0.0f && nb[i] > 0.0f ? 1.0f : 0.0f;
                            d[i] = both * (a[i] - b[i]) * (a[i] - b[i]);
                            e[i] = both * (na[i] + nb[i]);
                            c[i] = both;
                        }
                        float* r = w.rowSums.data() + rowAt;
                        float* re = w.rowExpected.data() + rowAt;
                        float* rc = w.rowPairs.data() + rowAt;
                        for (int i = kMargin; i < kMargin + n; ++i) {
                            r[i] = d[i - 1] + d[i] + d[i + 1];
                            re[i] = e[i - 1] + e[i] + e[i + 1];
                            rc[i] = c[i - 1] + c[i] + c[i + 1];
                        }
                    }
                    for (int j = -dy; j < count; ++j) {
                        const std::size_t row = static_cast<std::size_t>(j + kMargin) * stride;
                        const float* above = w.rowSums.data() + row - stride;
                        const float* here = w.rowSums.data() + row;
                        const float* below = w.rowSums.data() + row + stride;
                        const float* aboveE = w.rowExpected.data() + row - stride;
                        const float* hereE = w.rowExpected.data() + row;
                        const float* belowE = w.rowExpected.data() + row + stride;
                        const float* aboveC = w.rowPairs.data() + row - stride;
                        const float* hereC = w.rowPairs.data() + row;
                        const float* belowC = w.rowPairs.data() + row + stride;
                        float* pair = w.pair.data();
                        for (int i = kMargin; i < kMargin + n; ++i) {
                            // The mean excess of the covered pairs' differences over their noise.
                            const float pairs = aboveC[i] + hereC[i] + belowC[i];
                            const float excess = (above[i] + here[i] + below[i]) - (aboveE[i] + hereE[i] + belowE[i]);
                            const float t = pairs > 0.0f ? std::max(excess / pairs, 0.0f) * invSimilarity : 2.0f;
                            const float f = std::max(1.0f - 0.5f * t, 0.0f);
                            pair[i] = f * f;
                        }
                        if (j >= 0) {
                            const float* other = w.density.data() + row + shift;
                            const float* otherCover = w.cover.data() + row + shift;
                            float* sum = w.sum.data() + static_cast<std::size_t>(j) * stride;
                            float* weight = w.weight.data() + static_cast<std::size_t>(j) * stride;
                            for (int i = kMargin; i < kMargin + n; ++i) {
                                const float k = pair[i] * otherCover[i];
                                sum[i] += k * other[i];
                                weight[i] += k;
                            }
                        }
                        if (j + dy < count) {
                            const float* first = w.density.data() + row;
                            const float* firstCover = w.cover.data() + row;
                            float* sum = w.sum.data() + static_cast<std::size_t>(j + dy) * stride + dx;
                            float* weight = w.weight.data() + static_cast<std::size_t>(j + dy) * stride + dx;
                            for (int i = kMargin; i < kMargin + n; ++i) {
                                const float k = pair[i] * firstCover[i];
                                sum[i] += k * first[i];
                                weight[i] += k;
                            }
                        }
                    }
                }
            for (int j = 0; j < count; ++j) {
                float* sum = w.sum.data() + static_cast<std::size_t>(j) * stride;
                float* weight = w.weight.data() + static_cast<std::size_t>(j) * stride;
                for (int m = 0; m < kPatchReach; ++m) {
                    const int left = kMargin - 1 - m, right = kMargin + n + m;
                    const int leftCell = kMargin + WrapCell(-1 - m, n), rightCell = kMargin + WrapCell(m, n);
                    sum[leftCell] += sum[left];
                    weight[leftCell] += weight[left];
                    sum[rightCell] += sum[right];
                    weight[rightCell] += weight[right];
                }
            }
            for (int j = 0; j < count; ++j) {
                const std::size_t row = static_cast<std::size_t>(j + kMargin) * stride;
                float* out = values.data() + static_cast<std::size_t>(y0 + j) * n;
                for (int x = 0; x < n; ++x) {
                    const std::size_t at = static_cast<std::size_t>(j) * stride + x + kMargin;
                    out[x] = w.cover[row + x + kMargin] > 0.0f && w.weight[at] > 0.0f ? w.sum[at] / w.weight[at] : 0.0f;
                }
            }
        });
    });
    if (stop.stop_requested()) return std::nullopt;
    return values;
}

}  // namespace tilvex::studio
