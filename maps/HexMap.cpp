// Placeholder definitions so the program links while this unit is written.
#include "maps/HexMap.h"

namespace tilvex {

HexMap::HexMap() { halfHeight = 0.8660254037844386; }
void HexMap::Randomize(RandomSource&, int detailFlag) { detailed = detailFlag; }
void HexMap::SetGeometry(double) {}
Complex HexMap::Iterate(Complex p) { return p; }
Complex HexMap::IterateKnot(Complex p) { return p; }
Complex HexMap::FoldToCell(Complex p) { return p; }
Complex HexMap::PixelToLattice(int, int) { return {}; }
Complex HexMap::GetDetailCoefficient(int) { return {}; }
void HexMap::SetDetailCoefficient(int, Complex) {}
void HexMap::ExpandDetailCoefficient(int) {}

}  // namespace tilvex
