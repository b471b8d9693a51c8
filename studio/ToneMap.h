#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tilvex::studio {

struct ToneSettings {
    double gamma = 2.2;
    bool equalize = false;
    // Stops of exposure: the white point is the densest pixel's density over
    // 2^exposure. None (auto): black and white points at percentiles of the
    // filled pixels, so every kind gets contrast.
    std::optional<double> exposure;
    double vibrancy = 1.0;   // 1: the gamma shapes brightness only; 0: each colour channel
    double highlight = 0.0;  // 0: the densest pixels keep their colour; 1: they turn white

    friend bool operator==(const ToneSettings&, const ToneSettings&) = default;
};

// The log densities (log1p) that map to black and to white.
struct ToneScale {
    double logBlack = 0.0, logWhite = 0.0;
    friend bool operator==(const ToneScale&, const ToneScale&) = default;
};

// A tile's own fixed-exposure scale: the black point at the faintest percent
// of the filled pixels, white at the densest (a run of pictures takes one).
ToneScale MeasureToneScale(std::span<const float> densities);

// Density to brightness 0..1: log density between a black point and a white
// point, optionally equalised over the filled pixels, then the gamma curve.
// The points come from a histogram of the filled pixels' densities (log-spaced
// bins read off the floats' bits), so the map holds a fixed 128 kB whatever
// the picture's size.
class DensityHistogram;

class ToneMap {
public:
    // A fixed scale replaces the tile's own points (a clip keeps one for all its frames).
    ToneMap(std::span<const float> densities, const ToneSettings& settings,
            const std::optional<ToneScale>& fixed = std::nullopt);
    // The points from another picture's histogram: a denoised picture is
    // exposed as its plain counts are, so the filter changes grain, not exposure.
    ToneMap(const DensityHistogram& histogram, const ToneSettings& settings,
            const std::optional<ToneScale>& fixed = std::nullopt);

    // 0 for an empty pixel, 1 for the densest: Level then the gamma.
    double operator()(double density) const;
    // Brightness before the gamma.
    double Level(double density) const;
    // Level before its power: the two powers of operator() are then one.
    double Unkeyed(double density) const;
    double Key() const { return key_; }
    double InvGamma() const { return invGamma_; }

    // Automatic exposure: the shares of the filled pixels left black and
    // white, and the brightness the median filled pixel is given (a power of
    // the level between them, within the bounds).
    static constexpr double kAutoBlackShare = 0.02, kAutoWhiteShare = 0.005;
    static constexpr double kAutoMedian = 0.5, kMinKey = 0.25, kMaxKey = 4.0;
    // With a fixed exposure the faintest percent is black, as it always was.
    static constexpr double kBlackShare = 0.01;

private:
    static constexpr int kEqualizeBins = 4096;

    void Equalize(const DensityHistogram& histogram);

    double logBlack_ = 0.0;
    double invLogRange_ = 0.0;
    double key_ = 1.0;  // the level's power
    double invGamma_ = 1.0;
    std::vector<float> cumulative_;  // kEqualizeBins + 1 entries when equalising
};

// Counts of positive densities in log-spaced bins: the top 16 bits of a
// positive float, which grow with its value (2^8 bins an octave).
class DensityHistogram {
public:
    DensityHistogram();
    explicit DensityHistogram(std::span<const float> densities);

    void Add(float density)
    {
        if (!(density > 0.0f) || !std::isfinite(density)) return;
        ++bins_[std::bit_cast<std::uint32_t>(density) >> 16];
        ++filled_;
        if (density > densest_) densest_ = density;
    }
    void Merge(const DensityHistogram& other);
    // Merge for a histogram summed elsewhere (over processes), as its parts.
    void Merge(std::span<const std::uint32_t> bins, std::uint64_t filled, float densest);
    std::span<const std::uint32_t> Bins() const { return bins_; }

    std::uint64_t Filled() const { return filled_; }
    float Densest() const { return densest_; }
    // The density below which `share` (0..1) of the filled pixels lie, read
    // within its bin by linear interpolation. 0 when nothing is filled.
    double Percentile(double share) const;
    // Visits every non-empty bin with its lowest density and count, in order.
    template <class F>
    void ForEachBin(F&& f) const
    {
        for (std::size_t i = 0; i < bins_.size(); ++i)
            if (bins_[i]) f(BinEdge(static_cast<int>(i)), bins_[i]);
    }

private:
    static double BinEdge(int bin);

    std::vector<std::uint32_t> bins_;
    std::uint64_t filled_ = 0;
    float densest_ = 0.0f;
};

}  // namespace tilvex::studio
