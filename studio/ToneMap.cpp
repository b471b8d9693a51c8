#include "studio/ToneMap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace tilvex::studio {

namespace {
constexpr int kHistogramBins = 1 << 15;  // every positive finite float's top 16 bits
}

DensityHistogram::DensityHistogram() : bins_(kHistogramBins, 0) {}

DensityHistogram::DensityHistogram(std::span<const float> densities) : DensityHistogram()
{
    for (float d : densities) Add(d);
}

void DensityHistogram::Merge(const DensityHistogram& other) { Merge(other.bins_, other.filled_, other.densest_); }

void DensityHistogram::Merge(std::span<const std::uint32_t> bins, std::uint64_t filled, float densest)
{
    if (bins.size() != bins_.size()) throw std::invalid_argument("DensityHistogram::Merge: another bin count");
    for (std::size_t i = 0; i < bins_.size(); ++i) bins_[i] += bins[i];
    filled_ += filled;
    densest_ = std::max(densest_, densest);
}

double DensityHistogram::BinEdge(int bin)
{
    return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(bin) << 16));
}

double DensityHistogram::Percentile(double share) const
{
    if (filled_ == 0) return 0.0;
    const double rank = std::clamp(share, 0.0, 1.0) * static_cast<double>(filled_ - 1);
    std::uint64_t below = 0;
    for (int i = 0; i < kHistogramBins; ++i) {
        if (!bins_[i]) continue;
        if (rank < static_cast<double>(below + bins_[i])) {
            const double f = (rank - static_cast<double>(below) + 0.5) / bins_[i];
            return std::min(BinEdge(i) + (BinEdge(i + 1) - BinEdge(i)) * f, static_cast<double>(densest_));
        }
        below += bins_[i];
    }
    return densest_;
}

ToneScale MeasureToneScale(std::span<const float> densities)
{
    const DensityHistogram histogram(densities);
    if (histogram.Filled() == 0) return {};
    return {std::log1p(histogram.Percentile(ToneMap::kBlackShare)), std::log1p(static_cast<double>(histogram.Densest()))};
}

ToneMap::ToneMap(std::span<const float> densities, const ToneSettings& settings, const std::optional<ToneScale>& fixed)
    : ToneMap(DensityHistogram(densities), settings, fixed)
{
}

ToneMap::ToneMap(const DensityHistogram& histogram, const ToneSettings& settings, const std::optional<ToneScale>& fixed)
    : invGamma_(settings.gamma > 0.0 ? 1.0 / settings.gamma : 1.0)
{
    if (fixed) {
        logBlack_ = fixed->logBlack;
        const double range = fixed->logWhite - logBlack_;
        invLogRange_ = range > 1e-9 ? 1.0 / range : 0.0;
    }
    if (histogram.Filled() == 0) return;
    if (fixed) {
        if (settings.equalize) Equalize(histogram);
        return;
    }
    double black, white;
    if (settings.exposure) {
        black = histogram.Percentile(kBlackShare);
        white = histogram.Densest() / std::exp2(*settings.exposure);
    } else {
        black = histogram.Percentile(kAutoBlackShare);
        white = histogram.Percentile(1.0 - kAutoWhiteShare);
    }
    logBlack_ = std::log1p(black);
    const double range = std::log1p(white) - logBlack_;
    invLogRange_ = range > 1e-9 ? 1.0 / range : 0.0;
    if (!settings.exposure && !settings.equalize) {
        const double median = Level(histogram.Percentile(0.5));
        if (median > 0.0 && median < 1.0)
            key_ = std::clamp(settings.gamma * std::log(kAutoMedian) / std::log(median), kMinKey, kMaxKey);
    }
    if (settings.equalize) Equalize(histogram);
}

void ToneMap::Equalize(const DensityHistogram& histogram)
{
    std::vector<double> bins(kEqualizeBins, 0.0);
    histogram.ForEachBin([&](double density, std::uint32_t count) {
        bins[std::min(static_cast<int>(Level(density) * kEqualizeBins), kEqualizeBins - 1)] += count;
    });
    cumulative_.assign(kEqualizeBins + 1, 0.0f);
    double running = 0.0;
    for (int i = 0; i < kEqualizeBins; ++i) {
        running += bins[i];
        cumulative_[i + 1] = static_cast<float>(running / static_cast<double>(histogram.Filled()));
    }
}

double ToneMap::Unkeyed(double density) const
{
    if (!(density > 0.0)) return 0.0;
    // 0 at or below the black point, 1 at or above the white point.
    double b = invLogRange_ == 0.0 ? 1.0 : std::clamp((std::log1p(density) - logBlack_) * invLogRange_, 0.0, 1.0);
    if (!cumulative_.empty()) {
        const double x = b * kEqualizeBins;
        const int k = std::min(static_cast<int>(x), kEqualizeBins - 1);
        b = cumulative_[k] + (cumulative_[k + 1] - cumulative_[k]) * (x - k);
    }
    return b;
}

double ToneMap::Level(double density) const
{
    const double b = Unkeyed(density);
    return key_ == 1.0 ? b : std::pow(b, key_);
}

double ToneMap::operator()(double density) const { return std::pow(Unkeyed(density), key_ * invGamma_); }

}  // namespace tilvex::studio
