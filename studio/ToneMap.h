#pragma once

#include <vector>

namespace tilvex::studio {

struct ToneSettings {
    double gamma = 2.2;
    bool equalize = false;

    friend bool operator==(const ToneSettings&, const ToneSettings&) = default;
};

// Density to brightness 0..1: log density between a black point (the density
// below which the faintest percent of the filled pixels lie) and the densest
// pixel, then optionally equalised over the filled pixels, then the gamma
// curve. The black point keeps quilts that fill their whole tile from washing
// out; sparse ones have it near zero.
class ToneMap {
public:
    ToneMap(const std::vector<float>& densities, const ToneSettings& settings);

    // 0 for an empty pixel, 1 for the densest.
    double operator()(double density) const;

private:
    static constexpr int kBins = 4096;
    static constexpr double kBlackShare = 0.01;

    double Log(double density) const;

    double logBlack_ = 0.0;
    double invLogRange_ = 0.0;
    double invGamma_ = 1.0;
    std::vector<float> cumulative_;  // kBins + 1 entries when equalising
};

}  // namespace tilvex::studio
