#pragma once

#include <cstdint>

namespace tilvex {

// The program's integer generator: state 1 at process start, never seeded at
// start-up. Results are 0..32767. Integer random choices and palettes use it;
// the order of calls is part of every quilt's identity.
int rand();
void srand(std::uint32_t seed);
std::uint32_t RandState();

}  // namespace tilvex
