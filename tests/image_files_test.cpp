#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <png.h>
#include <sys/resource.h>

#include "core/OutputPath.h"
#include "core/StdRand.h"
#include "engine/TilvexApp.h"
#include "render/ImageOutput.h"
#include "render/PcxImageFile.h"
#include "render/PngImageFile.h"
#include "engine/QuiltExport.h"

namespace tilvex {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<Bytes>;

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "tilvex-images-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path operator/(const std::string& name) const { return path / name; }
    std::size_t Entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), {})); }
    fs::path path;
};

// Decodes one PCX row of `width` pixels starting at data[pos]; pos moves past it.
Bytes DecodePcxRow(const Bytes& data, std::size_t& pos, int width)
{
    Bytes row;
    while (static_cast<int>(row.size()) < width) {
        if (pos >= data.size()) throw std::runtime_error("PCX row runs past the data");
        std::uint8_t b = data[pos++];
        int count = 1;
        if (b >= 0xC0) {
            count = b - 0xC0;
            b = data.at(pos++);
        }
        row.insert(row.end(), static_cast<std::size_t>(count), b);
    }
    if (static_cast<int>(row.size()) != width) throw std::runtime_error("PCX run crosses the row end");
    return row;
}

struct Bmp {
    int width = 0, height = 0;
    Bytes table;
    Rows rows;  // as stored: bottom row first
};

Bmp ParseBmp(const Bytes& f)
{
    Bmp b;
    if (f.size() < 1078 || f[0] != 'B' || f[1] != 'M') throw std::runtime_error("not a BMP");
    b.width = static_cast<int>(Le32(&f[18]));
    b.height = static_cast<int>(Le32(&f[22]));
    b.table.assign(f.begin() + 54, f.begin() + 1078);
    std::size_t stride = (static_cast<std::size_t>(b.width) * 8 + 31) / 32 * 4;
    if (f.size() != 1078 + stride * b.height) throw std::runtime_error("BMP size disagrees with its header");
    for (int y = 0; y < b.height; ++y) {
        auto row = f.begin() + 1078 + static_cast<std::ptrdiff_t>(stride * y);
        b.rows.emplace_back(row, row + b.width);
        for (std::size_t k = b.width; k < stride; ++k)
            if (row[static_cast<std::ptrdiff_t>(k)] != 0) throw std::runtime_error("non-zero padding");
    }
    return b;
}

struct Pcx {
    int width = 0, height = 0;
    Rows rows;  // in file order
    Bytes trailer;
};

Pcx ParsePcx(const Bytes& f)
{
    Pcx p;
    if (f.size() < 128 + 769) throw std::runtime_error("PCX too short");
    p.width = Le16(&f[8]) - Le16(&f[4]) + 1;
    p.height = Le16(&f[10]) - Le16(&f[6]) + 1;
    if (p.width == 0x10000) p.width = 0;  // x maximum -1: an empty image
    if (p.height == 0x10000) p.height = 0;
    std::size_t pos = 128;
    for (int y = 0; y < p.height; ++y) p.rows.push_back(DecodePcxRow(f, pos, p.width));
    if (pos + 769 != f.size() || f[pos] != 12) throw std::runtime_error("PCX trailer missing or misplaced");
    p.trailer.assign(f.begin() + static_cast<std::ptrdiff_t>(pos) + 1, f.end());
    return p;
}

struct Png {
    int width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    Bytes plte;
    Rows rows;  // top row first
    std::string error;
};

struct PngSource {
    const Bytes* data;
    std::size_t pos;
};

void ReadPngData(png_structp png, png_bytep out, std::size_t size)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->data->size() - source->pos < size) png_error(png, "the file ends early");
    std::memcpy(out, source->data->data() + source->pos, size);
    source->pos += size;
}

void OnPngError(png_structp png, png_const_charp message)
{
    static_cast<Png*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp png, png_const_charp message)
{
    static_cast<Png*>(png_get_error_ptr(png))->error = std::string("warning: ") + message;
}

