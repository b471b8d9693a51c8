#pragma once

namespace tilvex {

// The largest grid side the storage can hold, before start-up fits it to the
// machine's memory (never raised). Every grid width stays below the capacity.
constexpr int kDefaultMaxGridSize = 601;

}  // namespace tilvex
