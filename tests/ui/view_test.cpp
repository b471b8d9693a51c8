#include <QImage>
#include <QTest>
#include <cstring>
#include <functional>
#include <set>

#include "core/CommandTable.h"
#include "engine/TilvexApp.h"
#include "tests/ui/TestInteraction.h"
#include "ui/TilvexView.h"

using namespace tilvex;
using tilvex::test::TestInteraction;
using tilvex::ui::CTilvexView;

namespace {

const QRgb kBackground = qRgb(255, 255, 255);

struct Fixture {
    Fixture()
    {
        app.ui = &user;
        app.InitInstance(1ull << 33);
    }
    void Steps(int n)
    {
        for (int i = 0; i < n; ++i) app.OnIdle();
    }
    CTilvexApp app{11.0};
    TestInteraction user;
};

void Put32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) block[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

QRgb TableColour(int i) { return qRgb(i, 255 - i, (i * 7) & 255); }

// Writes a w x h image into the application's image block as the image
// builder lays it out: header, colour table (blue, green, red, 0), rows
// bottom-up padded to 4 bytes. index(x, row) gives the pixels, row 0 at the bottom.
void WriteImage(CTilvexApp& app, int w, int h, const std::function<int(int, int)>& index)
{
    auto& block = app.image.imageMemory;
    std::memset(block.data(), 0, 1064);
    Put32(block, 0, 40);
    Put32(block, 4, static_cast<std::uint32_t>(w));
    Put32(block, 8, static_cast<std::uint32_t>(h));
    block[12] = 1;
    block[14] = 8;
    for (int i = 0; i < 256; ++i) {
        QRgb c = TableColour(i);
        block[40 + 4 * i] = static_cast<std::uint8_t>(qBlue(c));
        block[41 + 4 * i] = static_cast<std::uint8_t>(qGreen(c));
        block[42 + 4 * i] = static_cast<std::uint8_t>(qRed(c));
    }
    const std::size_t stride = (static_cast<std::size_t>(w) * 8 + 31) / 32 * 4;
    for (int row = 0; row < h; ++row) {
        std::uint8_t* line = block.data() + 1064 + stride * static_cast<std::size_t>(row);
        std::memset(line, 0xEE, stride);  // padding a reader must skip
        for (int x = 0; x < w; ++x) line[x] = static_cast<std::uint8_t>(index(x, row));
    }
    app.image.imageBuilt = 1;
}

QImage Grab(CTilvexView& view) { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }

int DistinctColours(const QImage& image, QRect area)
{
    std::set<QRgb> seen;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) seen.insert(image.pixel(x, y));
    return static_cast<int>(seen.size());
}

bool AllBackground(const QImage& image, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != kBackground) return false;
    return true;
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    void paintsStoredRowsTopDownWithTheImageColourTable();
    void tilesFromTheTopLeftNeverMoreThanCover();
    void showsNothingUntilAnImageIsBuilt();
    void rebuildPaintsTheQuiltTile();
    void applyPaletteChangesThePaintedColours();
    void densityCommandsRecolourOrRebuild();
    void paletteResetWhileNothingShownRebuilds();
    void coarsePreviewPassCoversItsFullSizePlace();
};

void ViewTest::paintsStoredRowsTopDownWithTheImageColourTable()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(120, 100);
    // 7 pixels wide: each stored row carries a byte of padding.
    WriteImage(f.app, 7, 5, [](int x, int row) { return 10 * row + x + 1; });
    QImage shot = Grab(view);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) QCOMPARE(shot.pixel(x, y), TableColour(10 * (4 - y) + x + 1));
    QVERIFY(AllBackground(shot, QRect(7, 0, 113, 100)));
    QVERIFY(AllBackground(shot, QRect(0, 5, 7, 95)));
    QCOMPARE(view.imageReady, 1);
}

