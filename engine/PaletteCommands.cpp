#include <algorithm>
#include <cmath>

#include "engine/TilvexApp.h"
#include "render/DibLayout.h"
#include "render/PaletteBuilders.h"

namespace tilvex {

namespace {

std::uint8_t Byte(long long v) { return static_cast<std::uint8_t>(Mod256(v)); }

// The anchor and step tables hold 11 entries; segments beyond them reuse the last.
constexpr int kLastSegment = 10;

}  // namespace

int CTilvexApp::ApplyPalette()
{
    if (!palette.displayPalette) return 1;
    return palette.displayPalette->ShowPalette(palette.paletteEntries) ? 1 : 0;
}

void CTilvexApp::RecolourImage()
{
    if (image.imageMemory.size() < 1064) return;
    PutDibColourTable(image.imageMemory.data() + 40, palette.paletteEntries);
}

void CTilvexApp::RandomResetPalette()
{
    double v = random.Next();
    // The remainder keeps the sign of the draw, as the old integer division did.
    random.srand(static_cast<std::uint32_t>(static_cast<int>(std::fmod(std::trunc(v), 20000.0))));
    Palette& p = palette.paletteEntries;
    switch (random.rand() % 8) {
    case 0: PerturbAndBlend(random.ints, p, 256); break;
    case 1:
        for (PaletteEntry& e : p) {
            e.red = static_cast<std::uint8_t>(random.rand() % 256);
            e.green = static_cast<std::uint8_t>(random.rand() % 256);
            e.blue = static_cast<std::uint8_t>(random.rand() % 256);
        }
        PerturbAndBlend(random.ints, p, 256);
        break;
    case 2: AnchorBlend(random.ints, p, AnchorRule::ColourComplement); break;
    case 3: AnchorBlend(random.ints, p, AnchorRule::ColourBlack); break;
    case 4: AnchorBlend(random.ints, p, AnchorRule::ThreePhase); break;
    case 5: LocalBlends(random.ints, p); break;
    case 6: Sprinkle(random.ints, p, 5, 3, 2); break;
    case 7: {
        int k = random.rand() % 3;
        int reps = random.rand() % 2 + 1;
        for (int r = 0; r < reps; ++r) {
            if (k == 0)
                Sprinkle(random.ints, p, 5, 3, 2);
            else if (k == 1)
                Sprinkle(random.ints, p, 10, 6, 4);
            else
                Sprinkle(random.ints, p, 16, 12, 4);
        }
        if (random.rand() % 3 == 0) PerturbAndBlend(random.ints, p, 256);
        break;
    }
    }
}

void CTilvexApp::RandomDensityPalette()
{
    int a, b;
    if (palette.densityCyclesDefault) {
        a = b = palette.densityCycles;
    } else {
        a = random.rand() % 4 + 2;
        b = a + random.rand() % (10 * a);
    }
    double step = 256.0 / a;

    for (int i = 0; i < 10; ++i) {
        palette.anchorRed[i] = static_cast<std::uint16_t>(random.rand() % 256);
        palette.anchorGreen[i] = static_cast<std::uint16_t>(random.rand() % 256);
        palette.anchorBlue[i] = static_cast<std::uint16_t>(random.rand() % 256);
    }
    for (int i = 0; i < 9; ++i) {
        palette.stepRed[i] = palette.anchorRed[i + 1] - palette.anchorRed[i];
        palette.stepGreen[i] = palette.anchorGreen[i + 1] - palette.anchorGreen[i];
        palette.stepBlue[i] = palette.anchorBlue[i + 1] - palette.anchorBlue[i];
    }
    for (int i = 1; i < 10; ++i) {
        if (palette.stepRed[i] < 0) palette.stepRed[i] += 256;
        if (palette.stepGreen[i] < 0) palette.stepGreen[i] += 256;
        if (palette.stepBlue[i] < 0) palette.stepBlue[i] += 256;
    }

    grid.BuildHistogram();

    double sum = 0.0;
    int seg = 1, base = 0;
    double t = step;
    for (int k = 0; k < 256; ++k) {
        // Compared as doubles: with no segments (a = 0) t is infinite.
        if (std::trunc(t) < k) {
            t += step;
            seg = std::min(seg + 1, kLastSegment);
            base = seg - 1;
        }
        sum += grid.histogram[k] * b;
        PaletteEntry& e = palette.paletteEntries[k];
        e.red = Byte(palette.anchorRed[base] + static_cast<long long>(std::trunc(palette.stepRed[seg] * sum)));
        e.green = Byte(palette.anchorGreen[base] + static_cast<long long>(std::trunc(palette.stepGreen[seg] * sum)));
        e.blue = Byte(palette.anchorBlue[base] + static_cast<long long>(std::trunc(palette.stepBlue[seg] * sum)));
    }
}

DensityPaletteFields CTilvexApp::CurrentDensityPaletteFields() const
{
    DensityPaletteFields f;
    f.startRed = palette.paletteEntries[0].red;
    f.startGreen = palette.paletteEntries[0].green;
    f.startBlue = palette.paletteEntries[0].blue;
    f.finalRed = palette.paletteEntries[255].red;
    f.finalGreen = palette.paletteEntries[255].green;
    f.finalBlue = palette.paletteEntries[255].blue;
    f.cycles = palette.densityCycles;
    f.cyclesDefault = palette.densityCyclesDefault;
    f.recolourOnly = palette.densityRecolourOnly;
    return f;
}

void CTilvexApp::CycleDensityPalette()
{
    DensityPaletteFields f = CurrentDensityPaletteFields();
    if (ui->AskDensityPalette(f)) ApplyDensityPalette(f);
}

void CTilvexApp::ApplyDensityPalette(const DensityPaletteFields& f)
{
    palette.densityCycles = static_cast<std::uint16_t>(f.cycles);
    palette.densityCyclesDefault = f.cyclesDefault;
    palette.densityRecolourOnly = f.recolourOnly;
    const long long start[3] = {f.startRed, f.startGreen, f.startBlue};
    const long long final[3] = {f.finalRed, f.finalGreen, f.finalBlue};
    long long d[3];
    for (int c = 0; c < 3; ++c) {
        d[c] = final[c] - start[c];
        if (d[c] < 0) d[c] += 256;
    }

    grid.BuildHistogram();

    double sum = 0.0;
    for (int i = 0; i < 256; ++i) {
        sum += grid.histogram[i] * palette.densityCycles;
        PaletteEntry& e = palette.paletteEntries[i];
        e.red = Byte(start[0] + static_cast<long long>(std::trunc(sum * static_cast<double>(d[0]))));
        e.green = Byte(start[1] + static_cast<long long>(std::trunc(sum * static_cast<double>(d[1]))));
        e.blue = Byte(start[2] + static_cast<long long>(std::trunc(sum * static_cast<double>(d[2]))));
    }
}

void CTilvexApp::SelectPaletteColors()
{
    SelectColorFields f;
    f.colorNumber = 0;
    while (ui->AskSelectColor(f)) {
        unsigned n = f.colorNumber & 0xFFFF;
        // Numbers past the last entry are refused for this round.
        if (n > 255) continue;
        Rgb chosen;
        if (ui->AskColor(std::uint32_t{n}, chosen)) {
            palette.paletteEntries[n].red = chosen.red;
            palette.paletteEntries[n].green = chosen.green;
            palette.paletteEntries[n].blue = chosen.blue;
        }
    }
    ApplyPalette();
}

}  // namespace tilvex
