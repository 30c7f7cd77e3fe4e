#pragma once
// The designer's loops on worker threads (analysis/WorkerThreads.h), watched from the calling thread:
// it stops them at the deadline or when the caller cancels, and passes progress
// on. Workers see one stop flag, which they also hand to every search.

#include "design/DesignRequest.h"

#include <chrono>
#include <functional>
#include <memory>

namespace tessaro::design {

class WorkerPool {
public:
    // threads 0: every core. seconds <= 0: no deadline.
    WorkerPool(int threads, double seconds, const DesignControl& control);

    int threads() const { return threads_; }
    // Runs `work` on every thread until all return; `snapshot` gives the figures for a progress call.
    void run(const std::function<void(const std::atomic<bool>& stop)>& work,
             const std::function<DesignProgress()>& snapshot);
    // The same with each thread's index (0..threads-1) and a stop flag of its own,
    // which stopThread raises and the pool raises for all at the end.
    void run(const std::function<void(int thread, const std::atomic<bool>& stop)>& work,
             const std::function<DesignProgress()>& snapshot);
    // Callable from any worker while run() is running.
    void stopThread(int thread);
    double seconds() const;
    bool cancelled() const { return cancelled_; }
    bool timedOut() const { return timedOut_; }

private:
    int threads_;
    double limit_;
    const DesignControl& control_;
    std::chrono::steady_clock::time_point start_;
    bool cancelled_ = false, timedOut_ = false;
    std::unique_ptr<std::atomic<bool>[]> stops_;
};

}  // namespace tessaro::design
