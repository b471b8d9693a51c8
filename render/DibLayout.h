#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/PaletteEntry.h"

namespace tilvex {

// The 8-bit device-independent bitmap shared by the image block and BMP files:
// little-endian fields, a 40-byte information header, then 256 colours stored
// blue, green, red, 0, then rows bottom-up padded to a multiple of 4 bytes.

inline void PutLe16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutLe32(std::uint8_t* p, std::uint32_t v)
{
    PutLe16(p, v & 0xFFFF);
    PutLe16(p + 2, v >> 16);
}

inline std::size_t DibRowStride(int width) { return (static_cast<std::size_t>(width) * 8 + 31) / 32 * 4; }

inline void PutDibInfoHeader(std::uint8_t* p, int width, int height, std::uint32_t imageSize,
                             std::uint32_t importantColours)
{
    std::memset(p, 0, 40);
    PutLe32(p, 40);
    PutLe32(p + 4, static_cast<std::uint32_t>(width));
    PutLe32(p + 8, static_cast<std::uint32_t>(height));
    PutLe16(p + 12, 1);
    PutLe16(p + 14, 8);
    PutLe32(p + 20, imageSize);
    PutLe32(p + 32, 256);
    PutLe32(p + 36, importantColours);
}

inline void PutDibColourTable(std::uint8_t* p, const Palette& palette)
{
    for (const PaletteEntry& e : palette) {
        *p++ = e.blue;
        *p++ = e.green;
        *p++ = e.red;
        *p++ = 0;
    }
}

}  // namespace tilvex
