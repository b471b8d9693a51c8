#pragma once

#include <string>

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::cli {

// Prints one JSON object describing a saved session; non-zero when refused.
int RunInfo(const std::string& path);
// Gives the Wild Corner map the corner value n as the user would in its dialog.
void SetWildCorner(CTilvexApp& app, int n);

}  // namespace tilvex::cli
