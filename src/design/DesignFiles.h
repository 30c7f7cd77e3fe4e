#pragma once
// Designs written as Save As writes a made puzzle: the made cubes keep the
// blocks where they fill the body, the blocks are shuffled, the comment and the
// password given, the box empty. Names DIR/design-01.bin, design-02.bin, ...
// in the designs' order; an existing file is never replaced.

#include "design/DesignRequest.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaro::design {

std::string designFileName(const std::string& dir, size_t index);

// The first of the `count` names that already exists or cannot be written, with why.
std::optional<std::string> refusedTarget(const std::string& dir, size_t count, std::string& why);

// The puzzle as it is saved: shuffle and file key drawn from `seed`, so a seed gives the same bytes.
Puzzle designedPuzzle(const Design& d, const std::string& comment, const std::string& password);

// The default comment: box, blocks, empty cells and rating.
std::string defaultComment(const Design& d);

struct WrittenFile {
    std::string path;
    bool ok = false;
    std::string error;
};
// Writes every design; stops at the first failure.
std::vector<WrittenFile> writeDesigns(const std::vector<Design>& designs, const std::string& dir,
                                      const std::optional<std::string>& comment, const std::string& password);

}  // namespace tessaro::design
