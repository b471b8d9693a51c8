#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "studio/LaneSteps.h"

namespace tilvex::studio {

// What bounds a lane step's speed in practice: the library calls it makes.
// A tape holds the calls of some steps with their arguments, so that they can
// be made again with nothing else around them.
enum LaneCall { kCallSin, kCallSinCos, kCallAtan2, kCallPow, kCallFmod, kLaneCalls };

template <class T>
struct CacheAligned {
    using value_type = T;
    CacheAligned() = default;
    template <class U>
    CacheAligned(const CacheAligned<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t(64))); }
    void deallocate(T* p, std::size_t) { ::operator delete(p, std::align_val_t(64)); }
    friend bool operator==(CacheAligned, CacheAligned) { return true; }
};

struct LaneCallTape {
    SimdPath path = SimdPath::Scalar;
    int steps = 0;
    // Each call's arguments, one vector of the path after another (a one-argument call's twice).
    std::vector<double, CacheAligned<double>> first[kLaneCalls], second[kLaneCalls];
};

// The exact library calls of `steps` steps of every lane from `state`, on a resolved path.
LaneCallTape RecordLaneCalls(SimdPath path, const LaneParams& params, LaneState state, int steps);
// Makes the tape's calls again; returns a sum of their results, to be kept from the optimiser.
double ReplayLaneCalls(const LaneCallTape& tape);

}  // namespace tilvex::studio
