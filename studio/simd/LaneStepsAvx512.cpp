// The AVX-512 kernels: built with AVX-512 code generation, run only where the
// processor has it.
#include "studio/simd/LaneVectorAvx512.h"
#include "studio/simd/LaneKernels.h"

namespace tilvex::studio {

void StepLanesAvx512(const LaneParams& params, LaneState& state, int steps, double* plotX, double* plotY)
{
    LaneKernels<V8>::Steps(params, state, steps, plotX, plotY);
}

}  // namespace tilvex::studio
