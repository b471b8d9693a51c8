#include "studio/LaneOrbits.h"

#include <cmath>

namespace tilvex::studio {

LaneOrbits::LaneOrbits(const LaneParams& params, const HexMap& hex, SimdPath path, Precision precision,
                       int resolution, int warmUpSteps, DrawStart draw, std::optional<ColorBy> colorBy)
    : params_(params),
      hex_(hex),
      path_(path),
      precision_(precision),
      warmUpSteps_(warmUpSteps),
      draw_(std::move(draw)),
      colorBy_(colorBy),
      sink_{nullptr, nullptr, visits_, resolution}
{
    if (colorBy_) {
        sink_.plotX = plotX_;  // the lanes store whole aligned vectors
        sink_.plotY = plotY_;
    }
    for (int lane = 0; lane < kLanes; ++lane) Start(state_, lane);
    StepLanes(path_, precision_, params_, state_, warmUpSteps_);
}

void LaneOrbits::Start(LaneState& state, int lane)
{
    const Complex u = draw_();
    StartLane(params_, hex_, state, lane, u.re, u.im);
}

// A lane's point is finite exactly when its latest position is. The fresh
// lanes warm up together; the others' results of that run are dropped.
void LaneOrbits::RestartEscaped()
{
    const auto escaped = [this](int lane) { return !std::isfinite(state_.re[lane]) || !std::isfinite(state_.im[lane]); };
    LaneState fresh = state_;
    bool any = false;
    for (int lane = 0; lane < kLanes; ++lane) {
        if (!escaped(lane)) continue;
        Start(fresh, lane);
        any = true;
    }
    if (!any) return;
    LaneState warm = fresh;
    StepLanes(path_, precision_, params_, warm, warmUpSteps_);
    for (int lane = 0; lane < kLanes; ++lane) {
        if (!escaped(lane)) continue;
        state_.re[lane] = warm.re[lane];
        state_.im[lane] = warm.im[lane];
        state_.tile[lane] = warm.tile[lane];
    }
}

}  // namespace tilvex::studio