// Decodes with libpng's reader, which checks every CRC and the zlib stream.
// libpng leaves by longjmp on errors: nothing in this frame has a destructor.
bool DecodePng(const Bytes& f, Png& png)
{
    PngSource source{&f, 0};
    png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, &png, OnPngError, OnPngWarning);
    png_infop info = png_create_info_struct(reader);
    if (setjmp(png_jmpbuf(reader))) {
        png_destroy_read_struct(&reader, &info, nullptr);
        return false;
    }
    png_set_read_fn(reader, &source, ReadPngData);
    png_read_info(reader, info);
    png.width = static_cast<int>(png_get_image_width(reader, info));
    png.height = static_cast<int>(png_get_image_height(reader, info));
    png.bitDepth = png_get_bit_depth(reader, info);
    png.colourType = png_get_color_type(reader, info);
    png.interlace = png_get_interlace_type(reader, info);
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(reader, info, &colours, &count))
        for (int i = 0; i < count; ++i) png.plte.insert(png.plte.end(), {colours[i].red, colours[i].green, colours[i].blue});
    png.rows.resize(static_cast<std::size_t>(png.height));
    for (Bytes& row : png.rows) {
        row.resize(png_get_rowbytes(reader, info));
        png_read_row(reader, row.data(), nullptr);
    }
    png_read_end(reader, nullptr);
    png_destroy_read_struct(&reader, &info, nullptr);
    if (source.pos != f.size()) png.error = "data after the end of the image";
    return source.pos == f.size();
}

Png ParsePng(const Bytes& f)
{
    Png png;
    if (!DecodePng(f, png)) throw std::runtime_error("PNG does not decode: " + png.error);
    if (!png.error.empty()) throw std::runtime_error("libpng: " + png.error);
    if (png.bitDepth != 8 || png.colourType != PNG_COLOR_TYPE_PALETTE || png.interlace != PNG_INTERLACE_NONE)
        throw std::runtime_error("not an 8-bit palette image without interlacing");
    return png;
}

void UseGrid(CTilvexApp& app, int n)
{
    if (!app.grid.HasStorage()) app.grid.AttachStorage(601);
    app.grid.Clear();
    app.grid.width = static_cast<std::uint16_t>(n);
    app.geometry.gridSize = static_cast<std::uint16_t>(n);
    app.geometry.gridScale = n;
    app.geometry.gridScaleInverse = 1.0 / n;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) app.grid.SetCount(i, j, static_cast<std::uint16_t>((i * 31 + j * 17) % 300));
    app.grid.maxCount = 299;
}

void UseHex(CTilvexApp& app)
{
    app.kindFlags.Clear();
    app.kindFlags.kindHex = 1;
    app.maps.hex.SetGeometry(100);
    app.maps.hex.tileWidth = 300.0;  // what the geometry gives for N = 100
    app.maps.hex.tileHeight = 173.205;
}

Bytes EncodeRow(Bytes row)
{
    int width = static_cast<int>(row.size());
    row.push_back(0);
    Bytes out(2 * row.size() + 1);
    out.resize(static_cast<std::size_t>(EncodePcxRow(row.data(), width, out.data())));
    return out;
}

TEST(PcxEncoding, RunsEscapesAndTheExtraZeroByte)
{
    EXPECT_EQ(EncodeRow(Bytes(64, 7)), (Bytes{0xFF, 7, 7}));
    EXPECT_EQ(EncodeRow(Bytes(64, 0)), (Bytes{0xFF, 0, 0xC1, 0}));
    EXPECT_EQ(EncodeRow(Bytes{200}), (Bytes{0xC1, 200}));
    EXPECT_EQ(EncodeRow(Bytes{191}), (Bytes{191}));
    EXPECT_EQ(EncodeRow(Bytes{5, 5}), (Bytes{0xC1, 5, 5}));
    EXPECT_EQ(EncodeRow(Bytes{7, 7, 7, 9}), (Bytes{0xC2, 7, 7, 9}));
    EXPECT_EQ(EncodeRow(Bytes{0, 0}), (Bytes{0xC2, 0}));
    EXPECT_TRUE(EncodeRow(Bytes{}).empty());
}

TEST(PcxEncoding, EveryRowDecodesToItself)
{
    std::mt19937 gen(12345);
    for (int width : {1, 2, 3, 62, 63, 64, 65, 127, 128, 129, 600, 1801}) {
        for (int style = 0; style < 4; ++style) {
            Bytes row(static_cast<std::size_t>(width));
            std::uint8_t v = 0;
            for (auto& b : row) {
                if (gen() % (style == 0 ? 1 : style * 20) == 0) v = static_cast<std::uint8_t>(gen() % (style == 3 ? 2 : 256));
                b = style == 3 ? static_cast<std::uint8_t>(v ? 0xC0 : 0) : v;
            }
            Bytes encoded = EncodeRow(row);
            EXPECT_LE(encoded.size(), 2 * row.size());
            std::size_t pos = 0;
            EXPECT_EQ(DecodePcxRow(encoded, pos, width), row) << width << "/" << style;
            EXPECT_EQ(pos, encoded.size());
        }
    }
}

