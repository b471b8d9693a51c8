// Placeholder definitions so the program links while this unit is written.
#include "maps/MapThreeTwelve.h"

namespace tilvex {

MapThreeTwelve::MapThreeTwelve() {}
void MapThreeTwelve::Randomize(RandomSource&) {}
Complex MapThreeTwelve::Iterate(Complex& p) { return p; }
Complex MapThreeTwelve::FoldToCell(Complex& p) { return p; }

}  // namespace tilvex
