#pragma once

#include <cstdint>
#include <mutex>
#include <stop_token>

namespace tilvex {

// The program's rand is still one per process. A gallery quilt takes its turn
// on it under SharedRandLock(), from the state a fresh process starts with,
// and hands back the state it found, so quilts made on other threads, and
// the desktop program's own quilt, see the sequence they would see alone.
// The desktop program holds the lock while its own quilt steps or a command runs.
std::timed_mutex& SharedRandLock();

class SharedRandTurn {
public:
    // Waits for the lock until stop is requested; Acquired() tells which.
    explicit SharedRandTurn(std::stop_token stop);
    ~SharedRandTurn();
    SharedRandTurn(const SharedRandTurn&) = delete;
    SharedRandTurn& operator=(const SharedRandTurn&) = delete;

    bool Acquired() const { return lock_.owns_lock(); }

private:
    std::unique_lock<std::timed_mutex> lock_;
    std::uint32_t saved_ = 0;
};

}  // namespace tilvex
