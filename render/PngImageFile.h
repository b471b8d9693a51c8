#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/PaletteEntry.h"
#include "render/ImageOutput.h"
#include "render/QuiltRows.h"

namespace tilvex {

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);  // start with 0
std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t size);  // start with 1

// 8-bit palette PNG of the same picture as the BMP, top row first. The zlib
// stream holds stored (uncompressed) deflate blocks, one IDAT chunk per row,
// so rows stream out without holding the image.
class PngImageFile {
public:
    // width and height: 1 .. 65535.
    PngImageFile(ImageOutput& out, int width, int height);

    bool WriteHeader(const Palette& palette);  // signature, IHDR, PLTE
    bool WritePixels(QuiltRows& rows);         // the IDAT chunks, then IEND

    int width;
    int height;
    int rowsWritten = 0;

private:
    bool WriteChunk(const char type[4], const std::uint8_t* data, std::size_t size);
    bool EmitRow();

    ImageOutput& out_;
    std::vector<std::uint8_t> chunk_;  // type, zlib bytes of one row
    std::uint32_t adler_ = 1;
};

}  // namespace tilvex
