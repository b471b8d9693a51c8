#include "ui/IdleDriver.h"

#include "engine/TilvexApp.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace tilvex::ui {

namespace {
// Steps between two looks at the clock: a clock read costs about as much as a
// step, so reading it every step would cut the speed noticeably.
constexpr int kStepsPerClockRead = 64;

// Code run by the event loop (in Qt and the libraries below it) can leave the
// upper halves of the AVX registers in use; every SSE instruction of a step
// then pays a transition penalty, making the steps several times slower than
// in the command-line program. Clearing them once per slice avoids that.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void ZeroUpperAvx() { _mm256_zeroupper(); }
const bool kHasAvx = __builtin_cpu_supports("avx");
void ClearUpperVectorState()
{
    if (kHasAvx) ZeroUpperAvx();
}
#else
void ClearUpperVectorState() {}
#endif
}  // namespace

IdleDriver::IdleDriver(CTilvexApp& app, QObject* parent) : QObject(parent), app_(app)
{
    // A zero-interval timer fires only once the window system's events are done.
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &IdleDriver::RunSlice);
}

void IdleDriver::Start()
{
    started_ = true;
    Wake();
}

void IdleDriver::Wake()
{
    if (!started_ || holds_ > 0 || inSlice_ || timer_.isActive()) return;
    askingSince_ = std::chrono::steady_clock::now();
    timer_.start();
}

void IdleDriver::Hold()
{
    ++holds_;
    if (timer_.isActive()) {
        timer_.stop();
        askingTotal_ += std::chrono::steady_clock::now() - askingSince_;
    }
}

void IdleDriver::Release()
{
    if (holds_ > 0 && --holds_ == 0) Wake();
}

double IdleDriver::SecondsAsking() const
{
    auto total = askingTotal_;
    if (timer_.isActive()) total += std::chrono::steady_clock::now() - askingSince_;
    return std::chrono::duration<double>(total).count();
}

void IdleDriver::RunSlice()
{
    // Stopped for the slice: a step may open a modal dialog whose event loop
    // would otherwise run slices inside this one.
    timer_.stop();
    inSlice_ = true;
    ClearUpperVectorState();
    auto now = std::chrono::steady_clock::now();
    const auto deadline = now + slice_;
    bool stopped = false;
    long long steps = 0;
    for (;;) {
        for (int i = 0; i < kStepsPerClockRead; ++i) {
            app_.OnIdle();
            ++steps;
            if (app_.run.limitReached) {
                stopped = true;
                break;
            }
        }
        if (stopped || holds_ > 0) break;
        now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
    }
    steps_ += steps;
    inSlice_ = false;
    // The last clock read is recent enough to pace the progress reports.
    if (now - lastProgress_ >= progressInterval_) {
        lastProgress_ = now;
        emit progress();
    }
    if (!stopped && holds_ == 0) {
        timer_.start();
        return;
    }
    askingTotal_ += std::chrono::steady_clock::now() - askingSince_;
    if (stopped) emit generationStopped();
}

}  // namespace tilvex::ui
