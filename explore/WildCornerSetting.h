#pragma once

namespace tilvex {

class CTilvexApp;

// Gives the Wild Corner map the corner value n as a user would in its dialog.
void SetWildCorner(CTilvexApp& app, int n);

}  // namespace tilvex
