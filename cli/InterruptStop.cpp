#include "cli/InterruptStop.h"

#include <atomic>
#include <chrono>

namespace tilvex::cli {

namespace {

// A signal handler may only touch lock-free atomics; a watcher passes the request on.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) { interrupted.store(true); }

}  // namespace

InterruptStop::InterruptStop()
{
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
    watcher_ = std::jthread([this](std::stop_token done) {
        while (!done.stop_requested()) {
            if (interrupted.load()) {
                source_.request_stop();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

InterruptStop::~InterruptStop()
{
    watcher_.request_stop();
    watcher_.join();
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool InterruptStop::Interrupted() const { return interrupted.load(); }

}  // namespace tilvex::cli
