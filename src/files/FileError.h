#pragma once
// What the file procedures log for a failed step.

#include <exception>
#include <string>

namespace tessaro {

// A failed step: its label (100, 110, ..., 270, 9990), an error number and a
// Japanese description, as the error log records them.
struct FileError {
    int label = 0;
    int number = 0;
    std::string description;
};

// Anything else that goes wrong during a step (no memory, no code page 932
// converter): error 7 for memory, otherwise 51 with the exception's text.
FileError unexpectedFileError(int label, const std::exception& e);

// A system error (errno) during a step. Each kind of failure has one fixed
// error number, so log lines can be told apart by it.
FileError ioError(int label, int err, bool writing);

}  // namespace tessaro
