#include "app/ErrLog.h"

#include "app/AppEnv.h"
#include "files/FileReport.h"
#include "files/ShiftJis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace tessaro {

std::string errLogLine(const std::tm& when, const std::string& detail, const std::string& place)
{
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d %02d:%02d:%02d ", when.tm_year + 1900, when.tm_mon + 1,
                  when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    return stamp + place + " " + detail + "\r\n";
}

void appendErrLog(const std::string& detail, const std::string& place)
{
    try {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::string line = utf8ToCp932(errLogLine(local, detail, place));
        std::string file = G_sApp_Path + kErrLogFileName;
        // Never blocks: a pipe or device in the log's place must not hang the program.
        int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd < 0)
            return;
        struct stat st {};
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            // Over a file-size limit the write fails instead of the signal ending the program.
            std::signal(SIGXFSZ, SIG_IGN);
            // One write keeps the line whole even when two copies append at once.
            ssize_t written = write(fd, line.data(), line.size());
            (void)written;
        }
        close(fd);
    } catch (...) {
    }
}

void subErrLog_put(const std::string& detail, const std::string& place)
{
    try {
        showCriticalMessage(place, "Error " + detail);
    } catch (...) {
    }
    appendErrLog(detail, place);
}

void logStepError(const std::string& procedure, int errorNumber, int label, const std::string& description)
{
    subErrLog_put("Line " + std::to_string(label) + ":" + description, procedure + std::to_string(errorNumber));
}

void logFileErrors()
{
    setFileErrorReport([](const std::string& procedure, const FileError& e) {
        logStepError(procedure, e.number, e.label, e.description);
    });
}

}  // namespace tessaro
