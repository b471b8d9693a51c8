#pragma once

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

}  // namespace tilvex
