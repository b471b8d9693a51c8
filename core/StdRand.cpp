#include "core/StdRand.h"

namespace tilvex {

namespace {
std::uint32_t randState = 1;
}

int rand()
{
    randState = randState * 214013u + 2531011u;
    return static_cast<int>((randState >> 16) & 0x7FFFu);
}

void srand(std::uint32_t seed) { randState = seed; }

std::uint32_t RandState() { return randState; }

}  // namespace tilvex
