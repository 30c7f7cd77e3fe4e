#include "design/DesignFiles.h"

#include "analysis/PackingPlace.h"
#include "design/SplitMix.h"
#include "design/CandidateJudge.h"
#include "files/PuzzleFile.h"
#include "files/SaveFile.h"

#include <sys/stat.h>

#include <bit>
#include <cstdio>

namespace tessaro::design {

std::string designFileName(const std::string& dir, size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "design-%02zu.bin", index + 1);
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::optional<std::string> refusedTarget(const std::string& dir, size_t count, std::string& why) {
    for (size_t i = 0; i < count; ++i) {
        const std::string path = designFileName(dir, i);
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0) {
            why = "ファイルが既にあります（置き換えません）";
            return path;
        }
        if (const auto refused = checkSaveTarget(path)) {
            why = refused->description;
            return path;
        }
    }
    return std::nullopt;
}

Puzzle designedPuzzle(const Design& d, const std::string& comment, const std::string& password) {
    Puzzle p = puzzleFromBlocks(d.box, d.blocks);
    SeededUniform rnd(attemptSeed(d.seed ^ 0x5EED5EED5EED5EEDull, d.attempt));
    subPiece_ShuffleAll(p, rnd);
    p.G_iCell_Filled = 0;
    p.G_sComment = comment;
    p.G_sPassword = password;
    return p;
}

std::string defaultComment(const Design& d) {
    int blocks = 0, cells = 0;
    for (uint64_t m : d.blocks) blocks += m != 0 ? 1 : 0, cells += std::popcount(m);
    std::string text = std::to_string(d.box.x) + "x" + std::to_string(d.box.y) + "x" + std::to_string(d.box.z) + " " +
                       std::to_string(blocks) + "ブロック";
    if (cells < d.box.cells()) text += " 空き" + std::to_string(d.box.cells() - cells);
    return text + " 難易度" + std::to_string(d.difficulty.rating);
}

std::vector<WrittenFile> writeDesigns(const std::vector<Design>& designs, const std::string& dir,
                                      const std::optional<std::string>& comment, const std::string& password) {
    std::vector<WrittenFile> out;
    for (size_t i = 0; i < designs.size(); ++i) {
        const Design& d = designs[i];
        WrittenFile f;
        f.path = designFileName(dir, i);
        struct stat st {};
        if (lstat(f.path.c_str(), &st) == 0) {
            f.error = "ファイルが既にあります（置き換えません）";
            out.push_back(f);
            break;
        }
        const Puzzle p = designedPuzzle(d, comment ? *comment : defaultComment(d), password);
        SeededUniform key(attemptSeed(d.seed ^ 0x6B65796B65796B65ull, d.attempt));
        f.ok = subFile_put(p, f.path, key);
        out.push_back(f);
        if (!f.ok) break;
    }
    return out;
}

}  // namespace tessaro::design
