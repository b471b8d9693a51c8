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
Draw DrawColour()
{
    Draw d{};
    d.c1 = rand() % 256;
    d.c2 = rand() % 256;
    d.c3 = rand() % 256;
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

void Sprinkle(Palette& p, int startRange, int strideRange, int strideMin)
{
    Draw d = DrawColour();
    int i = rand() % startRange;
    while (i < 256) {
        SetEntry(p[i], d.c1, d.c3, d.c2);
        i = i + rand() % strideRange + strideMin;
    }
}

void PerturbAndBlend(Palette& p, int n)
{
    int step = n / 8;
    if (step <= 1 || n <= 0) return;
    // pos stays inside the palette for every n the program uses (n = 256).
    for (int pos = 0; pos < n && pos < 256;) {
        int inc = rand() % 50 + 30;
        int other = rand() % 30;
        int ch = rand() % 3;
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

void LocalBlends(Palette& p)
{
    for (int round = 0; round < 1000; ++round) {
        Draw d = DrawColour();
        int i = rand() % 256;
        SetEntry(p[i], d.c1, d.c3, d.c2);
        int r = rand() % 128;
        int g = rand() % 128;
        int b = rand() % 128;
        int j = i + rand() % 11 + 1;
        if (j > 255) j = i - rand() % 12;
        SetEntry(p[j], Mod256(d.c1 + r), Mod256(d.c3 + g), Mod256(d.c2 + b));
        if (j != i) BlendSpan(p, std::min(i, j), std::max(i, j));
    }
}

void AnchorBlend(Palette& p, AnchorRule rule)
{
    Draw d = DrawColour();
    int idx[10];
    idx[0] = 0;
    for (int m = 1; m < 10; ++m) idx[m] = rand() % 256;
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
