#include "design/WorkerPool.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tessaro::design {

WorkerPool::WorkerPool(int threads, double seconds, const DesignControl& control)
    : threads_(threads > 0 ? std::min(threads, 64) : int(std::max(1u, std::thread::hardware_concurrency()))),
      limit_(seconds), control_(control), start_(std::chrono::steady_clock::now()) {}

double WorkerPool::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void WorkerPool::run(const std::function<void(const std::atomic<bool>& stop)>& work,
                     const std::function<DesignProgress()>& snapshot) {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable wake;
    int running = threads_;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads_; ++t)
        pool.emplace_back([&] {
            work(stop);
            std::lock_guard lock(mutex);
            --running;
            wake.notify_all();
        });
    const double interval = std::max(0.01, control_.progressInterval);
    double lastShown = 0;
    {
        std::unique_lock lock(mutex);
        while (running > 0) {
            wake.wait_for(lock, std::chrono::duration<double>(std::min(interval, 0.05)));
            if (running == 0) break;
            const double now = seconds();
            if (!stop && control_.cancel != nullptr && control_.cancel->load()) cancelled_ = true, stop = true;
            if (!stop && limit_ > 0 && now >= limit_) timedOut_ = true, stop = true;
            if (control_.progress && now - lastShown >= interval) {
                lastShown = now;
                lock.unlock();
                DesignProgress p = snapshot();
                p.seconds = now;
                control_.progress(p);
                lock.lock();
            }
        }
    }
    for (std::thread& t : pool) t.join();
}

}  // namespace tessaro::design
