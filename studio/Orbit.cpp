#include "studio/Orbit.h"

namespace tilvex::studio {

Orbit::Orbit(const QuiltSnapshot& quilt, double u, double v)
    : kind_(quilt.kind), knot_(quilt.hexKnot), maps_(quilt.maps)
{
    point_ = {u, v};
    if (kind_ == QuiltKind::Hex) point_ = knot_ ? Complex(u + v * 0.5, v * maps_.hex.halfHeight) : maps_.hex.FoldToCell({u, v});
    plotX = u;
    plotY = v;
}

void Orbit::Wrapped(Complex r)
{
    plotX = ReduceToUnit(r.re);
    plotY = ReduceToUnit(r.im);
    point_ = {plotX, plotY};
}

void Orbit::Step()
{
    switch (kind_) {
    case QuiltKind::Square: {
        Complex r = maps_.square.Iterate(point_);
        plotX = r.re;
        plotY = r.im;
        point_ = r;
        break;
    }
    case QuiltKind::Hex:
        if (!knot_) {
            Complex r = maps_.hex.Iterate(point_);
            plotX = r.re;
            plotY = r.im;
            point_ = r;
        } else {
            Complex r = maps_.hex.IterateKnot(point_);
            plotX = ReduceToUnit(r.re);
            plotY = ReduceToUnit(r.im);
            point_ = {plotX + 0.5 * plotY, maps_.hex.halfHeight * plotY};
        }
        break;
    case QuiltKind::FourSixTwelve: Wrapped(maps_.fourSixTwelve.Iterate(point_)); break;
    case QuiltKind::FourEightEight: Wrapped(maps_.fourEightEight.Iterate(point_)); break;
    case QuiltKind::ThreeTwelveTwelve: Wrapped(maps_.threeTwelveTwelve.Iterate(point_)); break;
    case QuiltKind::WildCorner: Wrapped(maps_.wildCorner.Iterate(point_)); break;
    }
}

std::uint64_t MixBits(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace tilvex::studio
