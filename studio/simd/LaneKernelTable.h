#pragma once
// The entry points of one path's kernels, each kernel file offering its own.

#include <cstdint>

#include "studio/LaneBound.h"
#include "studio/LaneSteps.h"

namespace tilvex::studio {

struct LaneKernelTable {
    void (*step)(const LaneParams& params, Precision precision, LaneState& state, int steps, const LaneSink& sink);
    void (*fold)(const LaneParams& params, LaneState& state);
    void (*colour)(ColorBy colorBy, LaneTrail& trail, const double* x, const double* y, int steps,
                   std::uint64_t* entries);
    void (*locate)(int resolution, const double* u, const double* v, std::uint64_t* visits);
    void (*record)(const LaneParams& params, LaneState& state, int steps, LaneCallTape& tape);
    double (*replay)(const LaneCallTape& tape);
};

const LaneKernelTable& ScalarKernels();       // processors with fused multiply-adds
const LaneKernelTable& ScalarPlainKernels();  // x86-64 processors without
const LaneKernelTable& Avx2Kernels();
const LaneKernelTable& Avx512Kernels();
// Those of a resolved path.
const LaneKernelTable& KernelsOf(SimdPath path);

}  // namespace tilvex::studio
