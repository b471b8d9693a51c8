#pragma once

#include "core/PaletteEntry.h"
#include "core/StdRand.h"

namespace tilvex {

// Building blocks of the random palettes. Colours come from the given
// generator; every builder draws in a fixed order, so a seed gives one palette.

// A positive addend saturates the channel; otherwise subtract with wrap-around.
int AddChannel(int c, int v);

// Blends the entries strictly between lo and hi (lo < hi) towards a fraction
// of (lo - hi), added to what each entry already holds.
void BlendSpan(Palette& p, int lo, int hi);

// One random colour dotted over the palette at random strides.
void Sprinkle(StdRand& ints, Palette& p, int startRange, int strideRange, int strideMin);

// Perturbs every n/8-th entry from its predecessor, then blends the spans.
void PerturbAndBlend(StdRand& ints, Palette& p, int n);

// 1000 random colour pairs a few entries apart, blended in between.
void LocalBlends(StdRand& ints, Palette& p);

enum class AnchorRule { ColourComplement, ColourBlack, ThreePhase };

// Ten random anchors coloured by the rule and blended in between.
void AnchorBlend(StdRand& ints, Palette& p, AnchorRule rule);

// Always 0-255, also for negative v.
inline int Mod256(long long v)
{
    int r = static_cast<int>(v % 256);
    return r < 0 ? r + 256 : r;
}

}  // namespace tilvex
