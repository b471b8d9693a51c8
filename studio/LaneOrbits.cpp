#include "studio/LaneOrbits.h"

#include <cmath>

namespace tilvex::studio {

LaneOrbits::LaneOrbits(const LaneParams& params, const HexMap& hex, SimdPath path, int warmUpSteps, DrawStart draw)
    : params_(params), hex_(hex), path_(path), lanes_(SimdLanes(path)), warmUpSteps_(warmUpSteps), draw_(std::move(draw))
{
    for (int lane = 0; lane < lanes_; ++lane) Start(state_, lane);
    StepLanes(path_, params_, state_, warmUpSteps_, nullptr, nullptr);
}

void LaneOrbits::Start(LaneState& state, int lane)
{
    const Complex u = draw_();
    StartLane(params_, hex_, state, lane, u.re, u.im);
}

// The fresh lanes warm up together; the others' results of that run are dropped.
void LaneOrbits::RestartEscaped()
{
    if (last_ < 0) return;
    LaneState fresh = state_;
    bool any = false;
    for (int lane = 0; lane < lanes_; ++lane) {
        if (std::isfinite(plotX_[last_ + lane]) && std::isfinite(plotY_[last_ + lane])) continue;
        Start(fresh, lane);
        any = true;
    }
    if (!any) return;
    LaneState warm = fresh;
    StepLanes(path_, params_, warm, warmUpSteps_, nullptr, nullptr);
    for (int lane = 0; lane < lanes_; ++lane) {
        if (std::isfinite(plotX_[last_ + lane]) && std::isfinite(plotY_[last_ + lane])) continue;
        state_.re[lane] = warm.re[lane];
        state_.im[lane] = warm.im[lane];
        state_.tile[lane] = warm.tile[lane];
    }
    last_ = -1;
}

}  // namespace tilvex::studio
