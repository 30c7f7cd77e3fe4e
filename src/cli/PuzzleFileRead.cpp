#include "cli/PuzzleFileRead.h"

#include "cli/FileReportCapture.h"
#include "files/PuzzleFile.h"

namespace tessaro::cli {

std::optional<LoadedPuzzle> readPuzzleFile(const std::string& path, std::string& error)
{
    // The reader reports through the critical-message handler; keep its text for our one line.
    LoadedPuzzle loaded;
    std::string version;
    std::string reported;
    {
        const FileReportCapture capture;
        version = fncFile_get(loaded.puzzle, path);
        reported = capture.text();
    }

    if (version == kNgVersion) {
        error = path + ": バージョンが特定できませんでした。（パズルファイルではありません）";
        return std::nullopt;
    }
    if (version.empty()) {
        error = path + ": 読み出せませんでした（" + reported + "）";
        return std::nullopt;
    }
    loaded.version = version;
    return loaded;
}

}  // namespace tessaro::cli
