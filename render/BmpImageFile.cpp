#include "render/BmpImageFile.h"

#include <cstring>

#include "render/DibLayout.h"

namespace tilvex {

BmpImageFile::BmpImageFile(ImageOutput& out, int w, int h)
    : width(w),
      height(h),
      rowStride(w % 4 == 0 ? w : w + 4 - w % 4),
      imageSize(static_cast<std::uint32_t>((w * 8 + 31) / 32 * 4) * static_cast<std::uint32_t>(h)),
      out_(out),
      rowBuffer_(static_cast<std::size_t>(rowStride), 0)
{
}

bool BmpImageFile::WriteHeader(const Palette& palette)
{
    std::uint8_t header[14 + 40] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutLe32(header + 2, imageSize + headerAndPaletteSize + 14);
    PutLe32(header + 10, headerAndPaletteSize + 14);
    PutDibInfoHeader(header + 14, width, height, imageSize, 0);

    std::uint8_t table[1024];
    PutDibColourTable(table, palette);
    return out_.Write(header, sizeof header) && out_.Write(table, sizeof table);
}

bool BmpImageFile::EmitRow()
{
    if (rowsWritten >= height) return false;
    ++rowsWritten;
    return out_.Write(rowBuffer_.data(), rowBuffer_.size());
}

bool BmpImageFile::WritePixels(QuiltRows& rows)
{
    if (rows.Width() != width || rows.Height() != height) return false;
    for (int k = 0; k < rows.Period(); ++k) {
        for (int y = 0; y < rows.TileHeight(); ++y) {
            rows.TileRow(y, rowBuffer_.data());
            if (!EmitRow()) return false;
        }
    }
    return rowsWritten == height;
}

}  // namespace tilvex