TEST(PcxEncoding, RowsAreRefusedBeforeTheHeaderAndAfterTheLast)
{
    TempDir dir;
    ImageOutput out;
    ASSERT_EQ(out.Open((dir / "r.pcx").string()), "");
    StdRand ints;
    PcxImageFile file(out, 3, 2, ints);
    EXPECT_EQ(file.WriteRow(), -1);
    ASSERT_TRUE(file.WriteHeader());
    std::uint8_t* row = file.RowBuffer();
    row[0] = row[1] = row[2] = 4;
    EXPECT_EQ(file.WriteRow(), 3);  // C2 4, 4
    row[2] = 0xC5;
    EXPECT_EQ(file.WriteRow(), 5);  // C1 4, 4, C1 C5
    EXPECT_EQ(file.WriteRow(), -1);
    ASSERT_EQ(out.Finish(), "");
    Pcx pcx = ParsePcx(ReadAll(dir / "r.pcx"));
    EXPECT_EQ(pcx.rows, (Rows{{4, 4, 4}, {4, 4, 0xC5}}));
}

class Export : public ::testing::Test {
protected:
    void SetUp() override { UseGrid(app, 100); }
    std::string Write(ImageFormat format, const std::string& name, int period)
    {
        return ExportQuiltImage(app, format, (dir / name).string(), period);
    }
    CTilvexApp app{1.0};
    TempDir dir;
};

TEST_F(Export, SquareBmpOfOnePeriod)
{
    app.transform.transformEnabled = app.transform.zigZag = 1;  // the screen's transformation is not exported
    app.transform.slantRatioWhole = 0.3;
    ASSERT_EQ(Write(ImageFormat::Bmp, "q.bmp", 1), "");
    Bytes f = ReadAll(dir / "q.bmp");
    ASSERT_EQ(f.size(), 41078u);
    EXPECT_EQ(Le32(&f[2]), 41078u);
    EXPECT_EQ(Le32(&f[10]), 1078u);
    EXPECT_EQ(Le32(&f[14]), 40u);
    EXPECT_EQ(Le16(&f[26]), 1);
    EXPECT_EQ(Le16(&f[28]), 8);
    EXPECT_EQ(Le32(&f[34]), 40000u);
    EXPECT_EQ(Le32(&f[46]), 256u);
    EXPECT_EQ(Le32(&f[50]), 0u);
    Bmp bmp = ParseBmp(f);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(bmp.table[4 * i], app.palette.paletteEntries[i].blue);
        EXPECT_EQ(bmp.table[4 * i + 1], app.palette.paletteEntries[i].green);
        EXPECT_EQ(bmp.table[4 * i + 2], app.palette.paletteEntries[i].red);
        EXPECT_EQ(bmp.table[4 * i + 3], 0);
    }
    EXPECT_EQ(bmp.rows[0], bmp.rows[199]);
    for (int y = 0; y < 200; ++y) {
        int j = y < 100 ? y : 199 - y;
        for (int i = 0; i < 100; ++i) {
            int index = app.PixelIndex(app.grid.CountAt(i, j));
            ASSERT_EQ(bmp.rows[y][100 + i], index);
            ASSERT_EQ(bmp.rows[y][99 - i], index);
        }
    }
    EXPECT_EQ(app.geometry.viewPeriod, 1);
}

TEST_F(Export, PeriodsRepeatTheTileAcrossAndUp)
{
    app.kindFlags.kindWildCorner = 1;
    ASSERT_EQ(Write(ImageFormat::Bmp, "q.bmp", 3), "");
    Bmp bmp = ParseBmp(ReadAll(dir / "q.bmp"));
    ASSERT_EQ(bmp.width, 600);
    ASSERT_EQ(bmp.height, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x) ASSERT_EQ(bmp.rows[y][x], bmp.rows[y % 200][x % 200]);
    EXPECT_EQ(app.geometry.viewPeriod, 3);
}

