#include "explore/ContactSheet.h"

#include <algorithm>
#include <cmath>

#include "explore/BitmapFont.h"

namespace tilvex {

namespace {
constexpr int kGap = 8;
constexpr int kMaxColumns = 6;
constexpr int kLongestName = 19;  // a quilt name's field holds 19 characters
constexpr studio::Rgb8 kSheetColour{24, 24, 28};
constexpr studio::Rgb8 kLabelColour{230, 230, 230};

struct Layout {
    int columns = 1, rows = 1, scale = 1;
    int thumbWidth = 1, thumbHeight = 1, cellWidth = 1, cellHeight = 1;
    long long width = 0, height = 0;
};

// Cells as wide as the widest label, so that names never run into each other.
Layout LayoutFor(int count, int thumbWidth, int thumbHeight, int labelWidth)
{
    Layout l;
    l.columns = std::clamp(static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count)))), 1, kMaxColumns);
    l.rows = std::max(1, (count + l.columns - 1) / l.columns);
    l.thumbWidth = std::max(thumbWidth, 1);
    l.thumbHeight = std::clamp(thumbHeight, 1, l.thumbWidth);
    l.scale = l.thumbWidth >= 120 ? 2 : 1;
    const int labelHeight = kGlyphHeight * l.scale + kGap / 2;
    l.cellWidth = std::max(l.thumbWidth, labelWidth) + kGap;
    l.cellHeight = l.thumbHeight + labelHeight + kGap;
    l.width = static_cast<long long>(l.columns) * l.cellWidth + kGap;
    l.height = static_cast<long long>(l.rows) * l.cellHeight + kGap;
    return l;
}

}  // namespace

int SheetCount(int available, int thumbSize)
{
    const int scale = thumbSize >= 120 ? 2 : 1;
    for (int count = available; count > 1; --count) {
        const Layout l = LayoutFor(count, thumbSize, thumbSize, (kLongestName * kGlyphAdvance - 1) * scale);
        if (l.width <= kMaxSheetSide && l.height <= kMaxSheetSide && l.width * l.height <= kMaxSheetPixels)
            return count;
    }
    return std::min(available, 1);
}

studio::Rgb8Image ContactSheet(const std::vector<std::string>& labels, int thumbSize,
                               const std::function<std::optional<studio::Rgb8Image>(int)>& picture)
{
    const int count = static_cast<int>(labels.size());
    const int scale = std::max(thumbSize, 1) >= 120 ? 2 : 1;
    int thumbHeight = 1, labelWidth = 0;
    for (int i = 0; i < count; ++i) {
        if (const std::optional<studio::Rgb8Image> thumb = picture(i)) thumbHeight = std::max(thumbHeight, thumb->height);
        labelWidth = std::max(labelWidth, TextWidth(labels[static_cast<std::size_t>(i)], scale));
    }
    const Layout l = LayoutFor(count, thumbSize, thumbHeight, labelWidth);

    studio::Rgb8Image sheet;
    sheet.width = static_cast<int>(l.width);
    sheet.height = static_cast<int>(l.height);
    sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height, kSheetColour);
    for (int i = 0; i < count; ++i) {
        const int left = kGap + (i % l.columns) * l.cellWidth, top = kGap + (i / l.columns) * l.cellHeight;
        // Centred in its cell; the name goes under the cell's picture area.
        if (const std::optional<studio::Rgb8Image> thumb = picture(i)) {
            const int width = std::min(thumb->width, l.cellWidth - kGap), height = std::min(thumb->height, l.thumbHeight);
            const int x0 = left + (l.cellWidth - kGap - width) / 2, y0 = top + (l.thumbHeight - height) / 2;
            for (int y = 0; y < height; ++y)
                std::copy_n(thumb->pixels.begin() + static_cast<std::ptrdiff_t>(y) * thumb->width, width,
                            sheet.pixels.begin() + static_cast<std::ptrdiff_t>(y0 + y) * sheet.width + x0);
        }
        DrawText(sheet, left, top + l.thumbHeight + kGap / 2, labels[static_cast<std::size_t>(i)], kLabelColour,
                 l.scale);
    }
    return sheet;
}

}  // namespace tilvex
