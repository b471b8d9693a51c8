#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "studio/ColourSums.h"
#include "studio/DensityBuffer.h"
#include "studio/HugePages.h"

namespace tilvex::studio {

// One buffer shared by every worker, cut into bands of whole rows, each with
// its lock, and the size of the workers' bins for it. A band's visits also
// reach the row after it (the next band's first, or row 0 after the last).
class VisitBands {
public:
    explicit VisitBands(DensityBuffer& buffer);

    DensityBuffer& Buffer() const { return buffer_; }
    int Count() const { return count_; }
    int Shift() const { return shift_; }  // a packed visit's band is visit >> Shift()
    std::uint32_t BinSize() const { return binSize_; }  // visits, a multiple of 8
    // Locks the band and the one after it, always lower index first.
    std::scoped_lock<std::mutex, std::mutex> LockPair(int band) const;
    std::unique_lock<std::mutex> LockOnly() const { return std::unique_lock(locks_[0]); }

private:
    DensityBuffer& buffer_;
    int count_;
    int shift_;
    std::uint32_t binSize_;
    std::unique_ptr<std::mutex[]> locks_;
};

// One worker's visits, gathered by band before they are added. A bin holds
// many visits for few cache lines of the buffer, so a bin's adds mostly hit
// lines its earlier adds brought in, and they do not wait on one another.
// Visits reach a bin a cache line at a time, past the caches, from a small
// staging line per band that stays in them. Sums are integers, so the buffer
// ends the same in any order of adds. Coloured visits add their colours to the
// render's colour sums in the same sweep, under the same locks.
class VisitBins {
public:
    explicit VisitBins(const VisitBands& bands, ColourSums* colours = nullptr, const ColorMap* map = nullptr);
    ~VisitBins();  // adds what is left
    VisitBins(const VisitBins&) = delete;
    VisitBins& operator=(const VisitBins&) = delete;

    void Add(std::uint64_t visit)
    {
        const std::uint64_t cells = visit & DensityBuffer::kNoVisit;  // without its colour
        if (cells == DensityBuffer::kNoVisit) return;
        const auto band = static_cast<std::size_t>(cells >> bands_.Shift());
        const std::uint32_t n = fill_[band]++;
        std::uint64_t* stage = staging_.get() + band * kLine;
        stage[n % kLine] = visit;
        if (n % kLine == kLine - 1) Spill(band, n + 1);
    }
    void FlushAll();

private:
    static constexpr std::uint32_t kLine = 8;  // visits a cache line

    void Spill(std::size_t band, std::uint32_t filled);
    void Flush(std::size_t band);
    std::uint64_t* Bin(std::size_t band) const { return slots_.get() + band * bands_.BinSize(); }

    const VisitBands& bands_;
    ColourSums* colours_;
    const ColorMap* map_;
    std::unique_ptr<std::uint32_t[]> fill_;
    ScatterStorage<std::uint64_t> staging_, slots_;
};

}  // namespace tilvex::studio
