// The AVX2 kernels: built with AVX2 code generation, run only where the
// processor has it.
#include "studio/simd/LaneVectorAvx2.h"
#include "studio/simd/LaneKernels.h"

namespace tilvex::studio {

void StepLanesAvx2(const LaneParams& params, LaneState& state, int steps, double* plotX, double* plotY)
{
    LaneKernels<V4>::Steps(params, state, steps, plotX, plotY);
}

}  // namespace tilvex::studio
