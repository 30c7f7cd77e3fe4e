#include "editor/MakerReview.h"

#include <array>

namespace tessaro {

bool pieceIsJoined(const PieceCubes& cubes, int b) {
    if (!validBlock(b)) return true;
    std::array<bool, kCells> seen{};
    std::array<int, kCells> stack{};
    int cells = 0, first = -1;
    for (int i = 0; i < kCells; ++i)
        if (cubes[b + kBlocks * i] == 1) {
            ++cells;
            if (first < 0) first = i;
        }
    if (cells <= 1) return true;
    int top = 0, reached = 0;
    stack[top++] = first;
    seen[first] = true;
    while (top > 0) {
        const int i = stack[--top];
        ++reached;
        const int x = i % kGrid, y = (i / kGrid) % kGrid, z = i / (kGrid * kGrid);
        const int nb[6][3] = {{x - 1, y, z}, {x + 1, y, z}, {x, y - 1, z}, {x, y + 1, z}, {x, y, z - 1}, {x, y, z + 1}};
        for (const auto& n : nb) {
            if (n[0] < 0 || n[0] >= kGrid || n[1] < 0 || n[1] >= kGrid || n[2] < 0 || n[2] >= kGrid) continue;
            const int j = cellIndex(n[0], n[1], n[2]);
            if (seen[j] || cubes[b + kBlocks * j] != 1) continue;
            seen[j] = true;
            stack[top++] = j;
        }
    }
    return reached == cells;
}

std::vector<int> disconnectedBlocks(const PieceCubes& cubes) {
    std::vector<int> out;
    for (int b = 0; b < kBlocks; ++b)
        if (!pieceIsJoined(cubes, b)) out.push_back(b);
    return out;
}

std::string makerReviewText(const Puzzle& p, int unusedCells) {
    std::vector<std::string> lines;
    int total = 0;
    for (int16_t v : p.G_iPiece) total += v;
    if (total == 0) {
        lines.push_back("＜注意＞ブロックが、一つも作成されていません。");
    } else {
        const std::vector<int> apart = disconnectedBlocks(p.G_iPiece);
        if (!apart.empty()) {
            std::string nums;
            for (int b : apart) nums += (nums.empty() ? "" : ", ") + std::to_string(b + 1);
            lines.push_back("＜注意＞セルが面でつながっていないブロックがあります。（ブロック " + nums + "）");
        }
        if (unusedCells > 0)
            lines.push_back("＜注意＞どのブロックにも使われていないセルが、" + std::to_string(unusedCells) +
                            " 個あります。");
        else if (unusedCells < 0)
            lines.push_back("＜注意＞ブロックのセル数が、パズルのセル数より " + std::to_string(-unusedCells) +
                            " 個多くなっています。");
    }
    std::string text;
    for (const auto& l : lines) text += (text.empty() ? "" : "\r\n") + l;
    return text;
}

}  // namespace tessaro
