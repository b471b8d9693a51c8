#pragma once

#include "studio/StudioQuilt.h"

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::studio {

// A copy of everything the studio renderer reads of the program's current quilt.
StudioQuilt StudioQuiltFromApp(CTilvexApp& app);

}  // namespace tilvex::studio
