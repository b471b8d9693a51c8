#include "ui/BackgroundRunner.h"

#include <QMetaObject>

namespace tilvex::ui {

void BackgroundRunner::Task::Post(std::function<void()> onGui) const
{
    BackgroundRunner* runner = &runner_;
    const std::uint64_t ticket = ticket_;
    QMetaObject::invokeMethod(
        runner,
        [runner, ticket, onGui = std::move(onGui)] {
            {
                std::lock_guard lock(runner->lock_);
                if (ticket != runner->latest_) return;
            }
            onGui();
        },
        Qt::QueuedConnection);
}

BackgroundRunner::BackgroundRunner(QObject* parent)
    : QObject(parent), thread_([this](std::stop_token quit) { Loop(quit); })
{
}

BackgroundRunner::~BackgroundRunner()
{
    {
        std::lock_guard lock(lock_);
        waiting_.reset();
        running_.request_stop();
        ++latest_;
    }
    thread_.request_stop();
    thread_.join();
}

void BackgroundRunner::Submit(Work work)
{
    {
        std::lock_guard lock(lock_);
        running_.request_stop();
        waiting_ = std::move(work);
        ++latest_;
    }
    wake_.notify_one();
}

void BackgroundRunner::Cancel()
{
    bool working = false;
    {
        std::lock_guard lock(lock_);
        running_.request_stop();
        waiting_.reset();
        ++latest_;
        working = working_;
    }
    if (!working) emit idle();
}

bool BackgroundRunner::Busy() const
{
    std::lock_guard lock(lock_);
    return working_ || waiting_.has_value();
}

void BackgroundRunner::Loop(std::stop_token quit)
{
    for (;;) {
        Work work;
        std::stop_source source;
        std::uint64_t ticket = 0;
        {
            std::unique_lock lock(lock_);
            wake_.wait(lock, quit, [this] { return waiting_.has_value(); });
            if (quit.stop_requested()) return;
            work = std::move(*waiting_);
            waiting_.reset();
            running_ = source;
            ticket = latest_;
            working_ = true;
        }
        work(Task(*this, source.get_token(), ticket));
        bool done = false;
        {
            std::lock_guard lock(lock_);
            working_ = false;
            done = !waiting_;
        }
        if (done) QMetaObject::invokeMethod(this, [this] { emit idle(); }, Qt::QueuedConnection);
    }
}

}  // namespace tilvex::ui
