#include <algorithm>
#include <cstring>
#include <filesystem>

#include "core/TilvexApp.h"
#include "render/BmpImageFile.h"
#include "render/ImageOutput.h"
#include "render/PcxImageFile.h"
#include "render/PngImageFile.h"
#include "render/QuiltExport.h"
#include "render/QuiltRows.h"

namespace tilvex {

namespace {

// Every writer keeps its sizes in 16 bits.
constexpr long long kMaxSide = 65535;

// Stores text in the name field, cut to fit with its terminator.
void SetName(char (&field)[20], const std::string& text)
{
    std::size_t n = std::min(text.size(), sizeof field - 1);
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), n);
}

// The tile of one period per kind; records the sizes the application keeps.
TileSize ExportTile(CTilvexApp& app, int p)
{
    TileSize tile;
    switch (PixelRuleOf(app)) {
    case PixelRule::Hex:
        app.imageWidth = TruncToInt(p * app.hexMap.tileWidth);
        app.imageHeight = TruncToInt(p * app.hexMap.tileHeight);
        tile.width = TruncToInt(app.hexMap.tileWidth);
        tile.height = TruncToInt(app.hexMap.tileHeight);
        return tile;
    case PixelRule::FourSixTwelve:
    case PixelRule::ThreeTwelveTwelve: {
        bool six = PixelRuleOf(app) == PixelRule::FourSixTwelve;
        double w = six ? app.fourSixTwelveMap.dodecagonCenter.re : app.threeTwelveTwelveMap.rightDodecagonCenter.re;
        double h = six ? app.fourSixTwelveMap.upperDodecagonCenter.im : app.threeTwelveTwelveMap.topDodecagonCenter.im;
        app.tileWidth = 2.0 * TruncToInt(w * app.gridScale);
        app.tileHeight = 2.0 * TruncToInt(h * app.gridScale);
        app.imageWidth = TruncToInt(p * app.tileWidth);
        app.imageHeight = TruncToInt(p * app.tileHeight);
        tile.width = TruncToInt(app.tileWidth);
        tile.height = TruncToInt(app.tileHeight);
        return tile;
    }
    case PixelRule::FourEightEight:
    case PixelRule::SquareLattice:
        tile.width = tile.height = 2 * app.gridSize;
        return tile;
    }
    return tile;
}

// Writes viewPeriod x viewPeriod tiles. The file's height is the number of
// rows produced, so a tile height with a fraction (hex) cannot leave the
// header promising rows that never come.
std::string WriteQuiltImage(CTilvexApp& app, ImageFormat format, const std::string& path)
{
    const int p = app.viewPeriod;
    TileSize tile = ExportTile(app, p);
    QuiltRows rows(app, p, tile.width, tile.height);
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
        ok = file.WriteHeader(app.paletteEntries) && file.WritePixels(rows);
        break;
    }
    case ImageFormat::Pcx: {
        // The writer draws its header palette before the file is opened.
        PcxImageFile file(out, width, height);
        if (std::string error = out.Open(path); !error.empty()) return error;
        ok = file.WriteHeader() && file.WritePixels(app.paletteEntries, rows);
        break;
    }
    case ImageFormat::Png: {
        if (std::string error = out.Open(path); !error.empty()) return error;
        PngImageFile file(out, width, height);
        ok = file.WriteHeader(app.paletteEntries) && file.WritePixels(rows);
        if (!ok && !out.Failed() && !file.Error().empty()) return "Could not write \"" + path + "\": " + file.Error();
        break;
    }
    }
    if (!ok && !out.Failed()) return "Could not write \"" + path + "\": the image was left incomplete.";
    return out.Finish();
}

void SaveImageCommand(CTilvexApp& app, ImageFormat format, const char* ext, const char* filter)
{
    SetName(app.quiltName, app.QuiltName() + ext);
    FileDialogRequest request;
    request.defaultExt = ext;
    request.initialName = app.QuiltName();
    request.filter = filter;
    std::optional<std::string> path = app.ui->AskSaveFile(request);
    if (!path) return;

    app.ui->BeginWaitCursor();
    app.grid.RemoveFloor();
    ViewPeriodFields period;
    period.period = static_cast<unsigned>(static_cast<int>(app.viewPeriod));
    if (app.ui->AskViewPeriod(period)) app.viewPeriod = static_cast<std::int16_t>(period.period & 0xFFFF);
    std::string error = WriteQuiltImage(app, format, *path);
    SetName(app.quiltName, std::filesystem::path(*path).stem().string());
    app.ui->EndWaitCursor();
    if (!error.empty()) app.ui->ShowMessage(error, MessageIcon::Error);
}

}  // namespace

void CTilvexApp::SaveImageAsBmp() { SaveImageCommand(*this, ImageFormat::Bmp, ".bmp", "BMP FILES (*.bmp) | *.bmp ||"); }

void CTilvexApp::SaveImageAsPcx() { SaveImageCommand(*this, ImageFormat::Pcx, ".pcx", "PCX FILES (*.pcx) | *.pcx ||"); }

void CTilvexApp::SaveImageAsPng() { SaveImageCommand(*this, ImageFormat::Png, ".png", "PNG FILES (*.png) | *.png ||"); }

std::string ExportQuiltImage(CTilvexApp& app, ImageFormat format, const std::string& path, int period)
{
    app.viewPeriod = static_cast<std::int16_t>(period & 0xFFFF);
    app.grid.RemoveFloor();
    return WriteQuiltImage(app, format, path);
}

}  // namespace tilvex
