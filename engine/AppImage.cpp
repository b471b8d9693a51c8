#include <memory>

#include "engine/TilvexApp.h"
#include "render/PixelRules.h"
#include "render/QuiltRows.h"

namespace tilvex {

std::shared_ptr<const QuiltSnapshot> CTilvexApp::TakeSnapshot() const
{
    return std::make_shared<const QuiltSnapshot>(QuiltSnapshot{
        .kind = Kind(),
        .kindFlags = kindFlags,
        .detail = detail,
        .maps = maps,
        .orbit = orbit,
        .geometry = geometry,
        .transform = transform,
        .grid = grid,
        .paletteEntries = palette.paletteEntries,
        .tile = CurrentTileSize(),
        .quiltName = QuiltName(),
        .counters = counters,
    });
}

TileSize CTilvexApp::CurrentTileSize() const { return ScreenTileSize(*this); }

int CTilvexApp::PixelIndex(std::uint16_t count) const { return IndexScale(grid.maxCount)(count); }

std::optional<GridCell> CTilvexApp::CellForPixel(int x, int y) { return CellOf(*this, maps, PixelRuleOf(*this), x, y); }

int CTilvexApp::BuildImage()
{
    ui->BeginWaitCursor();
    grid.RemoveFloor();
    if (image.imageMemory.size() < 1064) {
        ui->EndWaitCursor();
        return 0;
    }
    std::shared_ptr<const QuiltSnapshot> quilt = TakeSnapshot();
    QuiltMaps fold = quilt->maps;
    BuildImageBlock(*quilt, fold, image.imageMemory);
    // The folds leave their working values in the maps, as they always have.
    maps = std::move(fold);
    ui->EndWaitCursor();
    return ApplyPalette();
}

int CTilvexApp::BuildScreenImage()
{
    int shown = BuildImage();
    image.imageBuilt = 1;
    return shown;
}

}  // namespace tilvex
