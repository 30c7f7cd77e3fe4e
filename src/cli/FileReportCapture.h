#pragma once
// The first failure the file procedures report while this lives, as one text
// for the command's own line ("Line 110:ディスクの…"); the critical-message
// handler is put back at the end.

#include "app/AppEnv.h"

#include <string>

namespace tessaro::cli {

class FileReportCapture {
public:
    FileReportCapture() {
        setMessageHandler([this](const std::string&, const std::string& text) {
            if (!text_.empty()) return;
            text_ = text.starts_with("Error ") ? text.substr(6) : text;
        });
    }
    ~FileReportCapture() { setMessageHandler(nullptr); }
    FileReportCapture(const FileReportCapture&) = delete;
    FileReportCapture& operator=(const FileReportCapture&) = delete;

    const std::string& text() const { return text_; }

private:
    std::string text_;
};

}  // namespace tessaro::cli
