// The AVX2 kernels: built with AVX2 code generation, run only where the
// processor has it. A batch is two vectors.
#include "studio/simd/LaneVectorAvx2.h"
#include "studio/simd/LaneKernels.h"

namespace tilvex::studio {

const LaneKernelTable& Avx2Kernels()
{
    static const LaneKernelTable table = KernelTable<V4, 2, V4Exact, V4Fast>();
    return table;
}

}  // namespace tilvex::studio
