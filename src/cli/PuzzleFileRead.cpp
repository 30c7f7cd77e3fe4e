#include "cli/PuzzleFileRead.h"

#include "app/AppEnv.h"
#include "files/PuzzleFile.h"

namespace tessaro::cli {

std::optional<LoadedPuzzle> readPuzzleFile(const std::string& path, std::string& error)
{
    // The reader reports through the critical-message handler; keep its text for our one line.
    std::string reported;
    setMessageHandler([&reported](const std::string&, const std::string& text) {
        if (reported.empty())
            reported = text;
    });
    LoadedPuzzle loaded;
    std::string version = fncFile_get(loaded.puzzle, path);
    setMessageHandler(nullptr);

    if (version == kNgVersion) {
        error = path + ": バージョンが特定できませんでした。（パズルファイルではありません）";
        return std::nullopt;
    }
    if (version.empty()) {
        if (reported.starts_with("Error "))
            reported.erase(0, 6);
        error = path + ": 読み出せませんでした（" + reported + "）";
        return std::nullopt;
    }
    loaded.version = version;
    return loaded;
}

}  // namespace tessaro::cli
