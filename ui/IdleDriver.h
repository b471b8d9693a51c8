#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::ui {

// Runs the generation in idle time: whenever the event queue is empty, calls
// the application's OnIdle (one step per call) for a short time slice, then
// returns to the event loop. Stops asking once the generation has reached its
// limit; Wake() asks again after anything that may have made steps possible.
class IdleDriver : public QObject {
    Q_OBJECT
public:
    explicit IdleDriver(CTilvexApp& app, QObject* parent = nullptr);

    // Nothing happens before Start(); afterwards it behaves like Wake().
    void Start();
    void Wake();
    // While held (a command is running, possibly inside a modal loop), no
    // steps are taken. Holds nest.
    void Hold();
    void Release();

    bool IsAsking() const { return timer_.isActive(); }
    bool IsStarted() const { return started_; }
    long long StepsTaken() const { return steps_; }
    // Seconds spent inside slices, the event loop between them included.
    double SecondsAsking() const;
    void SetSlice(std::chrono::microseconds slice) { slice_ = slice; }
    void SetProgressInterval(std::chrono::microseconds interval) { progressInterval_ = interval; }

signals:
    // Generation reached its limit; no more idle time is asked for.
    void generationStopped();
    // At the end of a slice, at most once per progress interval.
    void progress();

private:
    void RunSlice();

    CTilvexApp& app_;
    QTimer timer_;
    std::chrono::microseconds slice_{10000};
    std::chrono::microseconds progressInterval_{250000};
    std::chrono::steady_clock::time_point lastProgress_{};
    bool started_ = false;
    bool inSlice_ = false;
    int holds_ = 0;
    long long steps_ = 0;
    std::chrono::steady_clock::time_point askingSince_{};
    std::chrono::steady_clock::duration askingTotal_{};
};

// Holds the driver for the lifetime of the scope.
class IdleHold {
public:
    explicit IdleHold(IdleDriver* driver) : driver_(driver)
    {
        if (driver_) driver_->Hold();
    }
    ~IdleHold()
    {
        if (driver_) driver_->Release();
    }
    IdleHold(const IdleHold&) = delete;
    IdleHold& operator=(const IdleHold&) = delete;

private:
    IdleDriver* driver_;
};

}  // namespace tilvex::ui
