#include "explore/SharedRand.h"

#include <chrono>

#include "core/StdRand.h"

namespace tilvex {

std::timed_mutex& SharedRandLock()
{
    static std::timed_mutex lock;
    return lock;
}

SharedRandTurn::SharedRandTurn(std::stop_token stop) : lock_(SharedRandLock(), std::defer_lock)
{
    using namespace std::chrono_literals;
    while (!stop.stop_requested())
        if (lock_.try_lock_for(20ms)) break;
    if (!lock_.owns_lock()) return;
    saved_ = RandState();
    srand(1);
}

SharedRandTurn::~SharedRandTurn()
{
    if (lock_.owns_lock()) srand(saved_);
}

}  // namespace tilvex
