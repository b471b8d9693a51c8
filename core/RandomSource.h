#pragma once

namespace tilvex {

// Three chained linear congruential generators whose constants are picked
// afresh at every draw from a ten-row table. All values are whole numbers held
// in doubles; every product stays below 2^53, so the arithmetic is exact.
class RandomSource {
public:
    RandomSource();

    void Seed(double value);
    double Next();
    // The leading digits of a draw read as a decimal fraction in [0, 1].
    double RandomUnit();

    double state0 = 0.0, state1 = 0.0, state2 = 0.0;
    double lastValue = 0.0;
    double moduli[10];
    double increments[10];
    double multipliers[10];
    double tableRows = 10.0;
    int row0 = 0, row1 = 0, row2 = 0;

private:
    int RowOf(double v) const;
    double SeedValue(double value) const;
};

inline double RandomUnit(RandomSource& random) { return random.RandomUnit(); }

// (month + 1) * (weekday + 1) * hour * minute * second of the local time.
double ClockSeed();

// Seeds a user may give: whole numbers from 0 up to this, far above every
// clock seed (at most 12 * 7 * 23 * 59 * 60).
inline constexpr double kMaxSeed = 4294967295.0;
bool IsAcceptedSeed(double value);

}  // namespace tilvex
