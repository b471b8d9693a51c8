#include "ui/TilvexView.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "engine/TilvexApp.h"

namespace tilvex::ui {

namespace {

constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kPixelOffset = 40 + 256 * 4;

std::int32_t ReadInt32(const std::vector<std::uint8_t>& block, std::size_t at)
{
    std::uint32_t v = static_cast<std::uint32_t>(block[at]) | static_cast<std::uint32_t>(block[at + 1]) << 8 |
                      static_cast<std::uint32_t>(block[at + 2]) << 16 | static_cast<std::uint32_t>(block[at + 3]) << 24;
    return static_cast<std::int32_t>(v);
}

}  // namespace

CTilvexView::CTilvexView(CTilvexApp& app, QWidget* parent) : QWidget(parent), app_(app)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setMinimumSize(100, 100);

    paletteDisplay_.changed = [this] {
        if (indexed_.isNull()) return;
        indexed_.setColorTable(paletteDisplay_.Colours());
        shownStale_ = true;
        update();
    };
    app_.AttachPaletteDisplay(&paletteDisplay_);
}

CTilvexView::~CTilvexView()
{
    app_.DetachPaletteDisplay(&paletteDisplay_);
}

bool CTilvexView::HandlesCommand(int id) const
{
    switch (id) {
    case cmd::RebuildView:
    case cmd::RandomResetPalette:
    case cmd::SelectPaletteColors:
    case cmd::CycleDensityPalette:
    case cmd::RandomDensityPalette: return true;
    default: return false;
    }
}

void CTilvexView::OnCommand(int id)
{
    switch (id) {
    case cmd::RebuildView: OnRebuildView(); break;
    case cmd::RandomResetPalette: OnRandomResetPalette(); break;
    case cmd::SelectPaletteColors: OnSelectPaletteColors(); break;
    case cmd::CycleDensityPalette: OnCycleDensityPalette(); break;
    case cmd::RandomDensityPalette: OnRandomDensityPalette(); break;
    default: break;
    }
}

// The engine builds the image from a snapshot of the quilt now; the view
// keeps it and the next paint shows it.
void CTilvexView::RebuildAndInvalidate()
{
    app_.BuildScreenImage();
    TakeImage();
    rebuildImage = 1;
    update();
}

void CTilvexView::OnRebuildView() { RebuildAndInvalidate(); }

void CTilvexView::OnRandomResetPalette()
{
    app_.RandomResetPalette();
    RebuildAndInvalidate();
}

void CTilvexView::OnSelectPaletteColors()
{
    app_.SelectPaletteColors();
    RebuildAndInvalidate();
}

void CTilvexView::OnCycleDensityPalette()
{
    app_.CycleDensityPalette();
    AfterDensityPalette();
}

void CTilvexView::OnRandomDensityPalette()
{
    app_.RandomDensityPalette();
    AfterDensityPalette();
}

void CTilvexView::AfterDensityPalette()
{
    if (app_.palette.densityRecolourOnly && imageReady) {
        app_.RecolourImage();
        TakeImage();
        update();
    } else {
        RebuildAndInvalidate();
    }
}

void CTilvexView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (preview_.isNull()) {
        OnDraw(painter);
        return;
    }
    // A coarse pass is smaller than its place on the screen: drawn into it, smoothly.
    const QSizeF tile = preview_.deviceIndependentSize();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (qreal y = 0; y < height(); y += tile.height())
        for (qreal x = 0; x < width(); x += tile.width()) painter.drawImage(QRectF(QPointF(x, y), tile), preview_);
}

void CTilvexView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (resized) resized();
}

void CTilvexView::ShowPreview(const QImage& tile)
{
    preview_ = tile;
    update();
}

void CTilvexView::HidePreview()
{
    preview_ = QImage();
    update();
}

void CTilvexView::OnDraw(QPainter& painter)
{
    lastTileGrid_ = QSize(0, 0);
    rebuildImage = 0;  // shown now
    imageReady = app_.image.imageBuilt;
    if (app_.image.imageMemory.empty() || app_.image.imageBuilt != 1) return;
    if (indexed_.isNull() && !TakeImage()) return;
    if (shownStale_) {
        shown_ = indexed_.convertToFormat(QImage::Format_RGB32);
        shownStale_ = false;
    }

    // One image pixel per device pixel, whatever the screen's scale.
    const qreal dpr = devicePixelRatioF();
    shown_.setDevicePixelRatio(dpr);
    const int p = std::max<int>(app_.geometry.viewPeriod, 1);
    const int right = static_cast<int>(width() * dpr);
    const int bottom = static_cast<int>(height() * dpr);
    const int w = shown_.width();
    const int h = shown_.height();
    const int rows = std::min(bottom / h + 1, p);
    const int cols = std::min(right / w + 1, p);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) painter.drawImage(QPointF(c * w / dpr, r * h / dpr), shown_);
    lastTileGrid_ = QSize(cols, rows);
}

bool CTilvexView::TakeImage()
{
    const std::vector<std::uint8_t>& block = app_.image.imageMemory;
    if (block.size() < kPixelOffset) {
        indexed_ = QImage();
        return false;
    }
    const std::int32_t w = ReadInt32(block, 4);
    const std::int32_t h = ReadInt32(block, 8);
    const std::size_t stride = (static_cast<std::size_t>(w) * 8 + 31) / 32 * 4;
    if (w <= 0 || h <= 0 || ReadInt32(block, 0) != static_cast<std::int32_t>(kHeaderSize) ||
        kPixelOffset + stride * static_cast<std::size_t>(h) > block.size()) {
        indexed_ = QImage();
        return false;
    }
    if (indexed_.width() != w || indexed_.height() != h) indexed_ = QImage(w, h, QImage::Format_Indexed8);
    for (int y = 0; y < h; ++y)
        std::memcpy(indexed_.scanLine(y), block.data() + kPixelOffset + stride * static_cast<std::size_t>(h - 1 - y),
                    static_cast<std::size_t>(w));
    QList<QRgb> colours(256);
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* e = block.data() + kHeaderSize + 4 * static_cast<std::size_t>(i);
        colours[i] = qRgb(e[2], e[1], e[0]);
    }
    indexed_.setColorTable(colours);
    shownStale_ = true;
    return true;
}

}  // namespace tilvex::ui
