#pragma once

#include <cstdint>

namespace tilvex {

// The program's integer generator: state 1 when made, never seeded at start-up.
// Results are 0..32767. Integer random choices and palettes use it; the order
// of calls is part of every quilt's identity. Each application state owns one.
class StdRand {
public:
    int rand()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    void srand(std::uint32_t seed) { state_ = seed; }
    std::uint32_t State() const { return state_; }

private:
    std::uint32_t state_ = 1;
};

}  // namespace tilvex
