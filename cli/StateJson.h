#pragma once

#include <nlohmann/json.hpp>

#include "core/TilvexApp.h"
#include "explore/NewQuilt.h"

namespace tilvex::cli {

// The active map's coefficients, as its dialogs show them.
nlohmann::ordered_json CoefficientsJson(CTilvexApp& app);
// The quilt's state as the command-line program reports it.
nlohmann::ordered_json StateJson(CTilvexApp& app);

}  // namespace tilvex::cli
