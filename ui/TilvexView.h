#pragma once

#include <QImage>
#include <functional>
#include <QWidget>

#include "ui/CommandRouter.h"
#include "ui/QtPaletteDisplay.h"

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::ui {

// Shows the quilt: the application's 8-bit image block, one tile painted
// unscaled viewPeriod x viewPeriod times from the top-left corner. Commands
// that change the picture have the engine build the block from a snapshot
// and keep a copy; painting only shows the copy (rebuildImage: a rebuilt
// image not painted yet).
class CTilvexView : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    explicit CTilvexView(CTilvexApp& app, QWidget* parent = nullptr);
    ~CTilvexView() override;

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    void OnRebuildView();
    void OnRandomResetPalette();
    void OnSelectPaletteColors();
    void OnCycleDensityPalette();
    void OnRandomDensityPalette();

    QtPaletteDisplay& PaletteDisplayObject() { return paletteDisplay_; }
    // Tiles painted by the latest paint: columns x rows (0 x 0 if none).
    QSize LastTileGrid() const { return lastTileGrid_; }

    // Studio Preview: while a preview tile is shown it is painted, repeated to
    // cover the view, instead of the quilt's 8-bit image.
    void ShowPreview(const QImage& tile);
    void HidePreview();
    bool ShowsPreview() const { return !preview_.isNull(); }
    std::function<void()> resized;

    int rebuildImage = 0;
    int imageReady = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnDraw(QPainter& painter);
    void RebuildAndInvalidate();
    void AfterDensityPalette();
    // Takes pixels and colour table from the image block (rows flipped).
    bool TakeImage();

    CTilvexApp& app_;
    QtPaletteDisplay paletteDisplay_;
    QImage indexed_;  // the tile as stored, top row first
    QImage shown_;    // the same converted for painting
    bool shownStale_ = true;
    QSize lastTileGrid_;
    QImage preview_;
};

}  // namespace tilvex::ui
