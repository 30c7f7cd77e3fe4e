#pragma once
// While alive, the named signals stop the running search instead of the program,
// as STOP does in the window; a second one ends the program as usual, but never
// while a file is being written (a WriteHold): then it ends the program as soon
// as the file is in place. The handlers found before come back at the end.

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
    // The exit code of a command stopped by a signal: 128 + the signal, as a
    // shell reports it; `otherwise` when none came.
    static int exitCode(int otherwise);

private:
    std::vector<std::pair<int, struct sigaction>> previous_;
};

// A file being written: a second signal waits until it is in place.
class WriteHold {
public:
    WriteHold();
    ~WriteHold();
    WriteHold(const WriteHold&) = delete;
    WriteHold& operator=(const WriteHold&) = delete;
};

}  // namespace tessaro::cli
