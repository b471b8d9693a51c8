#pragma once

#include <cstdint>
#include <functional>

#include "core/Complex.h"
#include "studio/LaneSteps.h"

namespace tilvex::studio {

// A chunk's orbits in the lanes of one vector path: lane l starts from the
// l-th point drawn, skips the warm-up steps, and is drawn again should it escape.
class LaneOrbits {
public:
    using DrawStart = std::function<Complex()>;  // a unit point

    LaneOrbits(const LaneParams& params, const HexMap& hex, SimdPath path, int warmUpSteps, DrawStart draw);

    int Lanes() const { return lanes_; }

    // Hands the next `samples` unit-square positions, lane by lane within each
    // step, to visit(u, v). A step's positions left over when the count runs
    // out mid-step are handed out first by the next call.
    template <class Visit>
    void Run(std::uint64_t samples, Visit&& visit)
    {
        for (; samples > 0 && next_ < stepped_; --samples, ++next_) visit(plotX_[next_], plotY_[next_]);
        while (samples > 0) {
            const std::uint64_t steps = std::min<std::uint64_t>(kBlock, (samples + lanes_ - 1) / lanes_);
            StepLanes(path_, params_, state_, static_cast<int>(steps), plotX_, plotY_);
            const std::uint64_t count = std::min<std::uint64_t>(samples, steps * lanes_);
            for (std::uint64_t i = 0; i < count; ++i) visit(plotX_[i], plotY_[i]);
            samples -= count;
            last_ = static_cast<int>(steps - 1) * lanes_;
            next_ = static_cast<int>(count);
            stepped_ = static_cast<int>(steps) * lanes_;
        }
    }

    // Lanes whose latest position escaped start afresh. Called between whole
    // steps (no positions left over).
    void RestartEscaped();

private:
    static constexpr int kBlock = 128;

    void Start(LaneState& state, int lane);

    const LaneParams& params_;
    const HexMap& hex_;
    SimdPath path_;
    int lanes_;
    int warmUpSteps_;
    DrawStart draw_;
    LaneState state_;
    int last_ = -1;    // the latest step's first position in the plot arrays
    int next_ = 0;     // the first position not handed out yet
    int stepped_ = 0;  // positions the latest StepLanes call made
    alignas(64) double plotX_[kBlock * kMaxLanes];
    alignas(64) double plotY_[kBlock * kMaxLanes];
};

}  // namespace tilvex::studio
