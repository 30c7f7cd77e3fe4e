#pragma once
// Temporary folders, whole-file reads and a captured message handler for the core's tests.

#include "app/AppEnv.h"
#include "app/ErrLog.h"
#include "files/FileReport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace tessaro::test {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tessaro-test-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // With the trailing '/', as G_sApp_Path holds it.
    std::string folder() const { return path_ + "/"; }

private:
    std::string path_;
};

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Message {
    std::string title, text;
};

// Collects the core's critical messages while alive; the program folder points at a temp dir.
class CapturedMessages {
public:
    explicit CapturedMessages(const std::string& appFolder) : oldApp_(G_sApp_Path)
    {
        G_sApp_Path = appFolder;
        setMessageHandler([this](const std::string& t, const std::string& x) { list.push_back({t, x}); });
        logFileErrors();
    }
    ~CapturedMessages()
    {
        setMessageHandler(nullptr);
        setFileErrorReport(nullptr);
        G_sApp_Path = oldApp_;
    }
    std::vector<Message> list;

private:
    std::string oldApp_;
};

}  // namespace tessaro::test
