#include "explore/QuiltScore.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tilvex {

double QuiltScore(std::span<const std::uint16_t> counts)
{
    if (counts.empty()) return 0.0;
    std::uint16_t maxCount = 0;
    std::size_t filled = 0;
    for (std::uint16_t c : counts) {
        maxCount = std::max(maxCount, c);
        if (c > 0) ++filled;
    }
    if (filled == 0) return 0.0;
    const double fill =
        std::min(1.0, static_cast<double>(filled) / (kFullFillShare * static_cast<double>(counts.size())));

    std::array<std::size_t, kScoreBins> bins{};
    const double logMax = std::log(static_cast<double>(maxCount) + 1.0);
    for (std::uint16_t c : counts) {
        if (c == 0) continue;
        int bin = static_cast<int>(kScoreBins * std::log(static_cast<double>(c)) / logMax);
        ++bins[static_cast<std::size_t>(std::clamp(bin, 0, kScoreBins - 1))];
    }
    double entropy = 0.0;
    for (std::size_t n : bins) {
        if (n == 0) continue;
        double p = static_cast<double>(n) / static_cast<double>(filled);
        entropy -= p * std::log(p);
    }
    const double spread = entropy / std::log(static_cast<double>(kScoreBins));
    return fill * spread;
}

}  // namespace tilvex
