#include "render/QuiltPixels.h"

namespace tilvex {

RgbPicture QuiltRgbPicture(QuiltRows& rows, const Palette& palette)
{
    RgbPicture picture;
    picture.width = static_cast<int>(rows.Width());
    picture.height = static_cast<int>(rows.Height());
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(picture.width);
    picture.rgb.resize(rowBytes * picture.height);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(picture.width));
    // The writers go bottom row first, tile row 0 at the bottom.
    int fromBottom = 0;
    for (int k = 0; k < rows.Period(); ++k) {
        for (int y = 0; y < rows.TileHeight(); ++y, ++fromBottom) {
            rows.TileRow(y, indices.data());
            std::uint8_t* out = picture.rgb.data() + rowBytes * (picture.height - 1 - fromBottom);
            for (std::uint8_t index : indices) {
                const PaletteEntry& c = palette[index];
                *out++ = c.red;
                *out++ = c.green;
                *out++ = c.blue;
            }
        }
    }
    return picture;
}

}  // namespace tilvex
