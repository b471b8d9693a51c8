#pragma once

#include <string>

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::cli {

// Prints one JSON object describing a saved session; non-zero when refused.
int RunInfo(const std::string& path);

}  // namespace tilvex::cli
