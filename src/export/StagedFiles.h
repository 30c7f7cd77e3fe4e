#pragma once
// A set of output files written under temporary names beside their targets and
// renamed into place together at the end, so a failed export leaves no part of
// a file behind and the files already there untouched.

#include <string>
#include <vector>

namespace tessaro {

class StagedFiles {
public:
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    // Whatever was not committed is removed, and so are folders made for it.
    ~StagedFiles();

    // Makes `folder` (one level) unless it exists; false with the reason.
    bool prepareFolder(const std::string& folder, std::string& error);

    // An empty temporary file in the target's folder to write instead of
    // `target`, or "" with the reason in `error`.
    std::string stage(const std::string& target, std::string& error);

    // Renames every staged file onto its target. False with the reason when a
    // rename failed; the files not yet renamed are removed.
    bool commit(std::string& error);

    // The targets in the order they were staged.
    std::vector<std::string> targets() const;

private:
    struct Entry {
        std::string temp, target;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> madeFolders_;
    bool committed_ = false;
};

}  // namespace tessaro
