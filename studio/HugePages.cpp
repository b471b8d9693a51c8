#include "studio/HugePages.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace tilvex::studio {

namespace {
constexpr std::size_t kHugePage = 2u << 20, kLine = 64;
}

void FreeStorage::operator()(void* p) const { std::free(p); }

void* ZeroedScatterBytes(std::size_t bytes)
{
    if (bytes == 0) return nullptr;
    const std::size_t align = bytes >= kHugePage ? kHugePage : kLine;
    const std::size_t rounded = (bytes + align - 1) / align * align;
    void* p = std::aligned_alloc(align, rounded);
    if (!p) throw std::bad_alloc();
    if (align == kHugePage) (void)::madvise(p, rounded, MADV_HUGEPAGE);
    std::memset(p, 0, rounded);
    return p;
}

}  // namespace tilvex::studio
