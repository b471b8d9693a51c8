#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

#include "render/PngImageFile.h"
#include "studio/Accumulator.h"
#include "studio/FloatImage.h"
#include "studio/PictureNote.h"

namespace tilvex::studio {

// Writes the tile repeated period x period times as an OpenEXR image of
// half floats (ZIP compressed) in linear light: the picture's sRGB-encoded
// values decoded, before any quantisation. The quilt's name, the note's
// settings and session go in string attributes. The file appears only
// complete. Empty on success, else a message for the user.
std::string WritePictureExr(const FloatImage& tile, int period, const std::string& path, const PictureNote& note,
                            std::stop_token stop = {}, const ShareDone& progress = {});

// The string attributes of an OpenEXR file's header, from its bytes, as
// (name, text) pairs. None, with error set, when the header cannot be read.
std::optional<PngImageFile::TextChunks> ReadExrText(const std::uint8_t* data, std::size_t size, std::string& error);

// sRGB-encoded 0..1 to linear light.
double LinearFromSrgb(double v);

}  // namespace tilvex::studio
