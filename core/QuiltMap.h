#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/GrowableArray.h"

namespace tilvex {

// The density grid: width x width cells of 16-bit hit counts inside storage
// sized for the program's grid capacity, so a width change never reallocates.
class QuiltMap {
public:
    QuiltMap();
    // Copies take the counts and the whole storage, so every read answers alike.
    QuiltMap(const QuiltMap& other);
    QuiltMap& operator=(const QuiltMap& other);
    QuiltMap(QuiltMap&&) noexcept = default;
    QuiltMap& operator=(QuiltMap&&) noexcept = default;

    // Attaches zero-filled storage for capacity x capacity cells plus 4 spare bytes.
    void AttachStorage(int capacity);
    void DetachStorage();
    bool HasStorage() const { return cells_ != nullptr; }
    std::size_t StorageCells() const { return storageCells_; }

    void Increment(int x, int y)
    {
        if (!cells_) return;
        std::size_t index = Index(x, y);
        if (index >= storageCells_) return;
        std::uint16_t v = static_cast<std::uint16_t>(cells_[index] + 1);
        cells_[index] = v;
        if (v > maxCount) maxCount = v;
    }
    std::uint16_t CountAt(int x, int y) const
    {
        if (!cells_) return 0;
        std::size_t index = Index(x, y);
        return index < storageCells_ ? cells_[index] : 0;
    }
    void SetCount(int x, int y, std::uint16_t v)
    {
        if (!cells_) return;
        std::size_t index = Index(x, y);
        if (index < storageCells_) cells_[index] = v;
    }

    std::uint16_t ScanExtremes();
    void RemoveFloor();
    void BuildHistogram();
    void Clear();
    // Cells of the width x width area with a non-zero count.
    int FilledCells() const;
    // The counts of the width x width area: cell (x, y) at x * width + y. Null without storage.
    const std::uint16_t* Cells() const { return cells_.get(); }

    std::uint16_t maxCount = 0;
    std::uint16_t minCount = 0;
    std::uint16_t width = 100;
    int lastIndex = 0;
    CDoubleArray histogram;

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(static_cast<std::uint16_t>(x)) * width +
               static_cast<std::uint16_t>(y);
    }

    std::unique_ptr<std::uint16_t[]> cells_;
    std::size_t storageCells_ = 0;
};

}  // namespace tilvex
