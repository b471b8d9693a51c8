#include "studio/PicturePng.h"

#include <cstring>
#include <functional>

#include "render/ImageOutput.h"
#include "studio/RenderSettings.h"

namespace tilvex::studio {

static_assert(sizeof(Rgb8) == 3, "rows are copied as bytes");

namespace {

// tileRow(y, row) fills the first tile's worth of picture row y (y within the tile).
using TileRow = std::function<void(int y, std::uint8_t* row)>;

std::string WriteTiled(int tileWidth, int tileHeight, int period, const std::string& path,
                       const PngImageFile::TextChunks& text, std::stop_token stop, const ShareDone& progress,
                       PictureFormat format, const TileRow& tileRow)
{
    const long long width = static_cast<long long>(tileWidth) * period;
    const long long height = static_cast<long long>(tileHeight) * period;
    if (period < 1 || width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
        return "The image would be " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels; a PNG of 1 to 65535 pixels a side can be written.";
    ImageOutput out;
    if (std::string error = out.Open(path); !error.empty()) return error;
    PngImageFile file(out, static_cast<int>(width), static_cast<int>(height));
    const std::size_t tileRowBytes = static_cast<std::size_t>(3 * format.bitDepth / 8) * tileWidth;
    bool ok = file.WriteRgbHeader(text, format.bitDepth, format.dpi) && file.WriteRgbPixels([&](int y, std::uint8_t* row) {
        if (stop.stop_requested()) return false;
        tileRow(y % tileHeight, row);
        for (int k = 1; k < period; ++k) std::memcpy(row + k * tileRowBytes, row, tileRowBytes);
        if (progress && (y & 63) == 63) progress(static_cast<double>(y + 1) / static_cast<double>(height));
        return true;
    });
    if (stop.stop_requested()) return kWriteStopped;  // out removes the unfinished file
    if (!ok && !out.Failed())
        return "Could not write \"" + path + "\": " + (file.Error().empty() ? "the image was left incomplete" : file.Error());
    return out.Finish();
}

}  // namespace

std::string WritePicturePng(const FloatImage& tile, int period, const std::string& path,
                            const PngImageFile::TextChunks& text, std::stop_token stop, const ShareDone& progress,
                            PictureFormat format)
{
    if (format.bitDepth == 16) {
        std::vector<RgbF> colours(static_cast<std::size_t>(tile.Width()));
        return WriteTiled(tile.Width(), tile.Height(), period, path, text, stop, progress, format,
                          [&](int y, std::uint8_t* row) {
                              tile.Row(y, colours.data());
                              for (const RgbF& c : colours)
                                  for (double v : {c.r, c.g, c.b}) {
                                      const std::uint16_t q = Quantise16(v);
                                      *row++ = static_cast<std::uint8_t>(q >> 8);
                                      *row++ = static_cast<std::uint8_t>(q & 0xFF);
                                  }
                          });
    }
    if (period > 1) {
        // Each tile row is written period times: colour it once.
        std::optional<Rgb8Image> quantised = Quantise8(tile, stop);
        if (!quantised) return kWriteStopped;
        return WriteTiled(quantised->width, quantised->height, period, path, text, stop, progress, format,
                          [&](int y, std::uint8_t* row) {
                              std::memcpy(row, quantised->Row(y), 3 * static_cast<std::size_t>(quantised->width));
                          });
    }
    std::vector<RgbF> colours(static_cast<std::size_t>(tile.Width()));
    return WriteTiled(tile.Width(), tile.Height(), period, path, text, stop, progress, format,
                      [&](int y, std::uint8_t* row) {
                          tile.Row(y, colours.data());
                          for (const RgbF& c : colours) {
                              const Rgb8 q = Quantise8(c);
                              *row++ = q.r;
                              *row++ = q.g;
                              *row++ = q.b;
                          }
                      });
}

std::string WritePicturePng(const Rgb8Image& tile, int period, const std::string& path,
                            const PngImageFile::TextChunks& text, std::stop_token stop, const ShareDone& progress,
                            PictureFormat format)
{
    format.bitDepth = 8;
    return WriteTiled(tile.width, tile.height, period, path, text, stop, progress, format, [&](int y, std::uint8_t* row) {
        const Rgb8* source = tile.Row(y);
        for (int x = 0; x < tile.width; ++x) {
            *row++ = source[x].r;
            *row++ = source[x].g;
            *row++ = source[x].b;
        }
    });
}

}  // namespace tilvex::studio
