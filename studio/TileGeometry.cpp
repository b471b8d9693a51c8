#include "studio/TileGeometry.h"

#include <algorithm>
#include <cmath>

#include "studio/RenderSettings.h"

namespace tilvex::studio {

int StudioTileHeight(const QuiltSnapshot& quilt, int width)
{
    if (quilt.tile.width <= 0) return width;
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(width) * quilt.tile.height / quilt.tile.width)));
}

int StudioResolution(const QuiltSnapshot& quilt, int width)
{
    double perPixel = quilt.tile.width > 0 ? static_cast<double>(width) / quilt.tile.width : 1.0;
    return std::max(8, static_cast<int>(std::lround(quilt.geometry.gridScale * perPixel)));
}

std::string CheckPictureSize(const QuiltSnapshot& quilt, int width, int period)
{
    const long long w = static_cast<long long>(std::max(width, 1)) * period;
    const long long h = static_cast<long long>(StudioTileHeight(quilt, std::max(width, 1))) * period;
    if (period < 1 || w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide)
        return "The image would be " + std::to_string(w) + " x " + std::to_string(h) +
               " pixels; a PNG of 1 to 65535 pixels a side can be written.";
    return {};
}

}  // namespace tilvex::studio
