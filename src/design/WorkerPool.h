#pragma once
// Worker threads for the designer's loops, watched from the calling thread:
// it stops them at the deadline or when the caller cancels, and passes progress
// on. Workers see one stop flag, which they also hand to every search.

#include "design/DesignRequest.h"

#include <chrono>
#include <functional>

namespace tessaro::design {

class WorkerPool {
public:
    // threads 0: every core. seconds <= 0: no deadline.
    WorkerPool(int threads, double seconds, const DesignControl& control);

    int threads() const { return threads_; }
    // Runs `work` on every thread until all return; `snapshot` gives the figures for a progress call.
    void run(const std::function<void(const std::atomic<bool>& stop)>& work,
             const std::function<DesignProgress()>& snapshot);
    double seconds() const;
    bool cancelled() const { return cancelled_; }
    bool timedOut() const { return timedOut_; }

private:
    int threads_;
    double limit_;
    const DesignControl& control_;
    std::chrono::steady_clock::time_point start_;
    bool cancelled_ = false, timedOut_ = false;
};

}  // namespace tessaro::design
