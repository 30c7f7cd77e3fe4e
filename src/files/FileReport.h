#pragma once
// How the file procedures reach the program around them. They sit below the
// program's start-up and error log, so the program hands them a reporter
// (the error log's logFileErrors); until it does, a failed step goes to stderr.

#include "files/FileError.h"

#include <functional>
#include <string>

namespace tessaro {

// `procedure` is the name logged for the failure, ending with a blank
// ("frmMain.subFile_put() ").
using FileErrorReport = std::function<void(const std::string& procedure, const FileError& error)>;
// nullptr: back to stderr.
void setFileErrorReport(FileErrorReport report);
void reportFileError(const std::string& procedure, const FileError& error);

// The version text a saved record begins with: " Ver " and the program's version numbers.
std::string recordVersionText();

}  // namespace tessaro
