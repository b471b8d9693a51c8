#pragma once

#include <vector>

namespace tilvex::motion {

// A smooth path through values at key times: a monotone cubic (piecewise
// cubic Hermite with Fritsch-Butland tangents). It passes through every key
// exactly, is continuous in value and slope, and between two keys never
// leaves the range their values span, so a coefficient stays inside the range
// its keys agree on and whole-number keys round to whole numbers between
// them. An open path starts and ends at rest (zero slope) and holds its end
// values outside the keys; a closed one runs on from its last key back to the
// first, one period after it, with the same smoothness at the seam.
class KeyCurve {
public:
    // times strictly increasing, one per value. period: 0 for an open path,
    // else the loop's length, more than the keys' span.
    KeyCurve(std::vector<double> times, std::vector<double> values, double period = 0.0);

    double operator()(double t) const;

private:
    std::vector<double> t_, v_, slope_;  // a closed path repeats its first key one period on
    double period_;
};

}  // namespace tilvex::motion