void ViewTest::tilesFromTheTopLeftNeverMoreThanCover()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(500, 300);
    // 200 x 200 tile: index from the position inside the tile, never the background colour.
    auto index = [](int x, int row) { return 1 + (x / 20) * 10 + (row / 20); };
    WriteImage(f.app, 200, 200, index);
    auto tileColour = [&index](int x, int y) { return TableColour(index(x % 200, 199 - y % 200)); };

    f.app.geometry.viewPeriod = 10;
    QImage shot = Grab(view);
    QCOMPARE(view.LastTileGrid(), QSize(3, 2));  // 500/200 + 1 columns, 300/200 + 1 rows
    for (QPoint p : {QPoint(0, 0), QPoint(250, 50), QPoint(450, 250), QPoint(499, 299), QPoint(199, 201)})
        QCOMPARE(shot.pixel(p), tileColour(p.x(), p.y()));

    f.app.geometry.viewPeriod = 2;
    shot = Grab(view);
    QCOMPARE(view.LastTileGrid(), QSize(2, 2));
    QCOMPARE(shot.pixel(350, 250), tileColour(350, 250));
    QVERIFY(AllBackground(shot, QRect(400, 0, 100, 300)));

    for (int period : {1, 0, -4}) {
        f.app.geometry.viewPeriod = static_cast<std::int16_t>(period);
        shot = Grab(view);
        QCOMPARE(view.LastTileGrid(), QSize(1, 1));
        QCOMPARE(shot.pixel(199, 199), tileColour(199, 199));
        QVERIFY(AllBackground(shot, QRect(200, 0, 300, 300)));
        QVERIFY(AllBackground(shot, QRect(0, 200, 200, 100)));
    }

    // A window smaller than the tile still gets exactly one.
    view.resize(150, 120);
    f.app.geometry.viewPeriod = 10;
    shot = Grab(view);
    QCOMPARE(view.LastTileGrid(), QSize(1, 1));
    QCOMPARE(shot.pixel(149, 119), tileColour(149, 119));
}

void ViewTest::showsNothingUntilAnImageIsBuilt()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(300, 300);
    QCOMPARE(view.rebuildImage, 0);
    WriteImage(f.app, 200, 200, [](int, int) { return 9; });
    f.app.image.imageBuilt = 0;  // as after a new quilt
    QImage shot = Grab(view);
    QVERIFY(AllBackground(shot, shot.rect()));
    QCOMPARE(view.imageReady, 0);
    QCOMPARE(view.LastTileGrid(), QSize(0, 0));

    // Without an image block, a rebuild request paints nothing either.
    f.app.image.imageMemory.clear();
    view.OnRebuildView();
    shot = Grab(view);
    QVERIFY(AllBackground(shot, shot.rect()));
}

void ViewTest::rebuildPaintsTheQuiltTile()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(500, 300);
    f.Steps(300000);
    QCOMPARE(f.app.image.imageBuilt, 0);

    view.OnRebuildView();
    QCOMPARE(view.rebuildImage, 1);
    QImage shot = Grab(view);
    QCOMPARE(view.rebuildImage, 0);
    QCOMPARE(f.app.image.imageBuilt, 1);
    QCOMPARE(view.imageReady, 1);
    const TileSize tile = f.app.CurrentTileSize();
    QCOMPARE(tile.width, 200);
    QCOMPARE(tile.height, 200);
    const QRect tileArea(0, 0, 200, 200);
    QVERIFY2(DistinctColours(shot, tileArea) > 24, "a density image has many levels");
    // The square quilt is mirrored about the tile's vertical centre line.
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 100; x += 3) QCOMPARE(shot.pixel(x, y), shot.pixel(199 - x, y));
    QVERIFY(AllBackground(shot, QRect(200, 0, 300, 300)));
    QVERIFY(AllBackground(shot, QRect(0, 200, 200, 100)));

    // An ordinary repaint shows the stored image, even after more steps.
    f.Steps(50000);
    QCOMPARE(Grab(view), shot);

    // A quilt set up through its dialog clears the picture until the next rebuild.
    f.app.ChooseQuiltFractal();
    QVERIFY(AllBackground(Grab(view), QRect(0, 0, 500, 300)));
}

