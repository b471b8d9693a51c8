#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/TilvexApp.h"

namespace tilvex {
namespace {

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// An application with grid storage, a grid of n cells per side and the scales a reset sets.
void UseGrid(CTilvexApp& app, int n)
{
    if (!app.grid.HasStorage()) app.grid.AttachStorage(601);
    app.grid.Clear();
    app.grid.width = static_cast<std::uint16_t>(n);
    app.geometry.gridSize = static_cast<std::uint16_t>(n);
    app.geometry.gridScale = n;
    app.geometry.gridScaleInverse = 1.0 / n;
}

// Counts that differ from cell to cell, so a wrong cell shows.
void Pattern(CTilvexApp& app)
{
    int n = app.geometry.gridSize;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) app.grid.SetCount(i, j, static_cast<std::uint16_t>(1 + (i * 7 + j * 13) % 251));
    app.grid.SetCount(0, 0, 0);
    app.grid.maxCount = 251;
}

const std::uint8_t* Pixel(const CTilvexApp& app, int x, int y)
{
    const std::uint8_t* info = app.image.imageMemory.data();
    int width = static_cast<int>(Le32(info + 4));
    int stride = (width * 8 + 31) / 32 * 4;
    return info + 1064 + static_cast<std::size_t>(y) * stride + x;
}

TEST(PixelRules, PixelIndexBinsRelativeToTheMaximum)
{
    CTilvexApp app(1.0);
    app.grid.maxCount = 3;
    EXPECT_EQ(app.PixelIndex(0), 0);
    EXPECT_EQ(app.PixelIndex(1), 85);
    EXPECT_EQ(app.PixelIndex(2), 170);
    EXPECT_EQ(app.PixelIndex(3), 255);
    for (std::uint16_t m : {4, 5, 7, 1000, 65535}) {
        app.grid.maxCount = m;
        EXPECT_EQ(app.PixelIndex(m), 255) << m;
        EXPECT_EQ(app.PixelIndex(0), 0);
    }
    app.grid.maxCount = 0;
    EXPECT_EQ(app.PixelIndex(0), 0);
    EXPECT_EQ(app.PixelIndex(400), 255);  // factor 1, limited
}

TEST(PixelRules, SquareLatticeMirrorsColumnZeroAtTheCentreAndRowZeroAtTheEdges)
{
    CTilvexApp app(1.0);
    UseGrid(app, 100);
    for (auto [x, y] : {std::pair{99, 0}, {100, 0}, {99, 199}, {100, 199}}) {
        auto cell = app.CellForPixel(x, y);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->x, 0);
        EXPECT_EQ(cell->y, 0);
    }
    auto corner = app.CellForPixel(0, 99);
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->x, 99);
    EXPECT_EQ(corner->y, 99);
    app.kindFlags.kindWildCorner = 1;
    EXPECT_EQ(app.CellForPixel(199, 100)->x, 99);
    EXPECT_EQ(app.CurrentTileSize().width, 200);
}

TEST(PixelRules, TileSizesPerKind)
{
    CTilvexApp app(1.0);
    UseGrid(app, 100);
    EXPECT_EQ(app.CurrentTileSize().width, 200);
    EXPECT_EQ(app.CurrentTileSize().height, 200);
    app.kindFlags.kindFourEightEight = 1;
    EXPECT_EQ(app.CurrentTileSize().height, 200);
    app.kindFlags.Clear();

    app.kindFlags.kindHex = 1;
    app.maps.hex.tileWidth = 300.0;
    app.maps.hex.tileHeight = 173.205;
    EXPECT_EQ(app.CurrentTileSize().width, 300);
    EXPECT_EQ(app.CurrentTileSize().height, 173);
    app.kindFlags.Clear();
    app.kindFlags.kindReserved = 1;  // drawn like the hex kind
    EXPECT_EQ(app.CurrentTileSize().width, 300);
    app.kindFlags.Clear();

    app.kindFlags.kindFourSixTwelve = 1;
    app.maps.fourSixTwelve.dodecagonCenter = {0.5773512, 0.0};
    app.maps.fourSixTwelve.upperDodecagonCenter = {0.0, 1.0000009};
    EXPECT_EQ(app.CurrentTileSize().width, 114);
    EXPECT_EQ(app.CurrentTileSize().height, 200);
    app.kindFlags.Clear();

    app.kindFlags.kindThreeTwelveTwelve = 1;
    app.maps.threeTwelveTwelve.rightDodecagonCenter = {1.0, 0.0};
    app.maps.threeTwelveTwelve.topDodecagonCenter = {0.5, 0.8660254};
    EXPECT_EQ(app.CurrentTileSize().width, 200);
    EXPECT_EQ(app.CurrentTileSize().height, 172);

    // Nonsense geometry never turns into an undefined size.
    app.kindFlags.Clear();
    app.kindFlags.kindHex = 1;
    app.maps.hex.tileWidth = std::nan("");
    app.maps.hex.tileHeight = 1e300;
    EXPECT_EQ(app.CurrentTileSize().width, 0);
    EXPECT_GT(app.CurrentTileSize().height, 0);
}

