#include "studio/VisitBins.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>

namespace tilvex::studio {

namespace {

// A worker's bins take half the buffer's size, at most kMostBinBytes: a bin
// then holds kBinVisits visits for a band of kBinVisits / 4 cache lines or
// fewer (eight visits a line). A larger buffer has larger bands and fewer
// visits a line.
constexpr std::size_t kMostBinBytes = 16 << 20;
constexpr std::size_t kBinVisits = 2048;

// Adds this many visits ahead of the one being added are asked for.
constexpr std::uint32_t kPrefetchAhead = 16;

}  // namespace

VisitBands::VisitBands(DensityBuffer& buffer) : buffer_(buffer), binSize_(kBinVisits)
{
    const auto res = static_cast<std::size_t>(buffer.Resolution());
    const std::size_t binBytes = std::min(res * res * sizeof(std::uint32_t) / 2, kMostBinBytes);
    const std::size_t wanted = std::max<std::size_t>(binBytes / (kBinVisits * sizeof(std::uint64_t)), 1);
    // At least a colour cell's rows a band: a band's lock and the next's then
    // cover every colour cell its visits reach.
    const int rowsShift = std::max(static_cast<int>(std::bit_width(std::max<std::size_t>(res / wanted, 1))) - 1, ColourSums::kMostRowsShift);
    shift_ = DensityBuffer::kVisitRowShift + rowsShift;
    count_ = static_cast<int>(((res - 1) >> rowsShift) + 1);
    locks_ = std::make_unique<std::mutex[]>(static_cast<std::size_t>(count_));
}

std::scoped_lock<std::mutex, std::mutex> VisitBands::LockPair(int band) const
{
    const int next = band + 1 == count_ ? 0 : band + 1;
    return std::scoped_lock<std::mutex, std::mutex>(locks_[std::min(band, next)], locks_[std::max(band, next)]);
}

VisitBins::VisitBins(const VisitBands& bands, ColourSums* colours, const ColorMap* map)
    : bands_(bands),
      colours_(map ? colours : nullptr),
      map_(map),
      fill_(std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(bands.Count()))),
      staging_(ZeroedScatterStorage<std::uint64_t>(static_cast<std::size_t>(bands.Count()) * kLine)),
      slots_(ZeroedScatterStorage<std::uint64_t>(static_cast<std::size_t>(bands.Count()) * bands.BinSize()))
{
}

VisitBins::~VisitBins() { FlushAll(); }

void VisitBins::FlushAll()
{
    for (std::size_t band = 0; band < static_cast<std::size_t>(bands_.Count()); ++band)
        if (fill_[band] > 0) Flush(band);
}

// A full staging line goes to its bin without a read of the bin's line first.
void VisitBins::Spill(std::size_t band, std::uint32_t filled)
{
    const auto* from = reinterpret_cast<const __m128i*>(staging_.get() + band * kLine);
    auto* to = reinterpret_cast<__m128i*>(Bin(band) + (filled - kLine));
    for (int i = 0; i < 4; ++i) _mm_stream_si128(to + i, _mm_load_si128(from + i));
    if (filled == bands_.BinSize()) Flush(band);
}

void VisitBins::Flush(std::size_t band)
{
    DensityBuffer& buffer = bands_.Buffer();
    const std::uint32_t n = fill_[band], spilled = n / kLine * kLine;
    const std::uint64_t* bin = Bin(band);
    const std::uint64_t* stage = staging_.get() + band * kLine;
    const auto visit = [&](std::uint32_t i) { return i < spilled ? bin[i] : stage[i - spilled]; };
    // Every visit of the bin, each one's lines asked for well before its add.
    const auto sweep = [&](auto&& prefetch, auto&& add) {
        for (std::uint32_t i = 0; i < std::min(n, kPrefetchAhead); ++i) prefetch(visit(i));
        for (std::uint32_t i = 0; i < n; ++i) {
            if (i + kPrefetchAhead < n) prefetch(visit(i + kPrefetchAhead));
            add(visit(i));
        }
    };
    // A coloured visit adds its colour in the same sweep: its two sets of lines are asked for together.
    const auto add = [&] {
        if (colours_)
            sweep(
                [&](std::uint64_t v) {
                    buffer.PrefetchVisit(v);
                    colours_->PrefetchVisit(v);
                },
                [&](std::uint64_t v) {
                    buffer.AddVisit(v);
                    colours_->AddVisit(v, *map_);
                });
        else
            sweep([&](std::uint64_t v) { buffer.PrefetchVisit(v); }, [&](std::uint64_t v) { buffer.AddVisit(v); });
    };
    if (bands_.Count() == 1) {
        const auto lock = bands_.LockOnly();
        add();
    } else {
        const auto lock = bands_.LockPair(static_cast<int>(band));
        add();
    }
    fill_[band] = 0;
}

}  // namespace tilvex::studio