TEST_F(Export, PaddedRowsForWidthsOffTheFourByteGrid)
{
    app.kindFlags.kindFourSixTwelve = 1;
    app.maps.fourSixTwelve.dodecagonCenter = {0.5773512, 0.0};
    app.maps.fourSixTwelve.upperDodecagonCenter = {0.0, 1.0000009};
    ASSERT_EQ(Write(ImageFormat::Bmp, "q.bmp", 1), "");
    EXPECT_EQ(app.geometry.tileWidth, 114.0);
    EXPECT_EQ(app.geometry.tileHeight, 200.0);
    EXPECT_EQ(app.geometry.imageWidth, 114);
    Bytes f = ReadAll(dir / "q.bmp");
    EXPECT_EQ(f.size(), 1078u + 116u * 200u);
    EXPECT_EQ(Le32(&f[34]), 116u * 200u);
    Bmp bmp = ParseBmp(f);  // checks the two zero bytes of every row
    EXPECT_EQ(bmp.width, 114);

    ASSERT_EQ(Write(ImageFormat::Bmp, "q3.bmp", 3), "");
    EXPECT_EQ(app.geometry.imageWidth, 342);
    EXPECT_EQ(app.geometry.imageHeight, 600);
    EXPECT_EQ(ParseBmp(ReadAll(dir / "q3.bmp")).width, 342);
}

TEST_F(Export, PcxMatchesTheBmpRowForRow)
{
    ASSERT_EQ(Write(ImageFormat::Bmp, "q.bmp", 2), "");
    app.random.srand(4321);
    ASSERT_EQ(Write(ImageFormat::Pcx, "q.pcx", 2), "");
    std::uint32_t afterExport = app.random.RandState();
    Bytes f = ReadAll(dir / "q.pcx");
    EXPECT_EQ(f[0], 10);
    EXPECT_EQ(f[1], 5);
    EXPECT_EQ(f[2], 1);
    EXPECT_EQ(f[3], 8);
    EXPECT_EQ(Le16(&f[8]), 399);
    EXPECT_EQ(Le16(&f[10]), 399);
    EXPECT_EQ(f[65], 1);
    EXPECT_EQ(Le16(&f[66]), 400);
    for (int k = 70; k < 128; ++k) EXPECT_EQ(f[k], 0);

    // The header's 16 colours are the writer's own start-up style draws: 768 in all.
    StdRand replay;
    replay.srand(4321);
    for (int i = 0; i < 256; ++i) {
        int r = replay.rand() % 200 + 55, g = replay.rand() % 200 + 55, b = replay.rand() % 200 + 55;
        if (i < 16) {
            EXPECT_EQ(f[16 + i], r);
            EXPECT_EQ(f[32 + i], g);
            EXPECT_EQ(f[48 + i], b);
        }
    }
    EXPECT_EQ(replay.State(), afterExport);

    Pcx pcx = ParsePcx(f);
    Bmp bmp = ParseBmp(ReadAll(dir / "q.bmp"));
    EXPECT_EQ(pcx.rows, bmp.rows);  // tile row 0 first in both
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(pcx.trailer[3 * i], app.palette.paletteEntries[i].red);
        EXPECT_EQ(pcx.trailer[3 * i + 1], app.palette.paletteEntries[i].green);
        EXPECT_EQ(pcx.trailer[3 * i + 2], app.palette.paletteEntries[i].blue);
    }
}

TEST_F(Export, PngShowsTheBmpPictureTopRowFirst)
{
    app.kindFlags.kindFourEightEight = 1;
    ASSERT_EQ(Write(ImageFormat::Bmp, "q.bmp", 2), "");
    ASSERT_EQ(Write(ImageFormat::Png, "q.png", 2), "");
    Bmp bmp = ParseBmp(ReadAll(dir / "q.bmp"));
    Png png = ParsePng(ReadAll(dir / "q.png"));
    ASSERT_EQ(png.width, bmp.width);
    ASSERT_EQ(png.height, bmp.height);
    Rows flipped(bmp.rows.rbegin(), bmp.rows.rend());
    EXPECT_EQ(png.rows, flipped);
    ASSERT_EQ(png.plte.size(), 768u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(png.plte[3 * i], app.palette.paletteEntries[i].red);
        EXPECT_EQ(png.plte[3 * i + 1], app.palette.paletteEntries[i].green);
        EXPECT_EQ(png.plte[3 * i + 2], app.palette.paletteEntries[i].blue);
    }
    // A repeating picture compresses far below the raw pixels.
    EXPECT_LT(fs::file_size(dir / "q.png") * 4, fs::file_size(dir / "q.bmp"));
}

