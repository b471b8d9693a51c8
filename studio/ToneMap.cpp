#include "studio/ToneMap.h"

#include <algorithm>
#include <cmath>

namespace tilvex::studio {

ToneMap::ToneMap(const std::vector<float>& densities, const ToneSettings& settings)
    : invGamma_(settings.gamma > 0.0 ? 1.0 / settings.gamma : 1.0)
{
    float densest = 0.0f;
    for (float d : densities) densest = std::max(densest, d);
    if (densest > 0.0f) invLogMax_ = 1.0 / std::log1p(static_cast<double>(densest));
    if (!settings.equalize || densest <= 0.0f) return;

    std::vector<double> histogram(kBins, 0.0);
    double filled = 0.0;
    for (float d : densities) {
        if (!(d > 0.0f)) continue;
        double b = std::log1p(static_cast<double>(d)) * invLogMax_;
        histogram[std::min(static_cast<int>(b * kBins), kBins - 1)] += 1.0;
        filled += 1.0;
    }
    cumulative_.assign(kBins + 1, 0.0f);
    double running = 0.0;
    for (int i = 0; i < kBins; ++i) {
        running += histogram[i];
        cumulative_[i + 1] = static_cast<float>(running / filled);
    }
}

double ToneMap::operator()(double density) const
{
    if (!(density > 0.0)) return 0.0;
    double b = std::min(std::log1p(density) * invLogMax_, 1.0);
    if (!cumulative_.empty()) {
        double x = b * kBins;
        int k = std::min(static_cast<int>(x), kBins - 1);
        b = cumulative_[k] + (cumulative_[k + 1] - cumulative_[k]) * (x - k);
    }
    return std::pow(b, invGamma_);
}

}  // namespace tilvex::studio