TEST(PixelRules, HexCellsOutsideTheGridAreEmpty)
{
    CTilvexApp app(1.0);
    UseGrid(app, 60);
    app.kindFlags.kindHex = 1;
    app.maps.hex.SetGeometry(60);
    for (int knot : {0, 1}) {
        app.detail.hexKnot = knot;
        for (int y = 0; y < 200; y += 7) {
            for (int x = 0; x < 200; x += 5) {
                auto cell = app.CellForPixel(x, y);
                if (!cell) continue;
                EXPECT_GE(cell->x, 0);
                EXPECT_LT(cell->x, 60);
                EXPECT_GE(cell->y, 0);
                EXPECT_LT(cell->y, 60);
            }
        }
    }
}

class ImageBuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseGrid(app, 100);
        Pattern(app);
        app.image.imageMemory.assign(ImageBlockSize(120), 0xEE);
    }
    CTilvexApp app{1.0};
};

TEST_F(ImageBuild, HeaderColourTableAndMirroredPixels)
{
    EXPECT_EQ(app.BuildImage(), 1);
    const std::uint8_t* info = app.image.imageMemory.data();
    EXPECT_EQ(Le32(info), 40u);
    EXPECT_EQ(Le32(info + 4), 200u);
    EXPECT_EQ(Le32(info + 8), 200u);
    EXPECT_EQ(Le16(info + 12), 1);
    EXPECT_EQ(Le16(info + 14), 8);
    EXPECT_EQ(Le32(info + 16), 0u);
    EXPECT_EQ(Le32(info + 20), 200u * 200u);
    EXPECT_EQ(Le32(info + 24), 0u);
    EXPECT_EQ(Le32(info + 32), 256u);
    EXPECT_EQ(Le32(info + 36), 256u);
    EXPECT_EQ(info[40 + 4 * 9], app.palette.paletteEntries[9].blue);
    EXPECT_EQ(info[40 + 4 * 9 + 2], app.palette.paletteEntries[9].red);
    EXPECT_EQ(info[40 + 4 * 9 + 3], 0);

    for (int y = 0; y < 200; ++y) {
        int j = y < 100 ? y : 199 - y;
        for (int i = 0; i < 100; ++i) {
            int index = app.PixelIndex(app.grid.CountAt(i, j));
            ASSERT_EQ(*Pixel(app, 100 + i, y), index) << i << "," << y;
            ASSERT_EQ(*Pixel(app, 99 - i, y), index) << i << "," << y;
        }
    }
    // Bytes past the image are left alone.
    EXPECT_EQ(app.image.imageMemory[1064 + 200 * 200], 0xEE);
}

TEST_F(ImageBuild, TransformationShiftsByHalfATileThenShears)
{
    ASSERT_EQ(app.BuildImage(), 1);
    std::vector<std::uint8_t> plain(app.image.imageMemory.begin() + 1064, app.image.imageMemory.begin() + 1064 + 40000);

    app.transform.transformEnabled = app.transform.zigZag = 1;
    app.transform.slantRatioWhole = 0.0;
    app.BuildImage();
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(*Pixel(app, x, y), plain[y * 200 + (x + 100) % 200]) << x << "," << y;
    std::vector<std::uint8_t> shifted(app.image.imageMemory.begin() + 1064,
                                      app.image.imageMemory.begin() + 1064 + 40000);

    // Left/right slant: row y moves by trunc(|N - y| * ratio), wrapped once.
    app.transform.slantUpDown = 0;
    app.transform.slantRatioWhole = 0.37;
    app.BuildImage();
    for (int y = 0; y < 200; y += 3) {
        int s = static_cast<int>(std::abs(100 - y) * 0.37);
        for (int x = 0; x < 200; ++x) ASSERT_EQ(*Pixel(app, x, y), shifted[y * 200 + (x - s + 200) % 200]) << x << "," << y;
    }
    // Up/down slant: column x moves by trunc(|x - N| * ratio).
    app.transform.slantUpDown = 1;
    app.transform.slantRatio = 0.8;
    app.BuildImage();
    for (int x = 0; x < 200; x += 3) {
        int s = static_cast<int>(std::abs(x - 100) * 0.8);
        for (int y = 0; y < 200; ++y) ASSERT_EQ(*Pixel(app, x, y), shifted[((y - s + 200) % 200) * 200 + x]) << x << "," << y;
    }
    // A slant of almost half a turn shears far past the tile; every pixel still reads the grid.
    app.transform.slantRatio = std::tan(3.14159 * 0.5);
    app.BuildImage();
    for (int x = 0; x < 200; ++x) {
        auto cell = app.CellForPixel(x, 17);
        ASSERT_TRUE(cell);
        EXPECT_GE(cell->x, 0);
        EXPECT_LT(cell->x, 100);
        EXPECT_GE(cell->y, 0);
        EXPECT_LT(cell->y, 100);
    }
}