// Counts without pattern: the compressor has to emit them mostly as literals.
void UseNoisyGrid(CTilvexApp& app, int n)
{
    UseGrid(app, n);
    std::mt19937 gen(99);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) app.grid.SetCount(i, j, static_cast<std::uint16_t>(gen() % 1000));
    app.grid.maxCount = 999;
}

TEST_F(Export, PngOfANoisyPictureAndItsFailedWrites)
{
    UseNoisyGrid(app, 150);
    ASSERT_EQ(Write(ImageFormat::Bmp, "n.bmp", 2), "");
    ASSERT_EQ(Write(ImageFormat::Png, "n.png", 2), "");
    Bmp bmp = ParseBmp(ReadAll(dir / "n.bmp"));
    Png png = ParsePng(ReadAll(dir / "n.png"));
    ASSERT_EQ(png.height, 600);
    EXPECT_EQ(png.rows, Rows(bmp.rows.rbegin(), bmp.rows.rend()));

    // Far more than the output buffer holds: the device fills up while rows
    // are being compressed, and the writer stops there.
    ImageOutput out;
    ASSERT_EQ(out.Open("/dev/full"), "");
    auto quilt = app.TakeSnapshot();
    QuiltMaps fold = quilt->maps;
    QuiltRows rows(*quilt, fold, 2, 300, 300);
    PngImageFile file(out, 600, 600);
    ASSERT_TRUE(file.WriteHeader(app.palette.paletteEntries));
    EXPECT_FALSE(file.WritePixels(rows));
    EXPECT_TRUE(out.Failed());
    EXPECT_GT(file.rowsWritten, 0);
    EXPECT_LT(file.rowsWritten, 600);
    EXPECT_FALSE(file.WritePixels(rows));
    EXPECT_NE(out.Finish().find("No space left on device"), std::string::npos);

    std::string error = Write(ImageFormat::Png, "/dev/full", 2);
    EXPECT_EQ(error.rfind("Could not write \"", 0), 0u) << error;
}

TEST(PngWriter, RefusalsAndLibpngErrorsLeaveNoFile)
{
    TempDir dir;
    Palette palette{};
    {
        ImageOutput out;
        ASSERT_EQ(out.Open((dir / "z.png").string()), "");
        PngImageFile file(out, 0, 3);  // libpng refuses an empty IHDR
        EXPECT_FALSE(file.WriteHeader(palette));
        EXPECT_NE(file.Error(), "");
        EXPECT_FALSE(file.WriteHeader(palette));
        EXPECT_FALSE(out.Failed());
    }
    EXPECT_EQ(dir.Entries(), 0u);

    CTilvexApp app{1.0};
    UseGrid(app, 10);
    auto quilt = app.TakeSnapshot();
    QuiltMaps fold = quilt->maps;
    QuiltRows rows(*quilt, fold, 1, 20, 20);
    ImageOutput out;
    ASSERT_EQ(out.Open((dir / "r.png").string()), "");
    PngImageFile file(out, 20, 20);
    EXPECT_FALSE(file.WritePixels(rows));  // before the header
    ASSERT_TRUE(file.WriteHeader(palette));
    EXPECT_FALSE(file.WriteHeader(palette));
    QuiltRows taller(*quilt, fold, 1, 20, 21);
    EXPECT_FALSE(file.WritePixels(taller));
    EXPECT_EQ(file.rowsWritten, 0);
    ASSERT_TRUE(file.WritePixels(rows));
    EXPECT_FALSE(file.WritePixels(rows));  // the image is complete
    EXPECT_EQ(file.Error(), "");
    ASSERT_EQ(out.Finish(), "");
    EXPECT_EQ(ParsePng(ReadAll(dir / "r.png")).rows.size(), 20u);
}

