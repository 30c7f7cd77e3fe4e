#include "design/DesignFiles.h"

#include "analysis/PackingPlace.h"
#include "model/SplitMix.h"
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

namespace {

bool taken(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

size_t firstFree(const std::string& dir, size_t from) {
    while (taken(designFileName(dir, from))) ++from;
    return from;
}

}  // namespace

std::optional<std::string> folderRefusal(const std::string& dir) {
    if (const auto refused = checkSaveTarget(designFileName(dir, firstFree(dir, 0)))) return refused->description;
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

WrittenFile DesignWriter::write(const Design& d) {
    next_ = firstFree(dir_, next_);
    WrittenFile f;
    f.path = designFileName(dir_, next_);
    const Puzzle p = designedPuzzle(d, comment_ ? *comment_ : defaultComment(d), password_);
    SeededUniform key(attemptSeed(d.seed ^ 0x6B65796B65796B65ull, d.attempt));
    f.ok = subFile_put(p, f.path, key);
    if (f.ok) ++next_;
    return f;
}

std::vector<WrittenFile> writeDesigns(const std::vector<Design>& designs, const std::string& dir,
                                      const std::optional<std::string>& comment, const std::string& password) {
    DesignWriter writer(dir, comment, password);
    std::vector<WrittenFile> out;
    for (const Design& d : designs) out.push_back(writer.write(d));
    return out;
}

}  // namespace tessaro::design
