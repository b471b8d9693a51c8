#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace tilvex::ui {

// The desktop program's one way to work in the background: one piece of work
// at a time on a thread of its own. A new request stops the work in progress
// and replaces a request still waiting, so a burst of requests (a drag, a
// resize) ends in one piece of work for the newest. What the work hands back
// reaches the GUI thread by queued calls, and calls from work that has been
// superseded or cancelled by then are dropped, so stale results never land.
class BackgroundRunner : public QObject {
    Q_OBJECT
public:
    // What the work is given: its stop token, and a way to the GUI thread.
    class Task {
    public:
        std::stop_token Stop() const { return stop_; }
        bool Stopped() const { return stop_.stop_requested(); }
        // Runs onGui on the GUI thread soon, unless this work is stale by then.
        void Post(std::function<void()> onGui) const;

    private:
        friend class BackgroundRunner;
        Task(BackgroundRunner& runner, std::stop_token stop, std::uint64_t ticket)
            : runner_(runner), stop_(std::move(stop)), ticket_(ticket)
        {
        }
        BackgroundRunner& runner_;
        std::stop_token stop_;
        std::uint64_t ticket_;
    };
    using Work = std::function<void(const Task& task)>;

    explicit BackgroundRunner(QObject* parent = nullptr);
    // Stops the work and waits for it; work must look at its stop token often.
    ~BackgroundRunner() override;

    void Submit(Work work);
    // Stops the work in progress, drops the one waiting and whatever either posts from now on.
    void Cancel();
    // Work running or waiting (its posts may still be on their way).
    bool Busy() const;

signals:
    // The runner has nothing left to do.
    void idle();

private:
    void Loop(std::stop_token quit);

    mutable std::mutex lock_;
    std::condition_variable_any wake_;
    std::optional<Work> waiting_;
    std::stop_source running_;
    bool working_ = false;
    std::uint64_t latest_ = 0;  // the ticket of the newest request; older tickets are stale
    std::jthread thread_;
};

}  // namespace tilvex::ui
