#include "explore/ContactSheet.h"

#include <algorithm>
#include <cmath>

#include "explore/BitmapFont.h"

namespace tilvex {

namespace {
constexpr int kGap = 8;
constexpr int kMaxColumns = 6;
constexpr studio::Rgb8 kSheetColour{24, 24, 28};
constexpr studio::Rgb8 kLabelColour{230, 230, 230};
}  // namespace

studio::Rgb8Image ContactSheet(const std::vector<GalleryEntry>& entries, int thumbWidth)
{
    const int count = static_cast<int>(entries.size());
    const int columns = std::clamp(static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count)))), 1, kMaxColumns);
    const int rows = std::max(1, (count + columns - 1) / columns);
    int thumbHeight = 1;
    for (const GalleryEntry& e : entries) thumbHeight = std::max(thumbHeight, e.thumbnail.height);
    thumbWidth = std::max(thumbWidth, 1);
    const int scale = thumbWidth >= 120 ? 2 : 1;
    const int labelHeight = kGlyphHeight * scale + kGap / 2;
    const int cellWidth = thumbWidth + kGap, cellHeight = thumbHeight + labelHeight + kGap;

    studio::Rgb8Image sheet;
    sheet.width = columns * cellWidth + kGap;
    sheet.height = rows * cellHeight + kGap;
    sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height, kSheetColour);
    for (int i = 0; i < count; ++i) {
        const studio::Rgb8Image& thumb = entries[static_cast<std::size_t>(i)].thumbnail;
        const int left = kGap + (i % columns) * cellWidth, top = kGap + (i / columns) * cellHeight;
        // Centred in its cell; the name goes under the cell's picture area.
        const int width = std::min(thumb.width, thumbWidth), height = std::min(thumb.height, thumbHeight);
        const int x0 = left + (thumbWidth - width) / 2, y0 = top + (thumbHeight - height) / 2;
        for (int y = 0; y < height; ++y)
            std::copy_n(thumb.pixels.begin() + static_cast<std::ptrdiff_t>(y) * thumb.width, width,
                        sheet.pixels.begin() + static_cast<std::ptrdiff_t>(y0 + y) * sheet.width + x0);
        DrawText(sheet, left, top + thumbHeight + kGap / 2, entries[static_cast<std::size_t>(i)].quilt.name,
                 kLabelColour, scale);
    }
    return sheet;
}

}  // namespace tilvex
