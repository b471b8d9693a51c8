#include "studio/ToneMap.h"

#include <algorithm>
#include <cmath>

namespace tilvex::studio {

namespace {

constexpr double kBlackShare = 0.01;

std::vector<float> Filled(const std::vector<float>& densities)
{
    std::vector<float> filled;
    for (float d : densities)
        if (d > 0.0f) filled.push_back(d);
    return filled;
}

ToneScale ScaleOf(std::vector<float>& filled)
{
    if (filled.empty()) return {};
    const float densest = *std::max_element(filled.begin(), filled.end());
    auto black = filled.begin() + static_cast<std::ptrdiff_t>(kBlackShare * static_cast<double>(filled.size() - 1));
    std::nth_element(filled.begin(), black, filled.end());
    return {std::log1p(static_cast<double>(*black)), std::log1p(static_cast<double>(densest))};
}

}  // namespace

ToneScale MeasureToneScale(const std::vector<float>& densities)
{
    std::vector<float> filled = Filled(densities);
    return ScaleOf(filled);
}

ToneMap::ToneMap(const std::vector<float>& densities, const ToneSettings& settings,
                 const std::optional<ToneScale>& fixed)
    : invGamma_(settings.gamma > 0.0 ? 1.0 / settings.gamma : 1.0)
{
    std::vector<float> filled;
    if (!fixed || settings.equalize) filled = Filled(densities);
    if (!fixed && filled.empty()) return;
    const ToneScale scale = fixed ? *fixed : ScaleOf(filled);
    logBlack_ = scale.logBlack;
    const double range = scale.logWhite - logBlack_;
    invLogRange_ = range > 0.0 ? 1.0 / range : 0.0;
    if (!settings.equalize || filled.empty()) return;

    std::vector<double> histogram(kBins, 0.0);
    for (float d : filled) histogram[std::min(static_cast<int>(Log(d) * kBins), kBins - 1)] += 1.0;
    cumulative_.assign(kBins + 1, 0.0f);
    double running = 0.0;
    for (int i = 0; i < kBins; ++i) {
        running += histogram[i];
        cumulative_[i + 1] = static_cast<float>(running / static_cast<double>(filled.size()));
    }
}

// 0 at or below the black point, 1 at the densest pixel.
double ToneMap::Log(double density) const
{
    if (invLogRange_ == 0.0) return 1.0;
    return std::clamp((std::log1p(density) - logBlack_) * invLogRange_, 0.0, 1.0);
}

double ToneMap::operator()(double density) const
{
    if (!(density > 0.0)) return 0.0;
    double b = Log(density);
    if (!cumulative_.empty()) {
        double x = b * kBins;
        int k = std::min(static_cast<int>(x), kBins - 1);
        b = cumulative_[k] + (cumulative_[k + 1] - cumulative_[k]) * (x - k);
    }
    return std::pow(b, invGamma_);
}

}  // namespace tilvex::studio
