// The scalar kernels for x86-64 processors without fused multiply-adds: the
// same code for the baseline machine, its few fused multiply-adds done in
// software, with SLEEF's functions for such machines.
#include "studio/simd/LaneVectorScalar.h"
#include "studio/simd/LaneKernels.h"

namespace tilvex::studio {

const LaneKernelTable& ScalarPlainKernels()
{
    static const LaneKernelTable table = KernelTable<V1, 1, V1PlainExact, V1PlainFast>();
    return table;
}

}  // namespace tilvex::studio
