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

inline std::vector<std::uint64_t> PreviewPasses(const RenderJob& job)
{
    const double pixels = static_cast<double>(job.Width()) * job.Height();
    return ProgressivePasses(job.Budget(), static_cast<std::uint64_t>(pixels * kPreviewFirstSamplesPerPixel));
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
