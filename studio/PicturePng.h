#pragma once

#include <stop_token>
#include <string>

#include "render/PngImageFile.h"
#include "studio/Accumulator.h"
#include "studio/FloatImage.h"
#include "studio/Rgb8Image.h"

namespace tilvex::studio {

// What a writer returns when its stop token ended the write (no file is left).
inline constexpr char kWriteStopped[] = "The picture was not written: the work was stopped.";

// Writes the tile repeated period x period times as an 8-bit true-colour PNG,
// with the text chunks after its header. The file appears only complete.
// Empty on success, else a message for the user.
std::string WritePicturePng(const FloatImage& tile, int period, const std::string& path,
                            const PngImageFile::TextChunks& text = {}, std::stop_token stop = {},
                            const ShareDone& progress = {});
std::string WritePicturePng(const Rgb8Image& tile, int period, const std::string& path,
                            const PngImageFile::TextChunks& text = {}, std::stop_token stop = {},
                            const ShareDone& progress = {});

}  // namespace tilvex::studio
