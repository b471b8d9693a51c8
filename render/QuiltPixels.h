#pragma once

#include <cstdint>
#include <vector>

#include "core/PaletteEntry.h"
#include "render/QuiltRows.h"

namespace tilvex {

// A quilt picture in memory: 8-bit RGB, top row first.
struct RgbPicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3
};

// The pixels an exported image holds, coloured through palette. Rows are made
// in the order the image writers make them, so the folds' working values end
// as they would after a write.
RgbPicture QuiltRgbPicture(QuiltRows& rows, const Palette& palette);

}  // namespace tilvex
