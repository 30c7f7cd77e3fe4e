#pragma once
// The files of one export, made in memory and handed together to the safe
// writer (files/SaveFile.h): every target is checked and written beside itself
// before the first is replaced, so a failed export leaves every old file as it
// was and no part of a new one behind.

#include <string>
#include <vector>

namespace tessaro {

class StagedFiles {
public:
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    // Unless committed, folders made for the set are removed again.
    ~StagedFiles();

    // Makes `folder` and any missing on the way, as mkdir -p does; false with the reason.
    bool prepareFolder(const std::string& folder, std::string& error);

    // `bytes` to be written to `target` on commit.
    void add(const std::string& target, std::string bytes);

    // Writes every file or none. False with the reason, which names the target.
    bool commit(std::string& error);

    // The targets in the order they were added.
    std::vector<std::string> targets() const;

private:
    struct Entry {
        std::string target, bytes;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> madeFolders_;
    bool committed_ = false;
};

// Why a target could not be written, in the program's words, naming the target.
std::string exportFileError(const std::string& target, const std::string& why);

// One file through the safe writer; false with the reason in `error`.
bool saveExportFile(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace tessaro
