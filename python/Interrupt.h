#pragma once

#include <chrono>
#include <future>
#include <stop_token>
#include <thread>
#include <type_traits>

#include <pybind11/pybind11.h>

namespace tilvex::python {

// Runs work(stop) on a thread of its own while the caller waits without the
// GIL, so other Python threads run meanwhile. Every few milliseconds the
// caller takes the GIL to let Python handle its signals: Ctrl+C stops the
// work through its token and raises KeyboardInterrupt once it has ended.
// The work must not touch Python objects without taking the GIL itself.
template <class Work>
auto RunInterruptibly(Work&& work) -> std::invoke_result_t<Work, std::stop_token>
{
    using Result = std::invoke_result_t<Work, std::stop_token>;
    std::stop_source stop;
    std::packaged_task<Result(std::stop_token)> task(std::forward<Work>(work));
    std::future<Result> result = task.get_future();
    bool interrupted = false;
    {
        pybind11::gil_scoped_release released;
        std::thread worker(std::move(task), stop.get_token());
        while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            pybind11::gil_scoped_acquire held;
            if (PyErr_CheckSignals() != 0) {
                interrupted = true;
                stop.request_stop();
                break;
            }
        }
        worker.join();
    }
    if (interrupted) throw pybind11::error_already_set();
    return result.get();
}

}  // namespace tilvex::python
