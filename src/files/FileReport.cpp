#include "files/FileReport.h"

#include <iostream>
#include <utility>

namespace tessaro {

namespace {

FileErrorReport& reportSlot()
{
    static FileErrorReport report;
    return report;
}

}  // namespace

void setFileErrorReport(FileErrorReport report) { reportSlot() = std::move(report); }

void reportFileError(const std::string& procedure, const FileError& error)
{
    if (const FileErrorReport& report = reportSlot()) {
        report(procedure, error);
        return;
    }
    std::cerr << procedure << error.number << ": Line " << error.label << ":" << error.description << "\n";
}

std::string recordVersionText()
{
    return " Ver " + std::to_string(TESSARO_VERSION_MAJOR) + "." + std::to_string(TESSARO_VERSION_MINOR) + "." +
           std::to_string(TESSARO_VERSION_PATCH);
}

}  // namespace tessaro
