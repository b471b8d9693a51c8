// The AVX-512 kernels: built with AVX-512 code generation, run only where the
// processor has it. A batch is one vector.
#include "studio/simd/LaneVectorAvx512.h"
#include "studio/simd/LaneKernels.h"

namespace tilvex::studio {

const LaneKernelTable& Avx512Kernels()
{
    static const LaneKernelTable table = KernelTable<V8, 1, V8Exact, V8Fast>();
    return table;
}

}  // namespace tilvex::studio
