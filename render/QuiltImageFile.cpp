#include "render/QuiltImageFile.h"

#include "render/BmpImageFile.h"
#include "render/ImageOutput.h"
#include "render/PcxImageFile.h"
#include "render/PngImageFile.h"
#include "render/QuiltRows.h"

namespace tilvex {

namespace {
// Every writer keeps its sizes in 16 bits.
constexpr long long kMaxSide = 65535;
}  // namespace

// The file's height is the number of rows produced, so a tile height with a
// fraction (hex) cannot leave the header promising rows that never come.
std::string WriteQuiltImageFile(const QuiltSnapshot& q, QuiltMaps& fold, ImageFormat format, const std::string& path,
                                TileSize tile, StdRand& ints)
{
    const int p = q.geometry.viewPeriod;
    QuiltRows rows(q, fold, p, tile.width, tile.height);
    if (rows.Width() > kMaxSide || rows.Height() > kMaxSide)
        return "The image would be " + std::to_string(rows.Width()) + " x " + std::to_string(rows.Height()) +
               " pixels; at most 65535 x 65535 can be written. Choose a smaller period.";
    const int width = static_cast<int>(rows.Width());
    const int height = static_cast<int>(rows.Height());
    if (format == ImageFormat::Png && (width == 0 || height == 0))
        return "The image is empty (period " + std::to_string(p) + "); nothing was written.";

    ImageOutput out;
    bool ok = false;
    switch (format) {
    case ImageFormat::Bmp: {
        if (std::string error = out.Open(path); !error.empty()) return error;
        BmpImageFile file(out, width, height);
        ok = file.WriteHeader(q.paletteEntries) && file.WritePixels(rows);
        break;
    }
    case ImageFormat::Pcx: {
        // The writer draws its header palette before the file is opened.
        PcxImageFile file(out, width, height, ints);
        if (std::string error = out.Open(path); !error.empty()) return error;
        ok = file.WriteHeader() && file.WritePixels(q.paletteEntries, rows);
        break;
    }
    case ImageFormat::Png: {
        if (std::string error = out.Open(path); !error.empty()) return error;
        PngImageFile file(out, width, height);
        ok = file.WriteHeader(q.paletteEntries) && file.WritePixels(rows);
        if (!ok && !out.Failed() && !file.Error().empty()) return "Could not write \"" + path + "\": " + file.Error();
        break;
    }
    }
    if (!ok && !out.Failed()) return "Could not write \"" + path + "\": the image was left incomplete.";
    return out.Finish();
}

}  // namespace tilvex
