// Placeholder definitions so the program links while this unit is written.
#include "core/TilvexApp.h"

namespace tilvex {

void CTilvexApp::ChooseQuiltFractal() {}
void CTilvexApp::SetSquareQuilt() {}
void CTilvexApp::SetSquareCoefficients() {}
void CTilvexApp::SetHexQuilt() {}
void CTilvexApp::SetHexCoefficients() {}
void CTilvexApp::SetWildCornerQuilt() {}

}  // namespace tilvex
