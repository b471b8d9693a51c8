#include "cli/WildCornerOption.h"

#include "core/TilvexApp.h"

namespace tilvex::cli {

void SetWildCorner(CTilvexApp& app, int n) { app.wildCornerMap.BuildFrequencies(n); }

}  // namespace tilvex::cli
