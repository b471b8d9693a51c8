#include "studio/LaneBound.h"

#include "studio/simd/LaneKernelTable.h"

namespace tilvex::studio {

LaneCallTape RecordLaneCalls(SimdPath path, const LaneParams& params, LaneState state, int steps)
{
    LaneCallTape tape;
    tape.path = path;
    tape.steps = steps;
    KernelsOf(path).record(params, state, steps, tape);
    return tape;
}

double ReplayLaneCalls(const LaneCallTape& tape) { return KernelsOf(tape.path).replay(tape); }

}  // namespace tilvex::studio
