#pragma once
// While alive, the named signals stop the running search instead of the program,
// as STOP does in the window; a second one ends the program as usual (the
// handler resets itself). The handlers found before come back at the end.

#include <atomic>
#include <initializer_list>
#include <vector>

#include <signal.h>

namespace tessaro::cli {

class StopSignals {
public:
    explicit StopSignals(std::initializer_list<int> signals);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Set once one of the signals has come; a search's cancel flag.
    static const std::atomic<bool>& stopped();
    // The signal that came, 0 for none.
    static int signal();

private:
    std::vector<std::pair<int, struct sigaction>> previous_;
};

}  // namespace tessaro::cli
