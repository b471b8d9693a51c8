#pragma once

#include <csignal>
#include <stop_token>
#include <thread>

namespace tilvex::cli {

// Turns Ctrl+C (SIGINT) and SIGTERM into a stop request for as long as it
// lives, so long work ends through its stop token and cleans up after itself
// instead of dying mid-write. The previous handlers come back afterwards.
class InterruptStop {
public:
    InterruptStop();
    ~InterruptStop();
    InterruptStop(const InterruptStop&) = delete;
    InterruptStop& operator=(const InterruptStop&) = delete;

    std::stop_token Token() const { return source_.get_token(); }
    bool Interrupted() const;

private:
    std::stop_source source_;
    struct sigaction previousInt_ {}, previousTerm_ {};
    std::jthread watcher_;
};

}  // namespace tilvex::cli
