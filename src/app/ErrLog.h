#pragma once
// The error log: a critical message for the user and a line in
// Error_Log.TXT beside the program.

#include <ctime>
#include <string>

namespace tessaro {

inline constexpr const char* kErrLogFileName = "Error_Log.TXT";

// Shows "Error " + detail titled `place` through the message handler, then
// appends "yyyy/mm/dd hh:nn:ss " + place + " " + detail + CR LF in Shift-JIS to
// G_sApp_Path + "Error_Log.TXT". Never fails: trouble with the log is ignored.
void subErrLog_put(const std::string& detail, const std::string& place);

// The log line alone, for trouble the user need not be stopped for. Writes
// only to a regular file (a pipe or device in its place gets nothing) and
// never blocks.
void appendErrLog(const std::string& detail, const std::string& place);

// What the file procedures log: place = procedure + error number (the
// procedure's name ends with a blank, as "frmMain.subFile_put() "), detail =
// "Line " + step label + ":" + description.
void logStepError(const std::string& procedure, int errorNumber, int label, const std::string& description);

// From now on the file procedures' failed steps go through logStepError.
void logFileErrors();

// One log line (UTF-8) for the given local time.
std::string errLogLine(const std::tm& when, const std::string& detail, const std::string& place);

}  // namespace tessaro
