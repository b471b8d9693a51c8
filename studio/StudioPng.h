#pragma once

#include <string>

#include "studio/StudioRenderer.h"

namespace tilvex::studio {

// Writes the tile repeated period x period times as a true-colour PNG. The file
// appears only complete. Empty on success, else a message for the user.
std::string WriteStudioPng(const StudioImage& tile, int period, const std::string& path);

}  // namespace tilvex::studio
