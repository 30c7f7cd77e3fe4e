#include "cli/StopSignals.h"

namespace tessaro::cli {

namespace {

std::atomic<bool> g_stopped{false};
std::atomic<int> g_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void onStopSignal(int signo) {
    g_signal.store(signo);
    g_stopped.store(true);
}

}  // namespace

StopSignals::StopSignals(std::initializer_list<int> signals) {
    g_stopped.store(false);
    g_signal.store(0);
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    for (int s : signals) {
        struct sigaction old {};
        sigaction(s, &sa, &old);
        previous_.emplace_back(s, old);
    }
}

StopSignals::~StopSignals() {
    for (const auto& [s, old] : previous_) sigaction(s, &old, nullptr);
}

const std::atomic<bool>& StopSignals::stopped() { return g_stopped; }

int StopSignals::signal() { return g_signal.load(); }

}  // namespace tessaro::cli
