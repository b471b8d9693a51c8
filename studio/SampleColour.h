#pragma once

#include <emmintrin.h>

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
    // round: atan2 by a polynomial good to 0.001 of a turn, far cheaper. The
    // octant is chosen by masks, not branches: successive steps point anywhere.
    static double TurnOf(double dx, double dy)
    {
        const __m128d x = _mm_set_sd(dx), y = _mm_set_sd(dy), zero = _mm_setzero_pd();
        const __m128d sign = _mm_set_sd(-0.0);
        const __m128d ax = _mm_andnot_pd(sign, x), ay = _mm_andnot_pd(sign, y);
        const __m128d big = _mm_max_sd(ax, ay), small = _mm_min_sd(ax, ay);
        const __m128d none = _mm_cmpeq_sd(big, zero);
        // 0 / 0 where there is no step: its NaN is masked away at the end.
        const double a = _mm_cvtsd_f64(_mm_div_sd(small, big)), s = a * a;
        __m128d angle = _mm_set_sd(((-0.0464964749 * s + 0.15931422) * s - 0.327622764) * s * a + a);  // atan(a), a in 0..1
        angle = Pick(_mm_cmpgt_sd(ay, ax), _mm_sub_sd(_mm_set_sd(M_PI / 2), angle), angle);
        angle = Pick(_mm_cmplt_sd(x, zero), _mm_sub_sd(_mm_set_sd(M_PI), angle), angle);
        angle = Pick(_mm_cmplt_sd(y, zero), _mm_xor_pd(angle, sign), angle);
        const __m128d turn = _mm_mul_sd(_mm_add_sd(angle, _mm_set_sd(M_PI)), _mm_set_sd(0.5 / M_PI));
        return _mm_cvtsd_f64(Pick(none, _mm_set_sd(0.5), turn));
    }

private:
    static __m128d Pick(__m128d mask, __m128d yes, __m128d no)
    {
        return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
    }

    static constexpr double kSpeedScale = 0.15;  // a step this long (in unit lengths) is mid-map

    double x_[kLanes], y_[kLanes], blend_[kLanes];
};

}  // namespace tilvex::studio
