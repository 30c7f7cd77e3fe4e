#include "cli/StopSignals.h"

namespace tessaro::cli {

namespace {

std::atomic<bool> g_stopped{false};
std::atomic<int> g_signal{0};
std::atomic<int> g_holds{0};
std::atomic<int> g_pending{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

// Only async-signal-safe calls: sigaction and raise.
void endBySignal(int signo) {
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    sigaction(signo, &sa, nullptr);
    raise(signo);
}

extern "C" void onStopSignal(int signo) {
    if (!g_stopped.exchange(true)) {
        g_signal.store(signo);
        return;
    }
    if (g_holds.load() > 0) {
        g_pending.store(signo);
        return;
    }
    endBySignal(signo);
}

}  // namespace

StopSignals::StopSignals(std::initializer_list<int> signals) {
    g_stopped.store(false);
    g_signal.store(0);
    g_pending.store(0);
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : signals) sigaddset(&sa.sa_mask, s);
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

int StopSignals::exitCode(int otherwise) {
    const int s = g_signal.load();
    return s != 0 ? 128 + s : otherwise;
}

WriteHold::WriteHold() { g_holds.fetch_add(1); }

WriteHold::~WriteHold() {
    if (g_holds.fetch_sub(1) == 1)
        if (const int s = g_pending.exchange(0); s != 0) endBySignal(s);
}

}  // namespace tessaro::cli
