#pragma once

#include <string>

#include "render/QuiltSnapshot.h"

namespace tilvex::studio {

// Height of a tile of this width for the quilt's kind: the exact tile's aspect.
int StudioTileHeight(const QuiltSnapshot& quilt, int width);
// Cells per unit of the density buffer for a tile of this width: about one per pixel.
int StudioResolution(const QuiltSnapshot& quilt, int width);

// Empty when a picture of period x period tiles of this width can be written,
// else the message for the user. Front ends ask before any work is done.
std::string CheckPictureSize(const QuiltSnapshot& quilt, int width, int period);

}  // namespace tilvex::studio
