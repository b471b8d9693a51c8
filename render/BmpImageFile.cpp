#include "render/BmpImageFile.h"

#include <cstring>

namespace tilvex {

namespace {

void Put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

}  // namespace

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
    Put32(header + 2, imageSize + headerAndPaletteSize + 14);
    Put32(header + 10, headerAndPaletteSize + 14);
    std::uint8_t* info = header + 14;
    Put32(info, 40);
    Put32(info + 4, static_cast<std::uint32_t>(width));
    Put32(info + 8, static_cast<std::uint32_t>(height));
    Put16(info + 12, 1);
    Put16(info + 14, 8);
    Put32(info + 20, imageSize);
    Put32(info + 32, 256);

    std::uint8_t table[1024];
    for (int i = 0; i < 256; ++i) {
        table[4 * i] = palette[i].blue;
        table[4 * i + 1] = palette[i].green;
        table[4 * i + 2] = palette[i].red;
        table[4 * i + 3] = 0;
    }
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
