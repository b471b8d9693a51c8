// Placeholder definitions so the program links while this unit is written.
#include "maps/MapSixFourTwelve.h"

namespace tilvex {

MapSixFourTwelve::MapSixFourTwelve() {}
void MapSixFourTwelve::Randomize(RandomSource&) {}
Complex MapSixFourTwelve::Iterate(Complex& p) { return p; }
Complex MapSixFourTwelve::FoldToCell(Complex& p) { return p; }

}  // namespace tilvex