TEST_F(Export, HexFilesAgreeWithTheRowsTheyHold)
{
    UseHex(app);
    for (ImageFormat format : {ImageFormat::Bmp, ImageFormat::Pcx, ImageFormat::Png})
        ASSERT_EQ(ExportQuiltImage(app, format, (dir / ("h" + std::to_string(static_cast<int>(format)))).string(), 5), "");
    EXPECT_EQ(app.geometry.imageWidth, 1500);
    EXPECT_EQ(app.geometry.imageHeight, 866);  // trunc(5 * 173.205), as the application records it
    Bmp bmp = ParseBmp(ReadAll(dir / "h0"));
    Pcx pcx = ParsePcx(ReadAll(dir / "h1"));
    Png png = ParsePng(ReadAll(dir / "h2"));
    EXPECT_EQ(bmp.width, 1500);
    EXPECT_EQ(bmp.height, 865);  // the rows five tiles of 173 produce
    EXPECT_EQ(pcx.height, 865);
    EXPECT_EQ(pcx.rows, bmp.rows);
    EXPECT_EQ(png.rows, Rows(bmp.rows.rbegin(), bmp.rows.rend()));
    for (int y = 0; y < 865; ++y) ASSERT_EQ(bmp.rows[y], bmp.rows[y % 173]);
}

TEST_F(Export, PeriodZeroWritesEmptyButCompleteFiles)
{
    ASSERT_EQ(Write(ImageFormat::Bmp, "e.bmp", 0), "");
    Bytes bmp = ReadAll(dir / "e.bmp");
    EXPECT_EQ(bmp.size(), 1078u);
    EXPECT_EQ(Le32(&bmp[18]), 0u);
    EXPECT_EQ(Le32(&bmp[22]), 0u);
    ASSERT_EQ(Write(ImageFormat::Pcx, "e.pcx", 0), "");
    Pcx pcx = ParsePcx(ReadAll(dir / "e.pcx"));
    EXPECT_EQ(pcx.height, 0);
    EXPECT_NE(Write(ImageFormat::Png, "e.png", 0), "");
    EXPECT_FALSE(fs::exists(dir / "e.png"));
    // A negative period is no period at all.
    ASSERT_EQ(Write(ImageFormat::Bmp, "n.bmp", -3), "");
    EXPECT_EQ(ReadAll(dir / "n.bmp").size(), 1078u);
}

TEST_F(Export, FailuresAreReportedAndLeaveNothingBehind)
{
    for (ImageFormat format : {ImageFormat::Bmp, ImageFormat::Pcx, ImageFormat::Png}) {
        EXPECT_NE(ExportQuiltImage(app, format, "/dev/full", 1), "");
        EXPECT_NE(ExportQuiltImage(app, format, (dir / "missing/q.img").string(), 1), "");
    }
    // Too large for 16-bit sizes: refused before anything is written.
    UseGrid(app, 600);
    std::string tooLarge = Write(ImageFormat::Pcx, "big.pcx", 60);
    EXPECT_NE(tooLarge.find("65535"), std::string::npos);
    EXPECT_EQ(dir.Entries(), 0u);

    // A write that fails halfway keeps the earlier file as it was.
    UseGrid(app, 100);
    std::ofstream(dir / "keep.bmp") << "earlier";
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 20000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error = Write(ImageFormat::Bmp, "keep.bmp", 1);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(error, "");
    Bytes kept = ReadAll(dir / "keep.bmp");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier");
    EXPECT_EQ(dir.Entries(), 1u);

    // A complete write replaces it.
    ASSERT_EQ(Write(ImageFormat::Bmp, "keep.bmp", 1), "");
    EXPECT_EQ(ReadAll(dir / "keep.bmp").size(), 41078u);
    EXPECT_EQ(dir.Entries(), 1u);

    // Through a link to a relative link to a file not there yet: the file is written, both links stay.
    fs::create_symlink("made.bmp", dir / "relative.bmp");
    fs::create_symlink(dir / "relative.bmp", dir / "absolute.bmp");
    ASSERT_EQ(Write(ImageFormat::Bmp, "absolute.bmp", 1), "");
    EXPECT_TRUE(fs::is_symlink(dir / "absolute.bmp") && fs::is_symlink(dir / "relative.bmp"));
    EXPECT_EQ(ReadAll(dir / "made.bmp").size(), 41078u);
}

