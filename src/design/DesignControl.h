#pragma once
// How a caller steers a design search on a worker thread: a cancel flag in,
// progress and each design as it is found out.

#include "design/Design.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace tessaro::design {

struct DesignProgress {
    uint64_t tried = 0;  // candidates judged
    int found = 0;
    int bestRating = 0;  // 0 while nothing was found
    double seconds = 0;
    int depth = 0;  // nearest unique variants: cells moved in the candidates now judged
};

struct DesignControl {
    const std::atomic<bool>* cancel = nullptr;
    // Called on the calling thread about every progressInterval seconds.
    std::function<void(const DesignProgress&)> progress;
    double progressInterval = 0.25;
    // Each design as soon as it is accepted, at most the count asked for, so a
    // caller can keep it before the search ends (maybe on a worker thread, one call at a time).
    std::function<void(const Design&)> found;
};

}  // namespace tessaro::design
