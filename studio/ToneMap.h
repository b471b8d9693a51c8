#pragma once

#include <optional>
#include <vector>

namespace tilvex::studio {

struct ToneSettings {
    double gamma = 2.2;
    bool equalize = false;

    friend bool operator==(const ToneSettings&, const ToneSettings&) = default;
};

// The log densities (log1p) that map to black and to white.
struct ToneScale {
    double logBlack = 0.0, logWhite = 0.0;
    friend bool operator==(const ToneScale&, const ToneScale&) = default;
};

// A tile's own scale: the black point and the densest pixel, as ToneMap measures them.
ToneScale MeasureToneScale(const std::vector<float>& densities);

// Density to brightness 0..1: log density between a black point (the density
// below which the faintest percent of the filled pixels lie) and the densest
// pixel, then optionally equalised over the filled pixels, then the gamma
// curve. The black point keeps quilts that fill their whole tile from washing
// out; sparse ones have it near zero.
class ToneMap {
public:
    // A fixed scale replaces the tile's own (a clip keeps one for all its frames).
    ToneMap(const std::vector<float>& densities, const ToneSettings& settings,
            const std::optional<ToneScale>& fixed = std::nullopt);

    // 0 for an empty pixel, 1 for the densest.
    double operator()(double density) const;

private:
    static constexpr int kBins = 4096;

    double Log(double density) const;

    double logBlack_ = 0.0;
    double invLogRange_ = 0.0;
    double invGamma_ = 1.0;
    std::vector<float> cumulative_;  // kBins + 1 entries when equalising
};

}  // namespace tilvex::studio
