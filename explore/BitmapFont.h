#pragma once

#include <string_view>

#include "studio/Rgb8Image.h"

namespace tilvex {

// A 5 x 7 pixel font of digits, capital letters, the small letters of quilt
// names and "-", for labels drawn into images without a font library. Other
// characters show as an open box.
inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

int TextWidth(std::string_view text, int scale);
// Draws text with its top left corner at (x, y), each font pixel a scale x
// scale square; what falls outside the image is left out.
void DrawText(studio::Rgb8Image& image, int x, int y, std::string_view text, studio::Rgb8 colour, int scale);

}  // namespace tilvex