void ViewTest::applyPaletteChangesThePaintedColours()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(300, 300);
    QCOMPARE(f.app.palette.displayPalette, &view.PaletteDisplayObject());
    f.Steps(100000);
    view.OnRebuildView();
    QImage before = Grab(view);
    QVERIFY(DistinctColours(before, QRect(0, 0, 200, 200)) > 24);

    // One colour for every entry: the whole tile shows it without a rebuild.
    for (PaletteEntry& e : f.app.palette.paletteEntries) e = {12, 34, 56, e.flags};
    QCOMPARE(f.app.ApplyPalette(), 1);
    QCOMPARE(view.rebuildImage, 0);
    QImage after = Grab(view);
    QCOMPARE(DistinctColours(after, QRect(0, 0, 200, 200)), 1);
    QCOMPARE(after.pixel(100, 100), qRgb(12, 34, 56));
    QVERIFY(AllBackground(after, QRect(200, 0, 100, 300)));
}

void ViewTest::densityCommandsRecolourOrRebuild()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(300, 300);
    f.Steps(100000);
    view.OnRebuildView();
    QImage before = Grab(view);
    QCOMPARE(view.imageReady, 1);

    // "Don't rebuild": only the colour table changes, the pixels stay.
    f.app.palette.densityRecolourOnly = 1;
    f.Steps(50000);
    const std::vector<std::uint8_t> pixels(f.app.image.imageMemory.begin() + 1064, f.app.image.imageMemory.end());
    view.OnCommand(cmd::RandomDensityPalette);
    QCOMPARE(view.rebuildImage, 0);
    QVERIFY(std::equal(pixels.begin(), pixels.end(), f.app.image.imageMemory.begin() + 1064));
    QImage recoloured = Grab(view);
    QVERIFY(recoloured != before);
    // Each painted pixel shows the new palette entry of its stored index.
    const int top = 199;
    for (int x = 0; x < 200; x += 9) {
        const std::uint8_t idx =
            f.app.image.imageMemory[1064 + static_cast<std::size_t>(top) * 200 + static_cast<std::size_t>(x)];
        const PaletteEntry& e = f.app.palette.paletteEntries[idx];
        QCOMPARE(recoloured.pixel(x, 0), qRgb(e.red, e.green, e.blue));
    }

    // Otherwise the density palette comes with a rebuild.
    f.app.palette.densityRecolourOnly = 0;
    view.OnCommand(cmd::RandomDensityPalette);
    QCOMPARE(view.rebuildImage, 1);
    Grab(view);
    QCOMPARE(view.rebuildImage, 0);
    QVERIFY(!std::equal(pixels.begin(), pixels.end(), f.app.image.imageMemory.begin() + 1064));
}

void ViewTest::paletteResetWhileNothingShownRebuilds()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(300, 300);
    f.Steps(100000);
    QVERIFY(AllBackground(Grab(view), QRect(0, 0, 300, 300)));
    const Palette before = f.app.palette.paletteEntries;
    view.OnCommand(cmd::RandomResetPalette);
    bool changed = false;
    for (int i = 0; i < 256; ++i)
        changed = changed || before[i].red != f.app.palette.paletteEntries[i].red ||
                  before[i].green != f.app.palette.paletteEntries[i].green ||
                  before[i].blue != f.app.palette.paletteEntries[i].blue;
    QVERIFY(changed);
    QImage shot = Grab(view);
    QCOMPARE(f.app.image.imageBuilt, 1);
    QVERIFY(DistinctColours(shot, QRect(0, 0, 200, 200)) > 8);
}

// A pass developed at half the width carries half the pixel ratio: it must
// tile the view as a full pass does, with no background between tiles.
void ViewTest::coarsePreviewPassCoversItsFullSizePlace()
{
    Fixture f;
    CTilvexView view(f.app);
    view.resize(100, 80);
    QImage coarse(20, 15, QImage::Format_RGB32);
    coarse.fill(qRgb(40, 90, 160));
    coarse.setDevicePixelRatio(0.5);  // 40 x 30 on the screen
    view.ShowPreview(coarse);
    const QImage shot = Grab(view);
    for (int y = 0; y < shot.height(); y += 7)
        for (int x = 0; x < shot.width(); x += 7) QCOMPARE(shot.pixel(x, y), qRgb(40, 90, 160));
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