TEST_F(ImageBuild, RowsArePaddedWithZeros)
{
    app.kindFlags.kindFourSixTwelve = 1;
    app.maps.fourSixTwelve.dodecagonCenter = {0.5773512, 0.0};
    app.maps.fourSixTwelve.upperDodecagonCenter = {0.0, 1.0000009};
    app.grid.maxCount = 1;  // nearly every cell at 255
    app.BuildImage();
    const std::uint8_t* info = app.image.imageMemory.data();
    ASSERT_EQ(Le32(info + 4), 114u);
    EXPECT_EQ(Le32(info + 20), 116u * 200u);
    for (int y = 0; y < 200; ++y) {
        EXPECT_EQ(*Pixel(app, 114, y), 0);
        EXPECT_EQ(*Pixel(app, 115, y), 0);
    }
}

TEST_F(ImageBuild, ATileLargerThanTheBlockKeepsItsBottomRows)
{
    app.image.imageMemory.assign(ImageBlockSize(100), 0);  // 1064 + 200 * 200 bytes
    app.kindFlags.kindHex = 1;
    app.maps.hex.tileWidth = 900.0;  // a hex tile for N = 300 on a block for 100
    app.maps.hex.tileHeight = 519.6;
    app.BuildImage();
    const std::uint8_t* info = app.image.imageMemory.data();
    EXPECT_EQ(Le32(info + 4), 900u);
    std::uint32_t rows = Le32(info + 8);
    EXPECT_EQ(rows, 40000u / 900u);
    EXPECT_LE(1064 + Le32(info + 20), app.image.imageMemory.size());
    EXPECT_EQ(Le32(info + 20), 900u * rows);

    app.maps.hex.tileWidth = 1e7;  // not even one row fits
    app.BuildImage();
    EXPECT_EQ(Le32(info + 8), 0u);
}

TEST_F(ImageBuild, EmptyGridAndMissingMemoryAndPaletteFailure)
{
    app.grid.Clear();
    EXPECT_EQ(app.BuildImage(), 1);
    for (int y = 0; y < 200; y += 11)
        for (int x = 0; x < 200; x += 7) ASSERT_EQ(*Pixel(app, x, y), 0);

    class Refusing : public PaletteDisplay {
    public:
        bool ShowPalette(const Palette&) override { return false; }
    } refusing;
    app.palette.displayPalette = &refusing;
    Pattern(app);
    EXPECT_EQ(app.BuildImage(), 0);
    EXPECT_EQ(*Pixel(app, 100, 0), 0);  // cell (0, 0) is empty
    EXPECT_NE(*Pixel(app, 101, 0), 0);  // the image is built regardless
    app.palette.displayPalette = nullptr;

    app.image.imageMemory.clear();
    EXPECT_EQ(app.BuildImage(), 0);
}

TEST_F(ImageBuild, BuildRemovesTheFloor)
{
    int n = app.geometry.gridSize;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) app.grid.SetCount(i, j, static_cast<std::uint16_t>(app.grid.CountAt(i, j) + 10));
    app.grid.maxCount = 261;
    app.BuildImage();
    EXPECT_EQ(app.grid.CountAt(0, 0), 0);
    EXPECT_EQ(app.grid.maxCount, 251);
    EXPECT_EQ(*Pixel(app, 100, 0), 0);
}

TEST(PixelRules, TilingMirrorLinesShowTheLastGridColumnNotAnEmptySeam)
{
    CTilvexApp app(1.0);
    UseGrid(app, 100);
    app.kindFlags.kindFourEightEight = 1;
    // Pixel column 100 folds to x = 1.0 exactly (the cell's right mirror line).
    for (int y : {37, 50, 150}) {  // rows in the octagon band
        auto cell = app.CellForPixel(100, y);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->x, 99) << y;
        EXPECT_LT(cell->y, 100) << y;
    }
    app.kindFlags.Clear();
    app.kindFlags.kindThreeTwelveTwelve = 1;
    EXPECT_LT(app.CellForPixel(100, 20)->x, 100);
}

}  // namespace
}  // namespace tilvex
