#pragma once

#include <vector>

#include "explore/Gallery.h"

namespace tilvex {

// All thumbnails in the entries' order, row by row, each over its quilt's name.
studio::Rgb8Image ContactSheet(const std::vector<GalleryEntry>& entries, int thumbWidth);

}  // namespace tilvex
