#pragma once

#include "core/Complex.h"
#include "maps/QuiltKind.h"
#include "maps/QuiltMaps.h"
#include "maps/SqrMap.h"

namespace tilvex {

// One step of a quilt's orbit, shared by the generation loop and any other
// renderer. Orbit is any value with the fields point, nextPoint, plotX and
// plotY (the application state's OrbitState, or a renderer's own).

template <class Orbit>
inline void WrapToUnitSquare(Orbit& o)
{
    o.plotX = ReduceToUnit(o.plotX);
    o.plotY = ReduceToUnit(o.plotY);
}

// The unreduced step result is kept; the point wrapped into the unit square is
// both counted and fed back.
template <class Orbit>
inline void PlotWrapped(Orbit& o, Complex r)
{
    o.nextPoint = r;
    o.plotX = r.re;
    o.plotY = r.im;
    WrapToUnitSquare(o);
    o.point = {o.plotX, o.plotY};
}

template <class Orbit>
inline void AdvanceOrbit(QuiltKind kind, int hexKnot, QuiltMaps& maps, Orbit& o)
{
    switch (kind) {
    case QuiltKind::Square: {
        Complex r = maps.square.Iterate(o.point);
        o.nextPoint = r;
        o.plotX = r.re;
        o.plotY = r.im;
        o.point = r;
        break;
    }
    case QuiltKind::Hex:
        if (hexKnot == 0) {
            Complex r = maps.hex.Iterate(o.point);
            o.nextPoint = r;
            o.plotX = r.re;
            o.plotY = r.im;
            o.point = r;
        } else {
            Complex r = maps.hex.IterateKnot(o.point);
            o.plotX = r.re;
            o.plotY = r.im;
            WrapToUnitSquare(o);
            o.nextPoint = {o.plotX, o.plotY};
            o.point = {o.plotX + 0.5 * o.plotY, maps.hex.halfHeight * o.plotY};
        }
        break;
    case QuiltKind::FourSixTwelve: PlotWrapped(o, maps.fourSixTwelve.Iterate(o.point)); break;
    case QuiltKind::FourEightEight: PlotWrapped(o, maps.fourEightEight.Iterate(o.point)); break;
    case QuiltKind::ThreeTwelveTwelve: PlotWrapped(o, maps.threeTwelveTwelve.Iterate(o.point)); break;
    case QuiltKind::WildCorner: PlotWrapped(o, maps.wildCorner.Iterate(o.point)); break;
    }
}

}  // namespace tilvex
