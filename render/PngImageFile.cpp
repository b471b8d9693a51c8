#include "render/PngImageFile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tilvex {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

void PutBig32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

constexpr std::size_t kMaxStored = 65535;

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t size)
{
    constexpr std::uint32_t kBase = 65521;
    // 5552 bytes is the longest stretch whose sums cannot overflow 32 bits.
    constexpr std::size_t kStretch = 5552;
    std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
    while (size > 0) {
        std::size_t n = std::min(size, kStretch);
        size -= n;
        for (std::size_t i = 0; i < n; ++i) {
            a += data[i];
            b += a;
        }
        data += n;
        a %= kBase;
        b %= kBase;
    }
    return (b << 16) | a;
}

PngImageFile::PngImageFile(ImageOutput& out, int w, int h)
    : width(w), height(h), out_(out), chunk_(4 + 2 + 2 * 5 + static_cast<std::size_t>(w) + 1 + 4, 0)
{
}

bool PngImageFile::WriteChunk(const char type[4], const std::uint8_t* data, std::size_t size)
{
    std::uint8_t head[8];
    PutBig32(head, static_cast<std::uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    std::uint32_t crc = Crc32(Crc32(0, head + 4, 4), data, size);
    std::uint8_t tail[4];
    PutBig32(tail, crc);
    return out_.Write(head, 8) && out_.Write(data, size) && out_.Write(tail, 4);
}

bool PngImageFile::WriteHeader(const Palette& palette)
{
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::uint8_t ihdr[13] = {};
    PutBig32(ihdr, static_cast<std::uint32_t>(width));
    PutBig32(ihdr + 4, static_cast<std::uint32_t>(height));
    ihdr[8] = 8;  // bit depth
    ihdr[9] = 3;  // indexed colour
    std::uint8_t plte[768];
    for (int i = 0; i < 256; ++i) {
        plte[3 * i] = palette[i].red;
        plte[3 * i + 1] = palette[i].green;
        plte[3 * i + 2] = palette[i].blue;
    }
    return out_.Write(kSignature, sizeof kSignature) && WriteChunk("IHDR", ihdr, sizeof ihdr) &&
           WriteChunk("PLTE", plte, sizeof plte);
}

// Wraps the row at chunk_[offset ..] (filter byte 0 included) in stored
// blocks; the zlib header comes before the first row, the checksum after the last.
bool PngImageFile::EmitRow()
{
    if (rowsWritten >= height) return false;
    const bool first = rowsWritten == 0;
    const bool last = rowsWritten + 1 == height;
    const std::size_t scanline = static_cast<std::size_t>(width) + 1;
    // The scanline was placed where a single block puts it; a second block
    // header, when needed, is made room for by moving the tail.
    std::uint8_t* base = chunk_.data();
    std::size_t n = 4 + (first ? 2 : 0);
    std::uint8_t* line = base + 4 + 2 + 5;
    adler_ = Adler32(adler_, line, scanline);
    std::size_t done = 0;
    if (first) {
        base[4] = 0x78;
        base[5] = 0x01;
    }
    while (done < scanline) {
        std::size_t len = std::min(scanline - done, kMaxStored);
        bool final = last && done + len == scanline;
        std::uint8_t block[5] = {static_cast<std::uint8_t>(final ? 1 : 0), static_cast<std::uint8_t>(len),
                                 static_cast<std::uint8_t>(len >> 8), static_cast<std::uint8_t>(~len),
                                 static_cast<std::uint8_t>(~len >> 8)};
        std::memmove(base + n + 5, line + done, len);
        std::memcpy(base + n, block, 5);
        n += 5 + len;
        done += len;
    }
    if (last) {
        PutBig32(base + n, adler_);
        n += 4;
    }
    ++rowsWritten;
    return WriteChunk("IDAT", base + 4, n - 4);
}

bool PngImageFile::WritePixels(QuiltRows& rows)
{
    if (rows.Width() != width || rows.Height() != height || height == 0) return false;
    std::uint8_t* line = chunk_.data() + 4 + 2 + 5;
    for (int k = 0; k < rows.Period(); ++k) {
        for (int y = rows.TileHeight() - 1; y >= 0; --y) {
            line[0] = 0;  // no filter
            rows.TileRow(y, line + 1);
            if (!EmitRow()) return false;
        }
    }
    static const std::uint8_t kNone[1] = {0};
    return rowsWritten == height && WriteChunk("IEND", kNone, 0);
}

}  // namespace tilvex
