#pragma once

#include <nlohmann/json.hpp>

#include "core/TilvexApp.h"

namespace tilvex::cli {

const char* KindName(QuiltKind kind);
// The quilt's state as the command-line program reports it.
nlohmann::ordered_json StateJson(CTilvexApp& app);

}  // namespace tilvex::cli
