#include <gtest/gtest.h>

#include <set>

#include "core/StdRand.h"
#include "engine/TilvexApp.h"
#include "render/PaletteBuilders.h"

namespace tilvex {
namespace {

Palette Uniform(int red, int green, int blue)
{
    Palette p;
    for (int i = 0; i < 256; ++i) p[i] = {static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                         static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(i ? 1 : 0)};
    return p;
}

bool Same(const PaletteEntry& a, const PaletteEntry& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.flags == b.flags;
}

bool SameColour(const PaletteEntry& e, int red, int green, int blue)
{
    return e.red == red && e.green == green && e.blue == blue;
}

struct ColourDraw {
    int c1, c2, c3;
};

// The first three draws after srand(seed), as every builder takes them.
ColourDraw FirstColour(std::uint32_t seed)
{
    StdRand r;
    r.srand(seed);
    ColourDraw d{};
    d.c1 = r.rand() % 256;
    d.c2 = r.rand() % 256;
    d.c3 = r.rand() % 256;
    return d;
}

class CountingDisplay : public PaletteDisplay {
public:
    explicit CountingDisplay(bool result) : result_(result) {}
    bool ShowPalette(const Palette& entries) override
    {
        ++calls;
        shown = entries;
        return result_;
    }
    int calls = 0;
    Palette shown{};

private:
    bool result_;
};

// A grid of width x width cells holding the given counts column by column.
void FillGrid(CTilvexApp& app, int width, const std::vector<std::uint16_t>& counts)
{
    app.grid.AttachStorage(601);
    app.grid.width = static_cast<std::uint16_t>(width);
    app.geometry.gridSize = static_cast<std::uint16_t>(width);
    for (int i = 0; i < width * width && i < static_cast<int>(counts.size()); ++i)
        app.grid.SetCount(i / width, i % width, counts[i]);
    app.grid.maxCount = 0;
    for (std::uint16_t c : counts) app.grid.maxCount = std::max(app.grid.maxCount, c);
}

TEST(PaletteRules, AddChannelSaturatesPositiveAndWrapsNegative)
{
    EXPECT_EQ(AddChannel(10, 1), 255);
    EXPECT_EQ(AddChannel(0, 300), 255);
    EXPECT_EQ(AddChannel(10, 0), 10);
    EXPECT_EQ(AddChannel(10, -4), 6);
    EXPECT_EQ(AddChannel(10, -20), 246);
    EXPECT_EQ(AddChannel(0, -255), 1);
}

TEST(PaletteRules, BlendSpanLeavesNeighboursAndEndpointsAlone)
{
    Palette p = Uniform(50, 60, 70);
    p[10] = {200, 0, 0, 1};
    p[11] = {0, 200, 0, 1};
    Palette before = p;
    BlendSpan(p, 10, 11);
    BlendSpan(p, 12, 12);
    for (int i = 0; i < 256; ++i) EXPECT_TRUE(Same(p[i], before[i])) << i;
}

TEST(PaletteRules, BlendSpanAddsAFractionOfLowMinusHigh)
{
    Palette p = Uniform(100, 100, 100);
    // red: entry 0 brighter by 16 -> r = 0.5, so only k >= 2 saturate;
    // green: entry 0 darker by 32 -> r = -1, entry k loses k with wrap-around.
    p[0] = {40, 10, 100, 0};
    p[32] = {24, 42, 100, 1};
    for (int k = 1; k < 32; ++k) p[k] = {7, 5, 100, 1};
    BlendSpan(p, 0, 32);
    EXPECT_EQ(p[1].red, 7);
    for (int k = 2; k < 32; ++k) EXPECT_EQ(p[k].red, 255) << k;
    for (int k = 1; k < 32; ++k) EXPECT_EQ(p[k].green, (5 - k + 256) % 256) << k;
    for (int k = 1; k < 32; ++k) EXPECT_EQ(p[k].blue, 100) << k;  // d = 0 adds nothing
    EXPECT_TRUE(SameColour(p[0], 40, 10, 100));
    EXPECT_TRUE(SameColour(p[32], 24, 42, 100));
    EXPECT_TRUE(SameColour(p[33], 100, 100, 100));
}

TEST(PaletteBuilders, SprinkleDotsOneColourAtItsStrides)
{
    const std::uint32_t seed = 4242;
    ColourDraw d = FirstColour(seed);
    Palette p = Uniform(1, 2, 3);
    StdRand r;
    r.srand(seed);
    Sprinkle(r, p, 10, 6, 4);
    std::vector<int> hits;
    for (int i = 0; i < 256; ++i) {
        if (SameColour(p[i], d.c1, d.c3, d.c2))
            hits.push_back(i);
        else
            EXPECT_TRUE(SameColour(p[i], 1, 2, 3)) << i;
    }
    ASSERT_FALSE(hits.empty());
    EXPECT_LT(hits.front(), 10);
    for (std::size_t k = 1; k < hits.size(); ++k) {
        EXPECT_GE(hits[k] - hits[k - 1], 4);
        EXPECT_LE(hits[k] - hits[k - 1], 9);
    }
    EXPECT_GT(hits.back() + 9, 255);
    EXPECT_EQ(p[0].flags, 0);
    EXPECT_EQ(p[1].flags, 1);
}

TEST(PaletteBuilders, PerturbAndBlendMovesOneChannelFarAndTwoAlike)
{
    for (std::uint32_t seed : {1u, 77u, 9001u}) {
        Palette p = Uniform(128, 64, 32);
        StdRand r;
        r.srand(seed);
        PerturbAndBlend(r, p, 256);
        const int anchors[] = {0, 32, 64, 96, 128, 160, 192, 224, 255};
        for (int a = 1; a < 9; ++a) {
            const PaletteEntry& from = p[anchors[a - 1]];
            const PaletteEntry& to = p[anchors[a]];
            int delta[3] = {(to.red - from.red + 256) % 256, (to.green - from.green + 256) % 256,
                            (to.blue - from.blue + 256) % 256};
            int far = 0, nearValue = -1, nearCount = 0;
            for (int c = 0; c < 3; ++c) {
                if (delta[c] >= 30 && delta[c] <= 79) {
                    ++far;
                } else {
                    EXPECT_LE(delta[c], 29);
                    if (nearValue >= 0) {
                        EXPECT_EQ(delta[c], nearValue);
                    }
                    nearValue = delta[c];
                    ++nearCount;
                }
            }
            EXPECT_EQ(far, 1) << "seed " << seed << " span ending " << anchors[a];
            EXPECT_EQ(nearCount, 2);
        }
    }
}

TEST(PaletteBuilders, PerturbAndBlendWithTooFewEntriesDrawsNothing)
{
    Palette p = Uniform(9, 9, 9);
    StdRand r;
    r.srand(5);
    PerturbAndBlend(r, p, 15);
    PerturbAndBlend(r, p, 0);
    EXPECT_EQ(r.State(), 5u);
    EXPECT_TRUE(SameColour(p[100], 9, 9, 9));
}

TEST(PaletteBuilders, AnchorBlendColoursItsAnchorsByRule)
{
    const std::uint32_t seed = 31337;
    ColourDraw d = FirstColour(seed);
    auto count = [](const Palette& p, int r, int g, int b) {
        int n = 0;
        for (const PaletteEntry& e : p) n += SameColour(e, r, g, b);
        return n;
    };
    for (AnchorRule rule : {AnchorRule::ColourComplement, AnchorRule::ColourBlack, AnchorRule::ThreePhase}) {
        Palette p = Uniform(1, 2, 3);
        StdRand r;
        r.srand(seed);
        AnchorBlend(r, p, rule);
        EXPECT_TRUE(SameColour(p[0], d.c1, d.c3, d.c2));
        switch (rule) {
        case AnchorRule::ColourComplement:
            EXPECT_GE(count(p, (d.c1 + 128) % 256, (d.c3 + 128) % 256, (d.c2 + 128) % 256), 1);
            break;
        case AnchorRule::ColourBlack: EXPECT_GE(count(p, 0, 0, 0), 1); break;
        case AnchorRule::ThreePhase:
            EXPECT_GE(count(p, (d.c1 + 82) % 256, (d.c3 + 82) % 256, (d.c2 + 82) % 256), 2);
            break;
        }
    }
}

TEST(PaletteBuilders, LocalBlendsKeepsFlagsAndChangesColours)
{
    Palette p = Uniform(1, 2, 3);
    StdRand r;
    r.srand(2024);
    LocalBlends(r, p);
    int changed = 0;
    for (int i = 0; i < 256; ++i) {
        changed += !SameColour(p[i], 1, 2, 3);
        EXPECT_EQ(p[i].flags, i ? 1 : 0);
    }
    EXPECT_GT(changed, 200);
}

TEST(PaletteCommands, RandomResetPaletteDependsOnlyOnTheRandomSource)
{
    CTilvexApp a(123.0);
    CTilvexApp b(123.0);
    for (int i = 0; i < 5; ++i) b.random.rand();  // b's rand state differs; the reseed hides it
    Palette start = a.palette.paletteEntries;
    for (int round = 0; round < 12; ++round) {
        a.RandomResetPalette();
        b.RandomResetPalette();
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(Same(a.palette.paletteEntries[i], b.palette.paletteEntries[i])) << round;
        EXPECT_EQ(a.palette.paletteEntries[0].flags, 0);
        EXPECT_EQ(a.palette.paletteEntries[255].flags, 1);
    }
    int changed = 0;
    for (int i = 0; i < 256; ++i) changed += !Same(a.palette.paletteEntries[i], start[i]);
    EXPECT_GT(changed, 0);
}

class DensityDialog : public AcceptingInteraction {
public:
    bool AskDensityPalette(DensityPaletteFields& f) override
    {
        seen = f;
        ++asked;
        if (!accept) return false;
        f = answer;
        return true;
    }
    bool accept = true;
    int asked = 0;
    DensityPaletteFields seen, answer;
};

TEST(PaletteCommands, CycleDensityPaletteRampsFromStartOverTheHistogram)
{
    CTilvexApp app(1.0);
    DensityDialog ui;
    app.ui = &ui;
    // 90 of 100 cells empty, 10 at the maximum: bin 0 holds 0.9, bin 255 0.1.
    std::vector<std::uint16_t> counts(100, 0);
    for (int i = 0; i < 10; ++i) counts[i * 7] = 12;
    FillGrid(app, 10, counts);
    app.palette.paletteEntries[0] = {11, 22, 33, 0};
    app.palette.paletteEntries[255] = {44, 55, 66, 1};
    app.palette.densityCycles = 3;

    ui.answer.startRed = 200, ui.answer.startGreen = 10, ui.answer.startBlue = 7;
    ui.answer.finalRed = 100, ui.answer.finalGreen = 20, ui.answer.finalBlue = 7;
    ui.answer.cycles = 1;
    ui.answer.cyclesDefault = 0;
    ui.answer.recolourOnly = 1;
    app.CycleDensityPalette();

    EXPECT_EQ(ui.seen.startRed, 11u);
    EXPECT_EQ(ui.seen.startBlue, 33u);
    EXPECT_EQ(ui.seen.finalGreen, 55u);
    EXPECT_EQ(ui.seen.cycles, 3u);
    EXPECT_EQ(app.palette.densityCycles, 1);
    EXPECT_EQ(app.palette.densityCyclesDefault, 0);
    EXPECT_EQ(app.palette.densityRecolourOnly, 1);
    // Red runs upwards through 255 and 0 (D = 156); entry 0 is nine tenths along.
    EXPECT_EQ(app.palette.paletteEntries[0].red, (200 + static_cast<int>(0.9 * 156)) % 256);
    EXPECT_EQ(app.palette.paletteEntries[0].green, 10 + static_cast<int>(0.9 * 10));
    for (int i = 2; i < 255; ++i) EXPECT_TRUE(Same(app.palette.paletteEntries[i], app.palette.paletteEntries[1])) << i;
    EXPECT_GE(app.palette.paletteEntries[255].red, 99);
    EXPECT_LE(app.palette.paletteEntries[255].red, 100);
    EXPECT_EQ(app.palette.paletteEntries[255].blue, 7);
    EXPECT_EQ(app.palette.paletteEntries[0].flags, 0);
    EXPECT_EQ(app.palette.paletteEntries[1].flags, 1);
}

TEST(PaletteCommands, CycleDensityPaletteEdgeCases)
{
    CTilvexApp app(1.0);
    DensityDialog ui;
    app.ui = &ui;
    FillGrid(app, 10, std::vector<std::uint16_t>(100, 0));

    // Cancel changes nothing.
    ui.accept = false;
    Palette before = app.palette.paletteEntries;
    app.palette.densityCycles = 5;
    app.CycleDensityPalette();
    EXPECT_EQ(ui.asked, 1);
    EXPECT_EQ(app.palette.densityCycles, 5);
    for (int i = 0; i < 256; ++i) EXPECT_TRUE(Same(app.palette.paletteEntries[i], before[i]));

    // An empty grid makes every entry the start colour.
    ui.accept = true;
    ui.answer.startRed = 1, ui.answer.startGreen = 2, ui.answer.startBlue = 3;
    ui.answer.finalRed = 250, ui.answer.finalGreen = 251, ui.answer.finalBlue = 252;
    ui.answer.cycles = 9;
    app.CycleDensityPalette();
    for (const PaletteEntry& e : app.palette.paletteEntries) EXPECT_TRUE(SameColour(e, 1, 2, 3));

    // Equal start and final colours: the start colour whatever the cycles.
    std::vector<std::uint16_t> counts(100);
    for (int i = 0; i < 100; ++i) counts[i] = static_cast<std::uint16_t>(i);
    FillGrid(app, 10, counts);
    ui.answer.finalRed = 1, ui.answer.finalGreen = 2, ui.answer.finalBlue = 3;
    ui.answer.cycles = 128;
    app.CycleDensityPalette();
    for (const PaletteEntry& e : app.palette.paletteEntries) EXPECT_TRUE(SameColour(e, 1, 2, 3));
}

TEST(PaletteCommands, RandomDensityPaletteOnAnEmptyGridUsesSegmentAnchors)
{
    CTilvexApp app(1.0);
    FillGrid(app, 10, std::vector<std::uint16_t>(100, 0));
    app.palette.densityCyclesDefault = 1;
    app.palette.densityCycles = 3;
    app.random.srand(99);
    app.RandomDensityPalette();
    EXPECT_EQ(app.random.RandState(), [] {
        StdRand r;
        r.srand(99);
        for (int i = 0; i < 30; ++i) r.rand();
        return r.State();
    }());
    for (int k = 0; k < 256; ++k) {
        int base = k <= 85 ? 0 : k <= 170 ? 1 : 2;
        EXPECT_TRUE(SameColour(app.palette.paletteEntries[k], app.palette.anchorRed[base],
                               app.palette.anchorGreen[base], app.palette.anchorBlue[base]))
            << k;
    }
    for (int i = 1; i < 9; ++i) {
        EXPECT_EQ(app.palette.stepRed[i], (app.palette.anchorRed[i + 1] - app.palette.anchorRed[i] + 256) % 256);
        EXPECT_EQ(app.palette.stepBlue[i], (app.palette.anchorBlue[i + 1] - app.palette.anchorBlue[i] + 256) % 256);
    }
    EXPECT_EQ(app.palette.anchorRed[10], 0);
    EXPECT_EQ(app.palette.stepGreen[9], 0);
    EXPECT_EQ(app.palette.stepGreen[10], 0);
}

TEST(PaletteCommands, RandomDensityPaletteFollowsTheHistogramWithinSegments)
{
    CTilvexApp app(1.0);
    // Every count 0..99 once: the ramp climbs steadily through the palette.
    std::vector<std::uint16_t> counts(100);
    for (int i = 0; i < 100; ++i) counts[i] = static_cast<std::uint16_t>(i);
    FillGrid(app, 10, counts);
    app.palette.densityCyclesDefault = 1;
    app.palette.densityCycles = 1;
    app.random.srand(3);
    app.RandomDensityPalette();
    // One segment: anchor 0 plus the step between anchors 1 and 2, scaled by the share so far.
    double sum = 0.0;
    for (int k = 0; k < 256; ++k) {
        sum += app.grid.histogram[k];
        int red = (app.palette.anchorRed[0] + static_cast<int>(app.palette.stepRed[1] * sum)) % 256;
        EXPECT_EQ(app.palette.paletteEntries[k].red, red) << k;
    }
}

TEST(PaletteCommands, RandomDensityPaletteWithManyCyclesStaysInsideTheTables)
{
    CTilvexApp app(1.0);
    FillGrid(app, 10, std::vector<std::uint16_t>(100, 0));
    app.palette.densityCyclesDefault = 1;
    app.palette.densityCycles = 128;
    app.random.srand(7);
    app.RandomDensityPalette();
    // Past the tenth segment the last anchor holds (its step is 0).
    EXPECT_TRUE(SameColour(app.palette.paletteEntries[255], app.palette.anchorRed[9], app.palette.anchorGreen[9],
                           app.palette.anchorBlue[9]));
    EXPECT_TRUE(SameColour(app.palette.paletteEntries[0], app.palette.anchorRed[0], app.palette.anchorGreen[0],
                           app.palette.anchorBlue[0]));

    // Without the default, segments and cycles are drawn first: 32 draws in all.
    app.palette.densityCyclesDefault = 0;
    app.random.srand(11);
    app.RandomDensityPalette();
    StdRand r;
    r.srand(11);
    for (int i = 0; i < 32; ++i) r.rand();
    EXPECT_EQ(app.random.RandState(), r.State());
}

class ColourPicker : public AcceptingInteraction {
public:
    bool AskSelectColor(SelectColorFields& f) override
    {
        shownNumbers.push_back(f.colorNumber);
        if (next >= numbers.size()) return false;
        f.colorNumber = numbers[next++];
        return true;
    }
    bool AskColor(std::optional<std::uint32_t> initial, Rgb& chosen) override
    {
        initials.push_back(initial.value_or(0xFFFFFFFF));
        chosen = colour;
        return acceptColour;
    }
    std::vector<unsigned> numbers;
    std::size_t next = 0;
    std::vector<unsigned> shownNumbers;
    std::vector<std::uint32_t> initials;
    Rgb colour{9, 8, 7};
    bool acceptColour = true;
};

TEST(PaletteCommands, SelectPaletteColorsSetsChosenEntriesAndRefusesOthers)
{
    CTilvexApp app(1.0);
    ColourPicker ui;
    CountingDisplay display(true);
    app.ui = &ui;
    app.palette.displayPalette = &display;
    Palette before = app.palette.paletteEntries;
    ui.numbers = {5, 300, 0x10000 + 7, 255};
    app.SelectPaletteColors();

    EXPECT_EQ(ui.shownNumbers.front(), 0u);
    EXPECT_EQ(ui.shownNumbers[1], 5u);  // the dialog reopens with the last number
    // 300 is refused; 0x10007 keeps its low 16 bits, so entry 7.
    EXPECT_EQ(ui.initials, (std::vector<std::uint32_t>{5, 7, 255}));
    for (int i = 0; i < 256; ++i) {
        if (i == 5 || i == 7 || i == 255) {
            EXPECT_TRUE(SameColour(app.palette.paletteEntries[i], 9, 8, 7)) << i;
            EXPECT_EQ(app.palette.paletteEntries[i].flags, before[i].flags);
        } else {
            EXPECT_TRUE(Same(app.palette.paletteEntries[i], before[i])) << i;
        }
    }
    EXPECT_EQ(display.calls, 1);
    EXPECT_TRUE(SameColour(display.shown[5], 9, 8, 7));

    // A cancelled chooser leaves the entry alone.
    ui.numbers = {9};
    ui.next = 0;
    ui.acceptColour = false;
    Palette kept = app.palette.paletteEntries;
    app.SelectPaletteColors();
    EXPECT_TRUE(Same(app.palette.paletteEntries[9], kept[9]));
    app.palette.displayPalette = nullptr;
}

TEST(PaletteCommands, ApplyPaletteReportsTheDisplay)
{
    CTilvexApp app(1.0);
    EXPECT_EQ(app.ApplyPalette(), 1);
    CountingDisplay good(true), bad(false);
    app.palette.displayPalette = &good;
    EXPECT_EQ(app.ApplyPalette(), 1);
    EXPECT_EQ(good.calls, 1);
    EXPECT_TRUE(Same(good.shown[17], app.palette.paletteEntries[17]));
    app.palette.displayPalette = &bad;
    EXPECT_EQ(app.ApplyPalette(), 0);
    app.palette.displayPalette = nullptr;
}

TEST(PaletteCommands, RecolourImageRewritesOnlyTheColourTable)
{
    CTilvexApp app(1.0);
    app.RecolourImage();  // no image memory: nothing to do
    app.image.imageMemory.assign(ImageBlockSize(20), 0xAB);
    app.RecolourImage();
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* q = app.image.imageMemory.data() + 40 + 4 * i;
        EXPECT_EQ(q[0], app.palette.paletteEntries[i].blue);
        EXPECT_EQ(q[1], app.palette.paletteEntries[i].green);
        EXPECT_EQ(q[2], app.palette.paletteEntries[i].red);
        EXPECT_EQ(q[3], 0);
    }
    for (int i = 0; i < 40; ++i) EXPECT_EQ(app.image.imageMemory[i], 0xAB);
    EXPECT_EQ(app.image.imageMemory[1064], 0xAB);
    EXPECT_EQ(app.image.imageMemory.back(), 0xAB);
}

}  // namespace
}  // namespace tilvex
