#pragma once

#include <cstdint>
#include <vector>

#include "core/PaletteEntry.h"
#include "render/ImageOutput.h"
#include "render/QuiltRows.h"

namespace tilvex {

// Uncompressed 8-bit Windows bitmap: 14-byte file header, 40-byte information
// header, 256-entry colour table, rows bottom-up padded to 4 bytes.
class BmpImageFile {
public:
    static constexpr std::uint32_t headerAndPaletteSize = 1064;

    // width and height: 0 .. 65535.
    BmpImageFile(ImageOutput& out, int width, int height);

    // Headers and the colour table (blue, green, red, 0 per entry).
    bool WriteHeader(const Palette& palette);
    // Writes every row of the picture; rows must have the writer's width.
    bool WritePixels(QuiltRows& rows);

    int width;
    int height;
    int rowStride;
    std::uint32_t imageSize;
    int rowsWritten = 0;

private:
    bool EmitRow();

    ImageOutput& out_;
    std::vector<std::uint8_t> rowBuffer_;
};

}  // namespace tilvex
