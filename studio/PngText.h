#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "render/PngImageFile.h"

namespace tilvex::studio {

// The text chunks (tEXt, zTXt, iTXt) before a PNG's pixels, from its bytes.
// None, with error set, when libpng refuses the file. Decompressed text is
// limited, so a crafted chunk cannot take the memory.
std::optional<PngImageFile::TextChunks> ReadPngText(const std::uint8_t* data, std::size_t size, std::string& error);

}  // namespace tilvex::studio
