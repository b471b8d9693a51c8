#pragma once

#include <string>

#include "core/StdRand.h"
#include "maps/QuiltMaps.h"
#include "render/QuiltSnapshot.h"

namespace tilvex {

enum class ImageFormat { Bmp, Pcx, Png };

// Writes q as viewPeriod x viewPeriod tiles of the given size (BMP, PCX or
// PNG), through fold (see CellOf); the PCX writer draws its palette from ints.
// The file appears only complete: it is written beside the destination and
// renamed into place. Returns an empty string on success, else a message.
std::string WriteQuiltImageFile(const QuiltSnapshot& q, QuiltMaps& fold, ImageFormat format, const std::string& path,
                                TileSize tile, StdRand& ints);

}  // namespace tilvex
