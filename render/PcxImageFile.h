#pragma once

#include <cstdint>
#include <vector>

#include "core/PaletteEntry.h"
#include "core/StdRand.h"
#include "render/ImageOutput.h"
#include "render/QuiltRows.h"

namespace tilvex {

// Run-length encodes row[0 .. width - 1] the PCX way into out (room for
// 2 * width + 1 bytes). row[width] must be readable and 0: a run may peek at
// it. Returns the number of bytes emitted.
int EncodePcxRow(const std::uint8_t* row, int width, std::uint8_t* out);

// Version 5 PCX, one 8-bit plane, run-length encoded, rows in the order they
// are produced (tile row 0 first), 256-colour palette after the marker 12.
class PcxImageFile {
public:
    // width and height: 0 .. 65535. Draws the writer's own palette from rand, like
    // the start-up palette; its first 16 colours fill the header field.
    PcxImageFile(ImageOutput& out, int width, int height, StdRand& ints);

    bool WriteHeader();
    // Takes the quilt's palette for the trailer, then writes every row; after
    // the last row (at once for an empty image) the trailer follows.
    bool WritePixels(const Palette& entries, QuiltRows& rows);
    // Encodes and writes RowBuffer(); -1 if refused (before the header, after
    // the last row) or if the write failed, else the encoded size.
    int WriteRow();
    bool WritePaletteTrailer();
    std::uint8_t* RowBuffer() { return rowBuffer_.data(); }

    int width;
    int height;
    std::uint8_t header[128] = {};
    int headerPending = 1;
    int rowsWritten = 0;
    Palette palette;

private:
    ImageOutput& out_;
    std::vector<std::uint8_t> rowBuffer_;   // width + 1, the last byte stays 0
    std::vector<std::uint8_t> encodedRow_;  // 2 * width + 1
    bool trailerWritten_ = false;
};

}  // namespace tilvex
