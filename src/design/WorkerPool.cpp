#include "design/WorkerPool.h"

#include "analysis/WorkerThreads.h"

#include <algorithm>

namespace tessaro::design {

WorkerPool::WorkerPool(int threads, double seconds, const DesignControl& control)
    : threads_(threads > 0 ? std::min(threads, 64) : analysis::workerThreads(0)),
      limit_(seconds), control_(control), start_(std::chrono::steady_clock::now()) {}

double WorkerPool::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void WorkerPool::run(const std::function<void(const std::atomic<bool>& stop)>& work,
                     const std::function<DesignProgress()>& snapshot) {
    run([&](int, const std::atomic<bool>& stop) { work(stop); }, snapshot);
}

void WorkerPool::stopThread(int thread) { stops_[size_t(thread)].store(true); }

void WorkerPool::run(const std::function<void(int thread, const std::atomic<bool>& stop)>& work,
                     const std::function<DesignProgress()>& snapshot) {
    stops_ = std::make_unique<std::atomic<bool>[]>(size_t(threads_));
    for (int t = 0; t < threads_; ++t) stops_[size_t(t)] = false;
    bool stop = false;
    const auto stopAll = [&] {
        stop = true;
        for (int t = 0; t < threads_; ++t) stops_[size_t(t)] = true;
    };
    const double interval = std::max(0.01, control_.progressInterval);
    double lastShown = 0;
    analysis::runWorkers(
        threads_, [&](int t) { work(t, stops_[size_t(t)]); }, std::min(interval, 0.05), [&] {
            const double now = seconds();
            if (!stop && control_.cancel != nullptr && control_.cancel->load()) cancelled_ = true, stopAll();
            if (!stop && limit_ > 0 && now >= limit_) timedOut_ = true, stopAll();
            if (control_.progress && now - lastShown >= interval) {
                lastShown = now;
                DesignProgress p = snapshot();
                p.seconds = now;
                control_.progress(p);
            }
        });
}

}  // namespace tessaro::design
