#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "studio/Rgb8Image.h"

namespace tilvex {

// A contact sheet stays one a viewer opens and memory holds: at most this
// many pixels a side (ImageMagick's usual limit), and in all.
inline constexpr int kMaxSheetSide = 16000;
inline constexpr long long kMaxSheetPixels = 1LL << 25;

// How many of `available` thumbnails (best first, `thumbSize` pixels on their
// longer side) one sheet shows: all of them unless the sheet would pass those
// limits.
int SheetCount(int available, int thumbSize);

// Cell i shows picture(i) over labels[i], row by row. Pictures are fetched
// one at a time, twice (first to size the rows), so only the sheet is held
// whole; none leaves its cell blank, and a picture larger than the cell is
// cut to it.
studio::Rgb8Image ContactSheet(const std::vector<std::string>& labels, int thumbSize,
                               const std::function<std::optional<studio::Rgb8Image>(int)>& picture);

}  // namespace tilvex
