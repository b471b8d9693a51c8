#pragma once

#include <algorithm>
#include <cmath>

#include "studio/ColorMap.h"
#include "studio/LaneSteps.h"
#include "studio/Look.h"

namespace tilvex::studio {

// What colours each sample by the orbit's structure: the colour map at the
// direction of the step that made it, its length, or a coordinate blended
// along the orbit (half the last value, half the step's direction).
struct SampleColouring {
    ColorBy colorBy = ColorBy::Direction;
    ColorMap colours;
};

// The latest position and blended coordinate of each orbit lane of a chunk.
class LaneTrail {
public:
    LaneTrail()
    {
        for (int l = 0; l < kLanes; ++l) x_[l] = y_[l] = NAN, blend_[l] = 0.5;
    }

    // The colour of lane l's next visit, at (u, v), and the trail moved on to it.
    Rgb8 Next(const SampleColouring& c, int l, double u, double v)
    {
        // The step on the unit torus: the shorter way across each edge.
        double dx = u - x_[l], dy = v - y_[l];
        x_[l] = u;
        y_[l] = v;
        if (!std::isfinite(dx) || !std::isfinite(dy)) dx = dy = 0.0;  // a lane's first step
        dx -= std::nearbyint(dx);
        dy -= std::nearbyint(dy);
        const double direction = TurnOf(dx, dy);
        double t = direction;
        if (c.colorBy == ColorBy::Speed) {
            const double length = std::sqrt(dx * dx + dy * dy);
            t = length / (length + kSpeedScale);
        } else if (c.colorBy == ColorBy::Blend) {
            t = blend_[l] = 0.5 * blend_[l] + 0.5 * direction;
        }
        return c.colours.Nearest(t);
    }

    // The direction of (dx, dy) in turns, 0..1 from the negative x axis
    // round: atan2 by a polynomial good to 0.001 of a turn, far cheaper.
    static double TurnOf(double dx, double dy)
    {
        const double ax = std::fabs(dx), ay = std::fabs(dy);
        const double big = std::max(ax, ay);
        if (big == 0.0) return 0.5;
        const double a = std::min(ax, ay) / big, s = a * a;
        double angle = ((-0.0464964749 * s + 0.15931422) * s - 0.327622764) * s * a + a;  // atan(a), a in 0..1
        if (ay > ax) angle = M_PI / 2 - angle;
        if (dx < 0) angle = M_PI - angle;
        if (dy < 0) angle = -angle;
        return (angle + M_PI) * (0.5 / M_PI);
    }

private:
    static constexpr double kSpeedScale = 0.15;  // a step this long (in unit lengths) is mid-map

    double x_[kLanes], y_[kLanes], blend_[kLanes];
};

}  // namespace tilvex::studio
