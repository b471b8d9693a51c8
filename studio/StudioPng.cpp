#include "studio/StudioPng.h"

#include <cstring>

#include "render/ImageOutput.h"
#include "render/PngImageFile.h"

namespace tilvex::studio {

std::string WriteStudioPng(const StudioImage& tile, int period, const std::string& path)
{
    const long long width = static_cast<long long>(tile.width) * period;
    const long long height = static_cast<long long>(tile.height) * period;
    if (period < 1 || width < 1 || height < 1 || width > 65535 || height > 65535)
        return "The image would be " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels; a PNG of 1 to 65535 pixels a side can be written.";
    ImageOutput out;
    if (std::string error = out.Open(path); !error.empty()) return error;
    PngImageFile file(out, static_cast<int>(width), static_cast<int>(height));
    const std::size_t tileRowBytes = 3 * static_cast<std::size_t>(tile.width);
    bool ok = file.WriteRgbHeader() && file.WriteRgbPixels([&](int y, std::uint8_t* row) {
        const Rgb8* source = tile.pixels.data() + static_cast<std::size_t>(y % tile.height) * tile.width;
        for (int x = 0; x < tile.width; ++x) {
            row[3 * x] = source[x].r;
            row[3 * x + 1] = source[x].g;
            row[3 * x + 2] = source[x].b;
        }
        for (int k = 1; k < period; ++k) std::memcpy(row + k * tileRowBytes, row, tileRowBytes);
    });
    if (!ok && !out.Failed())
        return "Could not write \"" + path + "\": " + (file.Error().empty() ? "the image was left incomplete" : file.Error());
    return out.Finish();
}

}  // namespace tilvex::studio
