#pragma once
// Saving bytes over a file without ever leaving it half written, and without
// replacing anything that is not a plain file the saver may write.

#include "files/FileError.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessaro {

// A stretch of the bytes and the step label in force while it is written.
struct LabelledStretch {
    size_t offset;
    size_t size;
    int label;
};

// Whether `path` may be saved to, checked without writing anything: a regular
// file with a write permission bit that the saver may write, or a new name in a
// folder with a write permission bit that the saver may write. Links are
// followed to the file they name (a dangling link, a loop, or in a sticky folder
// that everyone may write a link of someone other than the saver, the folder's
// owner or root, is refused). Pipes, devices, sockets and folders are refused.
// Refusals carry label 100.
std::optional<FileError> checkSaveTarget(const std::string& path);

// Saves `bytes` to `path` after checkSaveTarget. The bytes go to a temporary
// file beside the target, which takes the old file's permission bits, owner and
// group and is renamed over it. Where that cannot keep the file as it is (a
// hard-linked file, one whose owner the saver cannot give to a new file, a folder
// that refuses new files) the file is written in place, read back to check, and
// its old content put back if anything fails. A failure leaves the old file as
// it was and at most the one temporary file of this target, which the next save
// of it removes. A file-size limit makes the write fail instead of ending the
// program (SIGXFSZ is ignored from then on).
std::optional<FileError> saveBytes(const std::string& path, std::span<const uint8_t> bytes,
                                   std::span<const LabelledStretch> stretches);

// One file of a set saved together; `stretches` cover `bytes`.
struct FileToSave {
    std::string path;
    std::span<const uint8_t> bytes;
    std::span<const LabelledStretch> stretches;
};

struct SaveFailure {
    size_t index;  // of the file that failed or was refused
    FileError error;
};

// Saves every file as saveBytes does, or none: every target is checked and every
// file written beside its target before the first target is replaced, so a
// refusal or a failed write leaves all old files as they were. Files written in
// place go before the renames; when a later step fails they are put back, and
// renames done are undone (swapped back where the file system can swap).
std::optional<SaveFailure> saveFiles(std::span<const FileToSave> files);

// The one temporary name for a file name: short whatever the name's length
// (a hidden name with at most 32 bytes of the original and a hash of all of it).
std::string saveTempName(const std::string& fileName);

}  // namespace tessaro
