#pragma once

#include <memory>
#include <optional>
#include <stop_token>

#include "engine/RenderJob.h"
#include "motion/Clip.h"
#include "studio/FloatImage.h"
#include "studio/Rgb8Image.h"
#include "studio/ToneMap.h"

namespace tilvex::motion {

// The one tone scale of a clip, so its frames neither flicker nor pump:
// pilot renders at half the width (density per pixel does not depend on the
// width at equal samples per pixel) of each key's instant and the instants
// halfway between keys, at most nine; the faintest black point and the
// densest white among them. A growth film takes its full budget's white,
// and black at no density, so its first sparse visits show.
// Empty when stopped.
std::optional<studio::ToneScale> ClipExposure(const Clip& clip, int threads, std::stop_token stop = {},
                                              const studio::ShareDone& progress = {});

// Renders a clip's frames, each a studio picture of the quilt at its time
// (or the average of its motion-blur instants) under the clip's exposure,
// every sample on every core. Each frame is a value of its index alone: the
// orbits start from the same points in every frame (motion-blur instant j
// takes the studio seed plus j), so frames can be dealt out in any order, to
// any worker. A growth film's frames go on from the samples of the frame
// before when asked for in order.
class FrameRenderer {
public:
    FrameRenderer(const Clip& clip, const studio::ToneScale& exposure, int threads = 0);
    ~FrameRenderer();

    // The frame's tile. Empty when stopped.
    std::optional<studio::FloatImage> Render(int frame, std::stop_token stop = {},
                                             const studio::ShareDone& progress = {});
    // The frame as the clip shows it: FrameWidth() x FrameHeight(), the
    // tile's pattern running on past its edges. Empty when stopped.
    std::optional<studio::Rgb8Image> Picture(const studio::FloatImage& tile, std::stop_token stop = {}) const;

private:
    std::vector<float> Sample(const Clip& clip, double t, std::uint64_t samples, std::uint64_t seed,
                              std::stop_token stop, const studio::ShareDone& progress);

    const Clip& clip_;
    studio::ToneScale exposure_;
    int threads_;
    std::unique_ptr<RenderJob> growth_;
};

}  // namespace tilvex::motion
