// Placeholder definitions so the program links while this unit is written.
#include "maps/MapFourEight.h"

namespace tilvex {

MapFourEight::MapFourEight() {}
void MapFourEight::Randomize(RandomSource&) {}
Complex MapFourEight::Iterate(Complex& p) { return p; }
Complex MapFourEight::FoldToCell(Complex& p) { return p; }

}  // namespace tilvex
