#pragma once
// Designs written as Save As writes a made puzzle: the made cubes keep the
// blocks where they fill the body, the blocks are shuffled, the comment and the
// password given, the box empty. Names DIR/design-01.bin, design-02.bin, ...
// in the order found; an existing file is never replaced.

#include "design/Design.h"
#include "design/DesignRequest.h"

#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace tessaro::design {

std::string designFileName(const std::string& dir, size_t index);

// Why the folder takes no new design file (the first free name checked as a
// save checks its target), or nothing.
std::optional<std::string> folderRefusal(const std::string& dir);

// The puzzle as it is saved: shuffle and file key drawn from `seed`, so a seed gives the same bytes.
Puzzle designedPuzzle(const Design& d, const std::string& comment, const std::string& password);

// The default comment: box, blocks, empty cells and rating.
std::string defaultComment(const Design& d);

struct WrittenFile {
    std::string path;
    bool ok = false;
};

// Writes designs one at a time as they are found, each under the next name not
// yet taken (a name taken meanwhile is passed over, never replaced), through
// the one writer; a failure is reported through the file procedures' report.
class DesignWriter {
public:
    DesignWriter(std::string dir, std::optional<std::string> comment, std::string password)
        : dir_(std::move(dir)), comment_(std::move(comment)), password_(std::move(password)) {}
    WrittenFile write(const Design& d);

private:
    std::string dir_;
    std::optional<std::string> comment_;
    std::string password_;
    size_t next_ = 0;
};

// Writes every design through one DesignWriter.
std::vector<WrittenFile> writeDesigns(const std::vector<Design>& designs, const std::string& dir,
                                      const std::optional<std::string>& comment, const std::string& password);

}  // namespace tessaro::design
