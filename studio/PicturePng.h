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

// How a picture's pixels are stored: 8 or 16 bits a channel, and the
// resolution a print should have (0: none given).
struct PictureFormat {
    int bitDepth = 8;
    int dpi = 0;
};
inline constexpr int kMaxDpi = 100000;

// Writes the tile repeated period x period times as a true-colour PNG, with
// the text chunks after its header. The file appears only complete.
// Empty on success, else a message for the user.
std::string WritePicturePng(const FloatImage& tile, int period, const std::string& path,
                            const PngImageFile::TextChunks& text = {}, std::stop_token stop = {},
                            const ShareDone& progress = {}, PictureFormat format = {});
std::string WritePicturePng(const Rgb8Image& tile, int period, const std::string& path,
                            const PngImageFile::TextChunks& text = {}, std::stop_token stop = {},
                            const ShareDone& progress = {}, PictureFormat format = {});

}  // namespace tilvex::studio
