#include "render/PaletteBuilders.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/StdRand.h"

namespace tilvex {

namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

struct Draw {
    int c1, c2, c3;
};

// Three draws; the builders use them as red = c1, green = c3, blue = c2.
Draw DrawColour(StdRand& ints)
{
    Draw d{};
    d.c1 = ints.rand() % 256;
    d.c2 = ints.rand() % 256;
    d.c3 = ints.rand() % 256;
    return d;
}

void SetEntry(PaletteEntry& e, int red, int green, int blue)
{
    e.red = Byte(red);
    e.green = Byte(green);
    e.blue = Byte(blue);
}

std::uint8_t& Channel(PaletteEntry& e, int ch) { return ch == 0 ? e.red : ch == 1 ? e.green : e.blue; }

}  // namespace

int AddChannel(int c, int v)
{
    if (v > 0) return 255;
    int s = c + v;
    if (s < 0) s += 256;
    return s;
}

void BlendSpan(Palette& p, int lo, int hi)
{
    if (lo < 0 || hi > 255 || hi <= lo) return;
    int len = hi - lo;
    double r[3];
    for (int ch = 0; ch < 3; ++ch)
        r[ch] = static_cast<double>(Channel(p[lo], ch) - Channel(p[hi], ch)) / len;
    for (int k = 1; k < len; ++k) {
        PaletteEntry& e = p[lo + k];
        for (int ch = 0; ch < 3; ++ch) {
            std::uint8_t& c = Channel(e, ch);
            c = Byte(AddChannel(c, static_cast<int>(std::trunc(k * r[ch]))));
        }
    }
}

void Sprinkle(StdRand& ints, Palette& p, int startRange, int strideRange, int strideMin)
{
    Draw d = DrawColour(ints);
    int i = ints.rand() % startRange;
    while (i < 256) {
        SetEntry(p[i], d.c1, d.c3, d.c2);
        i = i + ints.rand() % strideRange + strideMin;
    }
}

void PerturbAndBlend(StdRand& ints, Palette& p, int n)
{
    int step = n / 8;
    if (step <= 1 || n <= 0) return;
    // pos stays inside the palette for every n the program uses (n = 256).
    for (int pos = 0; pos < n && pos < 256;) {
        int inc = ints.rand() % 50 + 30;
        int other = ints.rand() % 30;
        int ch = ints.rand() % 3;
        int next = pos + step;
        int tgt = std::min(next, 255);
        for (int c = 0; c < 3; ++c) {
            int from = Channel(p[pos], c);
            Channel(p[tgt], c) = Byte(Mod256(from + (c == ch ? inc : other)));
        }
        BlendSpan(p, pos, tgt);
        pos = next;
    }
}

void LocalBlends(StdRand& ints, Palette& p)
{
    for (int round = 0; round < 1000; ++round) {
        Draw d = DrawColour(ints);
        int i = ints.rand() % 256;
        SetEntry(p[i], d.c1, d.c3, d.c2);
        int r = ints.rand() % 128;
        int g = ints.rand() % 128;
        int b = ints.rand() % 128;
        int j = i + ints.rand() % 11 + 1;
        if (j > 255) j = i - ints.rand() % 12;
        SetEntry(p[j], Mod256(d.c1 + r), Mod256(d.c3 + g), Mod256(d.c2 + b));
        if (j != i) BlendSpan(p, std::min(i, j), std::max(i, j));
    }
}

void AnchorBlend(StdRand& ints, Palette& p, AnchorRule rule)
{
    Draw d = DrawColour(ints);
    int idx[10];
    idx[0] = 0;
    for (int m = 1; m < 10; ++m) idx[m] = ints.rand() % 256;
    for (int m = 1; m < 10; ++m)
        if (idx[m - 1] == idx[m]) idx[m] = (idx[m] + 1) % 256;
    std::sort(idx, idx + 10);

    for (int s = 0; s < 10; ++s) {
        PaletteEntry& e = p[idx[s]];
        switch (rule) {
        case AnchorRule::ColourComplement:
            if (s % 2 == 0)
                SetEntry(e, d.c1, d.c3, d.c2);
            else
                SetEntry(e, Mod256(d.c1 + 128), Mod256(d.c3 + 128), Mod256(d.c2 + 128));
            break;
        case AnchorRule::ColourBlack:
            if (s % 2 == 0)
                SetEntry(e, d.c1, d.c3, d.c2);
            else
                SetEntry(e, 0, 0, 0);
            break;
        case AnchorRule::ThreePhase:
            if (s % 3 == 0)
                SetEntry(e, d.c1, d.c3, d.c2);
            else
                SetEntry(e, Mod256(d.c1 + 82), Mod256(d.c3 + 82), Mod256(d.c2 + 82));
            break;
        }
    }
    for (int s = 1; s < 10; ++s)
        if (idx[s - 1] != idx[s]) BlendSpan(p, idx[s - 1], idx[s]);
}

}  // namespace tilvex
