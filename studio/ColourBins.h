#pragma once

#include <cstdint>
#include <memory>

#include "studio/ColourSums.h"

namespace tilvex::studio {

// One worker's sample colours, gathered by band of its colour sums before they
// are added. The sums of a large picture far outgrow the caches, and one add
// a sample at random would bring in a line from memory for each; a band's bin
// holds several adds a line of the band, which come in together. Adds reach a
// bin a cache line at a time, past the caches, from a staging line per band
// that stays in them. Sums are integers: the same in any order of adds.
class ColourBins {
public:
    explicit ColourBins(ColourSums& sums);
    ~ColourBins();  // adds what is left
    ColourBins(const ColourBins&) = delete;
    ColourBins& operator=(const ColourBins&) = delete;

    void Add(double u, double v, Rgb8 c)
    {
        const std::size_t at = sums_.Locate(u, v);
        if (at == ColourSums::kNowhere) return;
        const std::size_t band = at >> kBandShift;
        const std::uint32_t n = fill_[band]++;
        staging_[band * kLine + n % kLine] = (static_cast<std::uint64_t>(at) << 24) | (std::uint32_t{c.r} << 16) |
                                             (std::uint32_t{c.g} << 8) | c.b;
        if (n % kLine == kLine - 1) Spill(band, n + 1);
    }
    void FlushAll();

private:
    static constexpr int kBandShift = 14;  // sums a band: 64 kB of them
    static constexpr std::uint32_t kBinEntries = 4096;  // four adds a cache line of the band
    static constexpr std::uint32_t kLine = 8;  // adds a cache line

    void Spill(std::size_t band, std::uint32_t filled);
    void Flush(std::size_t band);

    ColourSums& sums_;
    std::size_t bands_;
    std::unique_ptr<std::uint32_t[]> fill_;
    ScatterStorage<std::uint64_t> staging_, bins_;
};

}  // namespace tilvex::studio
