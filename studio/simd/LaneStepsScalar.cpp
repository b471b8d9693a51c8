// The scalar kernels, lane after lane, with fused multiply-adds: built for
// them, run only where the processor has them (every one with AVX2 does).
#include "studio/simd/LaneVectorScalar.h"
#include "studio/simd/LaneKernels.h"

namespace tilvex::studio {

const LaneKernelTable& ScalarKernels()
{
    static const LaneKernelTable table = KernelTable<V1, 1, V1FmaExact, V1FmaFast>();
    return table;
}

}  // namespace tilvex::studio
