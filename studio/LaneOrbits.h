#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/Complex.h"
#include "studio/ColorBy.h"
#include "studio/DensityBuffer.h"
#include "studio/LaneSteps.h"

namespace tilvex::studio {

// A chunk's kLanes orbits, stepped on one path: lane l starts from the l-th
// point drawn, skips the warm-up steps, and is drawn again should it escape.
class LaneOrbits {
public:
    using DrawStart = std::function<Complex()>;  // a unit point

    // Coloured, each visit carries the colour map entry of the step that made
    // it (DensityBuffer::kVisitEntryShift).
    LaneOrbits(const LaneParams& params, const HexMap& hex, SimdPath path, Precision precision, int resolution,
               int warmUpSteps, DrawStart draw, std::optional<ColorBy> colorBy = std::nullopt);

    // Hands the visits of the next `samples` positions to a buffer of the
    // resolution, packed (DensityBuffer::Unpack), lane by lane within each
    // step, to visit(packed). A step's visits left over when the count runs
    // out mid-step are handed out first by the next call.
    template <class Visit>
    void Run(std::uint64_t samples, Visit&& visit)
    {
        Hand(samples, [&](int i) { visit(Packed(i)); });
    }

    // Lanes whose latest position escaped start afresh. Called between whole
    // steps (no visits left over).
    void RestartEscaped();

private:
    static constexpr int kBlock = 128;

    template <class Each>
    void Hand(std::uint64_t samples, Each&& each)
    {
        for (; samples > 0 && next_ < stepped_; --samples, ++next_) each(next_);
        while (samples > 0) {
            const std::uint64_t steps = std::min<std::uint64_t>(kBlock, (samples + kLanes - 1) / kLanes);
            StepLanes(path_, precision_, params_, state_, static_cast<int>(steps), sink_);
            if (colorBy_) ColourLanes(path_, *colorBy_, trail_, plotX_, plotY_, static_cast<int>(steps), entries_);
            const std::uint64_t count = std::min<std::uint64_t>(samples, steps * kLanes);
            for (std::uint64_t i = 0; i < count; ++i) each(static_cast<int>(i));
            samples -= count;
            next_ = static_cast<int>(count);
            stepped_ = static_cast<int>(steps) * kLanes;
        }
    }

    // The lanes leave the packed visit in the low bits of a double's, and the
    // colour entry likewise.
    std::uint64_t Packed(std::uint64_t i) const
    {
        const std::uint64_t visit = visits_[i] & DensityBuffer::kNoVisit;
        return colorBy_ ? visit | (entries_[i] & 0xFF) << DensityBuffer::kVisitEntryShift : visit;
    }
    void Start(LaneState& state, int lane);

    const LaneParams& params_;
    const HexMap& hex_;
    SimdPath path_;
    Precision precision_;
    int warmUpSteps_;
    DrawStart draw_;
    LaneState state_;
    int next_ = 0;     // the first visit not handed out yet
    int stepped_ = 0;  // visits the latest StepLanes call made
    alignas(64) std::uint64_t visits_[kBlock * kLanes];
    std::optional<ColorBy> colorBy_;
    LaneTrail trail_;  // coloured: each lane's last position
    alignas(64) double plotX_[kBlock * kLanes];  // written only when coloured
    alignas(64) double plotY_[kBlock * kLanes];
    alignas(64) std::uint64_t entries_[kBlock * kLanes];  // likewise
    LaneSink sink_;
};

}  // namespace tilvex::studio
