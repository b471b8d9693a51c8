// Placeholder definitions so the program links while this unit is written.
#include "core/TilvexApp.h"

namespace tilvex {

int CTilvexApp::ApplyPalette() { return 1; }
void CTilvexApp::RecolourImage() {}
void CTilvexApp::RandomResetPalette() {}
void CTilvexApp::RandomDensityPalette() {}
void CTilvexApp::CycleDensityPalette() {}
void CTilvexApp::SelectPaletteColors() {}

}  // namespace tilvex
