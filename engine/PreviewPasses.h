#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/RenderJob.h"

namespace tilvex {

// The live preview's plan: a first pass of a quarter sample per pixel, on
// the screen within a frame or two, then doubling up to 16 samples per pixel.
inline constexpr double kPreviewFirstSamplesPerPixel = 0.25;
inline constexpr double kPreviewSamplesPerPixel = 16.0;
// Every chunk's orbits warm up before their first sample, and at a quarter
// sample per pixel 64 chunks' warm-ups would cost more than the samples.
inline constexpr int kPreviewChunks = 16;

// The preview's render: rougher sines (the same density to the eye, found
// sooner) and few chunks; still the same picture for any thread count.
inline studio::RenderSettings PreviewRenderSettings(int width)
{
    studio::RenderSettings renderSpec;
    renderSpec.width = std::max(studio::kMinWidth, width);
    renderSpec.samplesPerPixel = kPreviewSamplesPerPixel;
    renderSpec.precision = studio::Precision::Fast;
    renderSpec.chunks = kPreviewChunks;
    return renderSpec;
}

// The width of a tile of `period` x `period` tiles fitted whole into a view of
// viewWidth x viewHeight pixels.
inline int FittedTileWidth(double viewWidth, double viewHeight, const QuiltSnapshot& quilt, int period)
{
    const double aspect = quilt.tile.height > 0 ? static_cast<double>(quilt.tile.width) / quilt.tile.height : 1.0;
    return std::max(16, static_cast<int>(std::min(viewWidth, viewHeight * aspect) / std::max(period, 1)));
}

inline std::vector<std::uint64_t> PreviewPasses(const RenderJob& job)
{
    const double pixels = static_cast<double>(job.Width()) * job.Height();
    return ProgressivePasses(job.Budget(), static_cast<std::uint64_t>(pixels * kPreviewFirstSamplesPerPixel));
}

// The passes before the last do not wait for the fold's flat field if it is
// still being made (a kind or size the preview has not shown yet): they show
// its fold lines for a few seconds rather than nothing. The last one waits.
inline studio::FlatFieldUse PreviewFlatFieldUse(std::uint64_t total, const std::vector<std::uint64_t>& passes)
{
    return total == passes.back() ? studio::FlatFieldUse::MakeIfNeeded : studio::FlatFieldUse::IfMade;
}

// Passes of under one sample per pixel are developed at half the width: so
// sparse a picture shows no more at full size, and is on the screen in
// about a third of the time. The screen scales it up.
inline int PreviewWidth(const RenderJob& job, std::uint64_t total)
{
    const double pixels = static_cast<double>(job.Width()) * job.Height();
    return static_cast<double>(total) < pixels ? std::max(studio::kMinWidth, job.Width() / 2) : job.Width();
}

}  // namespace tilvex
