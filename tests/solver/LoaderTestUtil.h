#pragma once
// A host that writes down everything the loader shows, for comparing two walks
// and for checking single notifications.

#include "model/Figure.h"
#include "solver/AutoLoader.h"
#include "solver/LoaderHost.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <string>
#include <vector>

namespace tessaro::testutil {

// Digest of everything observable of the puzzle (the scratch grid is not).
inline uint64_t digest(const Puzzle& p) {
    uint64_t h = 1469598103934665603ull;
    auto add = [&h](const void* data, size_t n) {
        const auto* b = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    };
    add(p.G_iPiece.data(), sizeof p.G_iPiece);
    add(p.G_iPiece_Made.data(), sizeof p.G_iPiece_Made);
    add(p.G_iBox.data(), sizeof p.G_iBox);
    add(p.G_iBox_No.data(), sizeof p.G_iBox_No);
    add(p.G_lBox_Color.data(), sizeof p.G_lBox_Color);
    add(p.G_iLoaded.data(), sizeof p.G_iLoaded);
    add(p.G_Info_Piece.data(), sizeof p.G_Info_Piece);
    add(p.GE_iRotation.data(), sizeof p.GE_iRotation);
    add(&p.GE_lRotate, sizeof p.GE_lRotate);
    return h;
}

// Joins texts; operator+ on temporaries trips a false GCC 12 warning.
inline std::string cat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view s : parts) out.append(s);
    return out;
}
inline std::string num(int64_t v) { return std::to_string(v); }

inline Puzzle withoutScratch(Puzzle p) {
    p.G_iWork.fill(0);
    return p;
}

class RecordingHost : public LoaderHost {
public:
    // Stop at the yield with this number (1 = the first yield); 0 = never.
    uint64_t stopAt = 0;
    // Take a digest of the puzzle at every notification that carries the model.
    bool snapshots = true;
    uint64_t yields = 0;
    std::vector<std::string> events;
    std::vector<std::string> resultLines;
    std::vector<std::string> messages;  // "title|text|icon"
    std::function<void()> onYield;      // extra work at a yield (nested calls, for instance)
    std::function<bool()> stopIf;       // stop at this yield when it says so

    bool yieldPoint(const LoaderModel& model) override {
        ++yields;
        if (onYield) onYield();
        if ((stopAt != 0 && yields == stopAt) || (stopIf && stopIf())) {
            if (snapshots) events.push_back(cat({"stop ", num(int64_t(digest(model.puzzle())))}));
            return true;
        }
        return false;
    }
    // Let the yield points before stopAt pass in one call, as a batching host does.
    bool batch = false;
    uint64_t yieldPoints(const LoaderModel& model) override {
        if (!batch || stopAt == 0 || stopIf || onYield || yields + 1 >= stopAt) return LoaderHost::yieldPoints(model);
        const uint64_t k = stopAt - 1 - yields;
        yields += k;
        return k;
    }
    void drawMain(const LoaderModel& model) override { events.push_back(cat({"draw", snap(model)})); }
    void showPiece(const LoaderModel& model, int b) override {
        events.push_back(cat({"piece ", num(b), snap(model)}));
    }
    void slotLabel(SlotLabel label, int slot, int value) override {
        static const char* names[] = {"lblNo", "lblFaceV", "lblTurn_CtZ"};
        events.push_back(cat({names[int(label)], "(", num(slot), ")=", num(value)}));
    }
    void slotColor(int slot, int32_t color) override {
        events.push_back(cat({"shpPiece(", num(slot), ")=", num(color)}));
    }
    void showRotation(const RotationView& v) override {
        std::string e = "rotation";
        for (int i = 0; i < kBlocks; ++i)
            e += cat({" ", num(v.lblIP[i]), ":", num(v.shpPiece[i]), "/", num(v.lblNo[i]), ",",
                      num(v.lblFaceV[i]), ",", num(v.lblTurn_CtZ[i])});
        events.push_back(e);
        rotations.push_back(v);
    }
    void resultLine(const std::string& line) override {
        events.push_back(cat({"line[", line, "]"}));
        resultLines.push_back(line);
    }
    void showSum(const std::string& text) override { events.push_back(cat({"sum ", text})); }
    void message(const LoaderModel& model, const std::string& title, const std::string& text,
                 LoaderIcon icon) override {
        messages.push_back(cat({title, "|", text, "|", num(int(icon))}));
        events.push_back(cat({"message ", messages.back(), snap(model)}));
    }

    std::vector<RotationView> rotations;

private:
    std::string snap(const LoaderModel& model) const {
        return snapshots ? cat({" ", num(int64_t(digest(model.puzzle())))}) : std::string();
    }
};

// Blocks given as cell lists at their places; made = current; INIT; total set.
struct BlockCells {
    int block;
    std::vector<std::array<int, 3>> cells;
};
inline Puzzle makePuzzle(int cx, int cy, int cz, const std::vector<BlockCells>& blocks) {
    Puzzle p{};
    p.setBoxCells(cx, cy, cz);
    for (const BlockCells& b : blocks)
        for (auto [x, y, z] : b.cells) p.piece(b.block, x, y, z) = 1;
    subPiece_SaveMade(p);
    subLoader_Init(p);
    p.G_iCell_Total = fncPiece_CountAll(p);
    return p;
}

}  // namespace tessaro::testutil
