#include "motion/KeyCurve.h"

#include <algorithm>
#include <cmath>

namespace tilvex::motion {

namespace {

// The slope at a key between secants d0 (from the key before, over h0) and d1
// (to the key after, over h1): zero at a turn, else a weighted harmonic mean,
// which keeps each piece within its keys' values.
double KeySlope(double h0, double d0, double h1, double d1)
{
    if (!(d0 * d1 > 0.0)) return 0.0;
    const double w0 = 2.0 * h1 + h0, w1 = h1 + 2.0 * h0;
    return (w0 + w1) / (w0 / d0 + w1 / d1);
}

}  // namespace

KeyCurve::KeyCurve(std::vector<double> times, std::vector<double> values, double period)
    : t_(std::move(times)), v_(std::move(values)), period_(period)
{
    const std::size_t n = t_.size();
    slope_.assign(n, 0.0);
    if (n < 2 && period_ <= 0.0) return;
    if (period_ > 0.0) {
        t_.push_back(t_.front() + period_);
        v_.push_back(v_.front());
        slope_.push_back(0.0);
        // Key k's neighbours around the loop; the last key's next is the repeated first.
        for (std::size_t k = 0; k < n; ++k) {
            const double tPrev = k == 0 ? t_[n - 1] - period_ : t_[k - 1];
            const double vPrev = k == 0 ? v_[n - 1] : v_[k - 1];
            const double h0 = t_[k] - tPrev, h1 = t_[k + 1] - t_[k];
            slope_[k] = KeySlope(h0, (v_[k] - vPrev) / h0, h1, (v_[k + 1] - v_[k]) / h1);
        }
        slope_[n] = slope_[0];
        return;
    }
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const double h0 = t_[k] - t_[k - 1], h1 = t_[k + 1] - t_[k];
        slope_[k] = KeySlope(h0, (v_[k] - v_[k - 1]) / h0, h1, (v_[k + 1] - v_[k]) / h1);
    }
}

double KeyCurve::operator()(double t) const
{
    if (t_.size() == 1) return v_.front();
    if (period_ > 0.0) {
        t = t_.front() + std::fmod(t - t_.front(), period_);
        if (t < t_.front()) t += period_;
    } else {
        if (!(t > t_.front())) return v_.front();
        if (t >= t_.back()) return v_.back();
    }
    // The piece that starts at the last key at or before t: a key's own time gives its value exactly.
    const std::size_t k = std::min<std::size_t>(
        static_cast<std::size_t>(std::upper_bound(t_.begin(), t_.end(), t) - t_.begin()) - 1, t_.size() - 2);
    const double h = t_[k + 1] - t_[k];
    const double s = (t - t_[k]) / h, s2 = s * s, s3 = s2 * s;
    return v_[k] + (v_[k + 1] - v_[k]) * (3.0 * s2 - 2.0 * s3) +
           h * (slope_[k] * (s3 - 2.0 * s2 + s) + slope_[k + 1] * (s3 - s2));
}

}  // namespace tilvex::motion
