#include "studio/ColourSums.h"

namespace tilvex::studio {

RgbF ColourSums::Mean(double u, double v) const
{
    const double x = u * cellsPerUnit_ - 0.5, y = v * cellsPerUnit_ - 0.5;
    if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) return {};
    const double fx = std::floor(x), fy = std::floor(y);
    const double ax = x - fx, ay = y - fy;
    const int x0 = Wrap(static_cast<long long>(fx)), y0 = Wrap(static_cast<long long>(fy));
    const int x1 = x0 + 1 == resolution_ ? 0 : x0 + 1, y1 = y0 + 1 == resolution_ ? 0 : y0 + 1;
    const int xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
    const double w[4] = {(1 - ax) * (1 - ay), ax * (1 - ay), (1 - ax) * ay, ax * ay};
    double r = 0, g = 0, b = 0, n = 0;
    for (int k = 0; k < 4; ++k) {
        const std::uint32_t* s = sums_.get() + 4 * (static_cast<std::size_t>(ys[k]) * resolution_ + xs[k]);
        r += w[k] * s[0];
        g += w[k] * s[1];
        b += w[k] * s[2];
        n += w[k] * s[3];
    }
    if (!(n > 0.0)) return {};
    return {r / (255.0 * n), g / (255.0 * n), b / (255.0 * n)};
}

}  // namespace tilvex::studio
