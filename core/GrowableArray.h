#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/Complex.h"

namespace tilvex {

// Growable array with the old framework's sizing rules: new elements are zero,
// SetSize(0) frees the storage, growth goes to max(capacity + growBy, n).
// Element access is unchecked, as callers index only below the sizes they set.
template <typename T>
class GrowableArray {
public:
    GrowableArray() = default;
    GrowableArray(int n, int growBy) { SetSize(n, growBy); }
    GrowableArray(const GrowableArray& other) { *this = other; }
    GrowableArray& operator=(const GrowableArray& other)
    {
        if (this != &other) {
            growBy_ = other.growBy_;
            SetSize(0);
            SetSize(other.size_);
            std::copy(other.data_.get(), other.data_.get() + other.size_, data_.get());
        }
        return *this;
    }

    void SetSize(int n, int growBy = -1)
    {
        if (growBy != -1) growBy_ = growBy;
        if (n <= 0) {
            data_.reset();
            size_ = capacity_ = 0;
            return;
        }
        if (!data_) {
            data_ = std::make_unique<T[]>(static_cast<std::size_t>(n));
            capacity_ = size_ = n;
            return;
        }
        if (n <= capacity_) {
            for (int i = size_; i < n; ++i) data_[i] = T{};
            size_ = n;
            return;
        }
        int newCapacity = std::max(capacity_ + std::max(growBy_, 0), n);
        auto grown = std::make_unique<T[]>(static_cast<std::size_t>(newCapacity));
        std::copy(data_.get(), data_.get() + size_, grown.get());
        data_ = std::move(grown);
        capacity_ = newCapacity;
        size_ = n;
    }

    int GetSize() const { return size_; }
    int GrowBy() const { return growBy_; }
    T GetAt(int i) const { return data_[i]; }
    void SetAt(int i, T v) { data_[i] = v; }
    T& operator[](int i) { return data_[i]; }
    const T& operator[](int i) const { return data_[i]; }
    T* Data() { return data_.get(); }
    const T* Data() const { return data_.get(); }

private:
    std::unique_ptr<T[]> data_;
    int size_ = 0;
    int capacity_ = 0;
    int growBy_ = 0;
};

using CDoubleArray = GrowableArray<double>;
using CintArray = GrowableArray<int>;
using CComplexArray = GrowableArray<Complex>;
using CWordArray = GrowableArray<std::uint16_t>;

}  // namespace tilvex
