#include "render/PcxImageFile.h"

#include "render/DibLayout.h"

namespace tilvex {

int EncodePcxRow(const std::uint8_t* row, int width, std::uint8_t* out)
{
    int n = 0;
    int pos = 0;
    while (pos < width) {
        int d = 0;
        while (row[pos + d + 1] == row[pos + d] && d < 63) {
            ++d;
            if (pos + d >= width) break;
        }
        if (d > 0) {
            out[n++] = static_cast<std::uint8_t>(0xC0 + d);
            out[n++] = row[pos];
            pos += d;
        } else {
            if (row[pos] >= 0xC0) out[n++] = 0xC1;
            out[n++] = row[pos];
            ++pos;
        }
    }
    return n;
}

PcxImageFile::PcxImageFile(ImageOutput& out, int w, int h, StdRand& ints)
    : width(w),
      height(h),
      out_(out),
      rowBuffer_(static_cast<std::size_t>(w) + 1, 0),
      encodedRow_(2 * static_cast<std::size_t>(w) + 1, 0)
{
    for (int i = 0; i < 256; ++i) {
        PaletteEntry& e = palette[i];
        e.red = static_cast<std::uint8_t>(ints.rand() % 200 + 55);
        e.green = static_cast<std::uint8_t>(ints.rand() % 200 + 55);
        e.blue = static_cast<std::uint8_t>(ints.rand() % 200 + 55);
        e.flags = i == 0 ? 0 : 1;
    }
    header[0] = 10;
    header[1] = 5;
    header[2] = 1;
    header[3] = 8;
    PutLe16(header + 8, static_cast<unsigned>(w - 1));
    PutLe16(header + 10, static_cast<unsigned>(h - 1));
    for (int i = 0; i < 16; ++i) {
        header[16 + i] = palette[i].red;
        header[32 + i] = palette[i].green;
        header[48 + i] = palette[i].blue;
    }
    header[65] = 1;
    PutLe16(header + 66, static_cast<unsigned>(w));
}

bool PcxImageFile::WriteHeader()
{
    if (!out_.Write(header, sizeof header)) return false;
    headerPending = 0;
    return true;
}

int PcxImageFile::WriteRow()
{
    if (rowsWritten >= height || headerPending == 1) return -1;
    int n = EncodePcxRow(rowBuffer_.data(), width, encodedRow_.data());
    if (!out_.Write(encodedRow_.data(), static_cast<std::size_t>(n))) return -1;
    ++rowsWritten;
    if (rowsWritten == height && !WritePaletteTrailer()) return -1;
    return n;
}

bool PcxImageFile::WritePaletteTrailer()
{
    if (trailerWritten_) return true;
    std::uint8_t bytes[1 + 768];
    bytes[0] = 12;
    for (int i = 0; i < 256; ++i) {
        bytes[1 + 3 * i] = palette[i].red;
        bytes[2 + 3 * i] = palette[i].green;
        bytes[3 + 3 * i] = palette[i].blue;
    }
    trailerWritten_ = out_.Write(bytes, sizeof bytes);
    return trailerWritten_;
}

bool PcxImageFile::WritePixels(const Palette& entries, QuiltRows& rows)
{
    if (rows.Width() != width || rows.Height() != height || headerPending) return false;
    for (int i = 0; i < 256; ++i) {
        palette[i] = entries[i];
        palette[i].flags = 1;
    }
    for (int k = 0; k < rows.Period(); ++k) {
        for (int y = 0; y < rows.TileHeight(); ++y) {
            rows.TileRow(y, rowBuffer_.data());
            if (WriteRow() < 0) return false;
        }
    }
    // An empty image is complete at once.
    if (height == 0) WritePaletteTrailer();
    return rowsWritten == height && trailerWritten_;
}

}  // namespace tilvex
