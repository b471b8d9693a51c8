#pragma once

namespace tilvex::studio {

// Asks for the cache line holding p, soon to be written. An asm statement
// rather than __builtin_prefetch: the compiler takes a small function that only
// prefetches for one without effects and drops every call of it.
inline void PrefetchLine(const void* p)
{
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
    __builtin_prefetch(p, 1);
#endif
}

}  // namespace tilvex::studio
