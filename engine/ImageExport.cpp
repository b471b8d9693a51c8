#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/TilvexApp.h"
#include "render/PixelRules.h"
#include "engine/QuiltExport.h"
#include "render/QuiltImageFile.h"
#include "render/QuiltRows.h"

namespace tilvex {

namespace {

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
        app.geometry.imageWidth = TruncToInt(p * app.maps.hex.tileWidth);
        app.geometry.imageHeight = TruncToInt(p * app.maps.hex.tileHeight);
        tile.width = TruncToInt(app.maps.hex.tileWidth);
        tile.height = TruncToInt(app.maps.hex.tileHeight);
        return tile;
    case PixelRule::FourSixTwelve:
    case PixelRule::ThreeTwelveTwelve: {
        bool six = PixelRuleOf(app) == PixelRule::FourSixTwelve;
        double w = six ? app.maps.fourSixTwelve.dodecagonCenter.re : app.maps.threeTwelveTwelve.rightDodecagonCenter.re;
        double h = six ? app.maps.fourSixTwelve.upperDodecagonCenter.im : app.maps.threeTwelveTwelve.topDodecagonCenter.im;
        app.geometry.tileWidth = 2.0 * TruncToInt(w * app.geometry.gridScale);
        app.geometry.tileHeight = 2.0 * TruncToInt(h * app.geometry.gridScale);
        app.geometry.imageWidth = TruncToInt(p * app.geometry.tileWidth);
        app.geometry.imageHeight = TruncToInt(p * app.geometry.tileHeight);
        tile.width = TruncToInt(app.geometry.tileWidth);
        tile.height = TruncToInt(app.geometry.tileHeight);
        return tile;
    }
    case PixelRule::FourEightEight:
    case PixelRule::SquareLattice:
        tile.width = tile.height = 2 * app.geometry.gridSize;
        return tile;
    }
    return tile;
}

// Writes viewPeriod x viewPeriod tiles from a snapshot taken after the sizes
// are recorded; the folds' working values go back into the maps.
std::string WriteQuiltImage(CTilvexApp& app, ImageFormat format, const std::string& path)
{
    TileSize tile = ExportTile(app, app.geometry.viewPeriod);
    std::shared_ptr<const QuiltSnapshot> quilt = app.TakeSnapshot();
    QuiltMaps fold = quilt->maps;
    std::string error = WriteQuiltImageFile(*quilt, fold, format, path, tile, app.random.ints);
    app.maps = std::move(fold);
    return error;
}

void SaveImageCommand(CTilvexApp& app, ImageFormat format, const char* ext, const char* filter)
{
    SetName(app.identity.quiltName, app.QuiltName() + ext);
    FileDialogRequest request;
    request.defaultExt = ext;
    request.initialName = app.QuiltName();
    request.filter = filter;
    std::optional<std::string> path = app.ui->AskSaveFile(request);
    if (!path) return;

    app.ui->BeginWaitCursor();
    app.grid.RemoveFloor();
    ViewPeriodFields period;
    period.period = static_cast<unsigned>(static_cast<int>(app.geometry.viewPeriod));
    if (app.ui->AskViewPeriod(period)) app.geometry.viewPeriod = static_cast<std::int16_t>(period.period & 0xFFFF);
    std::string error = WriteQuiltImage(app, format, *path);
    SetName(app.identity.quiltName, std::filesystem::path(*path).stem().string());
    app.ui->EndWaitCursor();
    if (!error.empty()) app.ui->ShowMessage(error, MessageIcon::Error);
}

}  // namespace

void CTilvexApp::SaveImageAsBmp() { SaveImageCommand(*this, ImageFormat::Bmp, ".bmp", "BMP FILES (*.bmp) | *.bmp ||"); }

void CTilvexApp::SaveImageAsPcx() { SaveImageCommand(*this, ImageFormat::Pcx, ".pcx", "PCX FILES (*.pcx) | *.pcx ||"); }

void CTilvexApp::SaveImageAsPng() { SaveImageCommand(*this, ImageFormat::Png, ".png", "PNG FILES (*.png) | *.png ||"); }

std::string ExportQuiltImage(CTilvexApp& app, ImageFormat format, const std::string& path, int period)
{
    app.geometry.viewPeriod = static_cast<std::int16_t>(period & 0xFFFF);
    app.grid.RemoveFloor();
    return WriteQuiltImage(app, format, path);
}

RgbPicture ExportQuiltPixels(CTilvexApp& app, int period)
{
    app.geometry.viewPeriod = static_cast<std::int16_t>(period & 0xFFFF);
    app.grid.RemoveFloor();
    TileSize tile = ExportTile(app, app.geometry.viewPeriod);
    std::shared_ptr<const QuiltSnapshot> quilt = app.TakeSnapshot();
    QuiltMaps fold = quilt->maps;
    QuiltRows rows(*quilt, fold, quilt->geometry.viewPeriod, tile.width, tile.height);
    RgbPicture picture = QuiltRgbPicture(rows, quilt->paletteEntries);
    app.maps = std::move(fold);
    return picture;
}

}  // namespace tilvex
