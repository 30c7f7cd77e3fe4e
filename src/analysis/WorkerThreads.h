#pragma once
// The engines' one way of searching on several threads: each worker runs the
// same function with its own index, and the calling thread either works too
// or watches (progress, cancel, deadline) while they run.

#include <functional>

namespace tessaro::analysis {

// threads <= 0: one per core.
int workerThreads(int threads);

// Runs work(0) .. work(threads - 1) at once and returns when all have returned.
// Without `watch` the calling thread runs work(0) itself. With it, the calling
// thread only calls watch() about every `interval` seconds (and not after the last
// worker has returned); it may read what the workers share, never wait on them.
void runWorkers(int threads, const std::function<void(int thread)>& work, double interval = 0,
                const std::function<void()>& watch = {});

}  // namespace tessaro::analysis
