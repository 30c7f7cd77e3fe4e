#include "analysis/WorkerThreads.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tessaro::analysis {

int workerThreads(int threads) { return threads > 0 ? threads : int(std::max(1u, std::thread::hardware_concurrency())); }

void runWorkers(int threads, const std::function<void(int thread)>& work, double interval,
                const std::function<void()>& watch) {
    std::vector<std::thread> pool;
    if (!watch) {
        for (int t = 1; t < threads; ++t) pool.emplace_back(work, t);
        work(0);
        for (std::thread& t : pool) t.join();
        return;
    }
    std::mutex mutex;
    std::condition_variable wake;
    int running = threads;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            work(t);
            std::lock_guard lock(mutex);
            --running;
            wake.notify_all();
        });
    {
        std::unique_lock lock(mutex);
        while (running > 0) {
            wake.wait_for(lock, std::chrono::duration<double>(interval));
            if (running == 0) break;
            lock.unlock();
            watch();
            lock.lock();
        }
    }
    for (std::thread& t : pool) t.join();
}

}  // namespace tessaro::analysis
