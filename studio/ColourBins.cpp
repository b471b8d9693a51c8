#include "studio/ColourBins.h"

#include <emmintrin.h>

#include <algorithm>

namespace tilvex::studio {

namespace {

// Adds this many ahead of the one being added are asked for.
constexpr std::uint32_t kAhead = 16;

}  // namespace

ColourBins::ColourBins(ColourSums& sums)
    : sums_(sums),
      bands_(((std::max<std::size_t>(sums.Sums().size(), 1) - 1) >> kBandShift) + 1),
      fill_(std::make_unique<std::uint32_t[]>(bands_)),
      staging_(ZeroedScatterStorage<std::uint64_t>(bands_ * kLine)),
      bins_(ZeroedScatterStorage<std::uint64_t>(bands_ * kBinEntries))
{
}

ColourBins::~ColourBins() { FlushAll(); }

void ColourBins::FlushAll()
{
    for (std::size_t band = 0; band < bands_; ++band)
        if (fill_[band] > 0) Flush(band);
}

// A full staging line goes to its bin without a read of the bin's line first.
void ColourBins::Spill(std::size_t band, std::uint32_t filled)
{
    const auto* from = reinterpret_cast<const __m128i*>(staging_.get() + band * kLine);
    auto* to = reinterpret_cast<__m128i*>(bins_.get() + band * kBinEntries + (filled - kLine));
    for (int i = 0; i < 4; ++i) _mm_stream_si128(to + i, _mm_load_si128(from + i));
    if (filled == kBinEntries) Flush(band);
}

void ColourBins::Flush(std::size_t band)
{
    const std::uint32_t n = fill_[band], spilled = n / kLine * kLine;
    const std::uint64_t* bin = bins_.get() + band * kBinEntries;
    const std::uint64_t* stage = staging_.get() + band * kLine;
    const auto entry = [&](std::uint32_t i) { return i < spilled ? bin[i] : stage[i - spilled]; };
    for (std::uint32_t i = 0; i < n; ++i) {
        // The band's lines are asked for ahead of their adds: they come in together.
        if (i + kAhead < n) sums_.Prefetch(static_cast<std::size_t>(entry(i + kAhead) >> 24));
        const std::uint64_t e = entry(i);
        sums_.Add(static_cast<std::size_t>(e >> 24), Rgb8{static_cast<std::uint8_t>(e >> 16),
                                                          static_cast<std::uint8_t>(e >> 8), static_cast<std::uint8_t>(e)});
    }
    fill_[band] = 0;
}

}  // namespace tilvex::studio