TEST(OutputPath, WhatCannotBeWrittenIsRefusedBeforeAnyWork)
{
    TempDir dir;
    std::ofstream(dir / "file") << "x";
    fs::create_symlink(dir / "missing/x.png", dir / "link.png");
    const std::pair<fs::path, const char*> refused[] = {
        {dir / "missing/x.png", "does not exist"}, {dir.path, "is a folder"},
        {dir / "file/x.png", "not a folder"},      {dir / "link.png", "does not exist"},
        {"/proc/tilvex.png", "takes no new files"}};
    for (const auto& [path, said] : refused) {
        const std::string problem = CheckOutputFile(path.string(), OutputKind::FileOrDevice);
        EXPECT_NE(problem.find(said), std::string::npos) << path << ": " << problem;
        EXPECT_NE(problem.find(path.string()), std::string::npos) << problem;
    }
    EXPECT_EQ(CheckOutputFile((dir / "file").string(), OutputKind::WholeFile), "");
    EXPECT_EQ(CheckOutputFile((dir / "new.png").string(), OutputKind::WholeFile), "");
    EXPECT_EQ(CheckOutputFile("/dev/null", OutputKind::FileOrDevice), "");
    EXPECT_NE(CheckOutputFile("/dev/null", OutputKind::WholeFile).find("not a regular file"), std::string::npos);
    EXPECT_EQ(dir.Entries(), 2u) << "the check leaves nothing behind";
}

class SaveDialogs : public AcceptingInteraction {
public:
    std::optional<std::string> AskSaveFile(const FileDialogRequest& r) override
    {
        request = r;
        return answer;
    }
    bool AskViewPeriod(ViewPeriodFields& f) override
    {
        shownPeriod = f.period;
        if (!period) return false;
        f.period = *period;
        return true;
    }
    void BeginWaitCursor() override { ++waits; }
    void EndWaitCursor() override { --waits; }

    std::optional<std::string> answer;
    std::optional<unsigned> period;
    FileDialogRequest request;
    unsigned shownPeriod = 0;
    int waits = 0;
};

TEST_F(Export, SaveCommandsAskNameAndPeriodThenWrite)
{
    SaveDialogs ui;
    app.ui = &ui;
    std::snprintf(app.identity.quiltName, sizeof app.identity.quiltName, "Qs000042");
    app.geometry.viewPeriod = 3;

    // Cancelled: the name keeps its suffix, nothing is written.
    app.SaveImageAsBmp();
    EXPECT_EQ(ui.request.defaultExt, ".bmp");
    EXPECT_EQ(ui.request.initialName, "Qs000042.bmp");
    EXPECT_EQ(ui.request.filter, "BMP FILES (*.bmp) | *.bmp ||");
    EXPECT_EQ(app.QuiltName(), "Qs000042.bmp");
    EXPECT_EQ(dir.Entries(), 0u);

    ui.answer = (dir / "chosen.bmp").string();
    ui.period = 2;
    app.SaveImageAsBmp();
    EXPECT_EQ(ui.shownPeriod, 3u);
    EXPECT_EQ(app.geometry.viewPeriod, 2);
    EXPECT_EQ(app.QuiltName(), "chosen");
    EXPECT_EQ(ui.waits, 0);
    EXPECT_EQ(ParseBmp(ReadAll(dir / "chosen.bmp")).width, 400);

    // The period dialog cancelled keeps the period; long names are cut to the field.
    ui.answer = (dir / "a-rather-long-file-name-for-a-quilt.pcx").string();
    ui.period.reset();
    app.SaveImageAsPcx();
    EXPECT_EQ(ui.request.filter, "PCX FILES (*.pcx) | *.pcx ||");
    EXPECT_EQ(ui.request.initialName, "chosen.pcx");
    EXPECT_EQ(app.QuiltName(), "a-rather-long-file-");
    EXPECT_EQ(app.identity.quiltName[19], '\0');
    EXPECT_EQ(ParsePcx(ReadAll(dir / "a-rather-long-file-name-for-a-quilt.pcx")).width, 400);
    app.SaveImageAsBmp();  // 19 characters already: the suffix does not fit
    EXPECT_EQ(ui.request.initialName, "a-rather-long-file-");

    // A failed write is reported to the user.
    ui.answer = "/dev/full";
    app.SaveImageAsBmp();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("/dev/full"), std::string::npos);
    EXPECT_EQ(app.QuiltName(), "full");
}

}  // namespace
}  // namespace tilvex
