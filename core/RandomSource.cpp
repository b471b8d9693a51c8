#include "core/RandomSource.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

namespace tilvex {

namespace {
constexpr double kModuli[10] = {259200, 134456, 243000, 139968, 214326, 120050, 145800, 121500, 175000, 510300};
constexpr double kMultipliers[10] = {7141, 8121, 4561, 3877, 3613, 2311, 3661, 4081, 2661, 17221};
constexpr double kIncrements[10] = {54773, 28411, 51349, 29573, 45289, 25367, 30809, 25673, 36979, 107839};
}  // namespace

RandomSource::RandomSource()
{
    for (int i = 0; i < 10; ++i) {
        moduli[i] = kModuli[i];
        multipliers[i] = kMultipliers[i];
        increments[i] = kIncrements[i];
    }
}

bool IsAcceptedSeed(double value) { return value >= 0.0 && value <= kMaxSeed && value == std::trunc(value); }

// Any value not finite (only a seed that was not a number can lead there) picks row 0.
int RandomSource::RowOf(double v) const
{
    double r = std::fabs(std::trunc(std::fmod(v, tableRows)));
    if (!(r < 10.0)) return 0;
    return static_cast<int>(r);
}

// |value| * moduli[4] reduced by moduli[5], exact for every accepted seed. A
// product too large for a double is reduced in two steps, NaN counts as 0.
double RandomSource::SeedValue(double value) const
{
    double magnitude = std::fabs(value);
    if (std::isnan(magnitude)) return 0.0;
    magnitude = std::min(magnitude, std::numeric_limits<double>::max());
    double product = magnitude * moduli[4];
    if (std::isinf(product)) product = std::fmod(magnitude, moduli[5]) * moduli[4];
    return std::fmod(product, moduli[5]);
}

void RandomSource::Seed(double value)
{
    lastValue = SeedValue(value);
    row0 = RowOf(lastValue);
    state0 = std::fmod(increments[row0] + lastValue, moduli[row0]);
    state0 = std::fmod(multipliers[row0] * state0 + increments[row0], moduli[row0]);
    row1 = RowOf(state0);
    state1 = std::fmod(state0, moduli[row1]);
    state0 = std::fmod(multipliers[row0] * state0 + increments[row0], moduli[row0]);
    row2 = RowOf(state0);
    state2 = std::fmod(state0, moduli[row2]);
}

double RandomSource::Next()
{
    row0 = RowOf(lastValue);
    state0 = std::fmod(multipliers[row0] * state0 + increments[row0], moduli[row0]);
    row1 = RowOf(state0);
    state1 = std::fmod(multipliers[row1] * state1 + increments[row1], moduli[row1]);
    row2 = RowOf(state1);
    state2 = std::fmod(multipliers[row2] * state2 + increments[row2], moduli[row2]);
    lastValue = std::fmod(state2 * state1 + state0, moduli[row2]);
    return lastValue;
}

double RandomSource::RandomUnit()
{
    double r = Next();
    while (r > 1.0) r = r * 0.1;
    return r;
}

double ClockSeed()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<double>(local.tm_mon + 1) * static_cast<double>(local.tm_wday + 1) *
           static_cast<double>(local.tm_hour) * static_cast<double>(local.tm_min) *
           static_cast<double>(local.tm_sec);
}

}  // namespace tilvex
