#pragma once

namespace tilvex {

// The largest grid side the storage can hold: 601, lowered at start-up to fit
// the machine's memory, never raised. Every grid width stays below it.
extern int maxGridSize;
constexpr int kDefaultMaxGridSize = 601;

}  // namespace tilvex
