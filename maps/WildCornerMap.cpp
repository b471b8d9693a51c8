// Placeholder definitions so the program links while this unit is written.
#include "maps/WildCornerMap.h"
#include "core/StdRand.h"

namespace tilvex {

WildCornerMap::WildCornerMap() { cornerN = rand() % 11 + 3; rowCount = cornerN / 2 + 1; }
void WildCornerMap::Randomize(int n, int k, RandomSource&) { cornerN = n; depth = k; }
Complex WildCornerMap::Iterate(Complex p) { return p; }
void WildCornerMap::BuildFrequencies(int n) { cornerN = n; }
Complex WildCornerMap::GetCoefficient(int) { return {}; }
void WildCornerMap::SetCoefficient(int, Complex) {}

}  // namespace tilvex
