#pragma once
// The cube-grid puzzle files that puzzle designers share (.xmpuzzle: XML of
// voxel shapes and problems, usually gzip-compressed), read into and written
// from the puzzle model.

#include "model/Puzzle.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::formats {

struct XmReadResult {
    std::optional<Puzzle> puzzle;  // set up as a made puzzle: blocks in their cubes' corners
    std::string error;             // one line saying what does not fit, when there is no puzzle
    // Names of the file's problems, so a caller can offer a choice when there are several.
    std::vector<std::string> problems;
    bool needsProblemChoice = false;
};

// `problem` counts from 1; 0 takes the only problem there is.
XmReadResult readXmPuzzle(std::string_view bytes, int problem);
XmReadResult readXmPuzzleFile(const std::string& path, int problem);

// The puzzle as one problem: the box as the result shape (every cell required,
// or every cell allowed to stay empty when the blocks have fewer cells), the
// blocks as shapes, identical ones as one shape with a count. `current` takes
// the blocks as they stand instead of as made. Empty when there is no block.
std::string xmPuzzleText(const Puzzle& p, bool current);

// The file's bytes: gzip-compressed unless the name ends in ".xml".
std::string xmPuzzleBytes(const Puzzle& p, bool current, const std::string& fileName);

bool isXmPuzzleName(const std::string& fileName);

}  // namespace tessaro::formats
