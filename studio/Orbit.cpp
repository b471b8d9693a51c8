#include "studio/Orbit.h"

namespace tilvex::studio {

Orbit::Orbit(const QuiltSnapshot& quilt, double u, double v)
    : kind_(quilt.kind), knot_(quilt.detail.hexKnot), maps_(quilt.maps)
{
    point = {u, v};
    if (kind_ == QuiltKind::Hex) point = knot_ ? Complex(u + v * 0.5, v * maps_.hex.halfHeight) : maps_.hex.FoldToCell({u, v});
    plotX = u;
    plotY = v;
}

std::uint64_t MixBits(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace tilvex::studio
