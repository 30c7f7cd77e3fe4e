#include "solver/ReferenceLoader.h"

#include "model/Figure.h"
#include "solver/LoaderCommon.h"

#include <algorithm>
#include <limits>

namespace tessaro {

namespace {

struct RunningFlag {
    bool& flag;
    explicit RunningFlag(bool& f) : flag(f) { flag = true; }
    ~RunningFlag() { flag = false; }
};

int16_t plusOne(int16_t v) { return static_cast<int16_t>(v + 1); }

class Walk {
public:
    Walk(Puzzle& p, LoaderHost& host, const LoaderOptions& options, LoaderStats& stats)
        : p_(p), host_(host), options_(options), stats_(stats), model_(p) {}

    LoaderOutcome run() {
        // Step 1: the highest block holding a cell, so a gap in the numbering leaves no block out.
        last_ = highestUsedBlock(p_);
        if (last_ < 0) return LoaderOutcome::Nothing;
        lRotate_ct_ = 0;  // step 2

        // Step 3: orientations from the counters.
        for (int b = 0; b <= last_; ++b) {
            InfoPiece& info = p_.G_Info_Piece[b];
            subPiece_SetFace(p_, b, info.iFace_ct);
            for (int t = 0; t < info.iTurn_CtZ; ++t) subPiece_TurnZ(p_, b);
            host_.showPiece(model_, b);
            host_.slotColor(b, entryColor(p_.GE_iRotation[b]));
        }

        for (;;) {
            beginAttempt();  // step 4
            const LoaderOutcome placed = placeAll();
            if (placed == LoaderOutcome::Stopped) return placed;
            bool orderChange = placed == LoaderOutcome::Exhausted;
            if (!orderChange) {
                // Step 6: every position placed.
                const int count = fncBox_Count(p_.G_iBox);
                host_.showSum(sumText(count, p_.G_iCell_Total));
                host_.resultLine(resultLineText(p_, last_));
                if (count == p_.G_iCell_Total) {
                    host_.message(model_, kSolvedTitle, kSolvedText, LoaderIcon::Information);
                    return LoaderOutcome::Solved;
                }
                orderChange = !advanceFirst();
            }
            if (orderChange && !changeOrder()) {
                host_.message(model_, kExhaustedTitle, kExhaustedText, LoaderIcon::Exclamation);
                return LoaderOutcome::Exhausted;
            }
        }
    }

private:
    // Looked at afresh each time: the plain walk assumes nothing about the blocks.
    bool passes(int pos) const {
        const int entry = p_.GE_iRotation[pos];
        if (!validBlock(entry)) return true;
        if (fncPiece_Count(p_, entry) <= 0) return false;
        for (int r = 0; r < pos; ++r)
            if (p_.GE_iRotation[r] == entry) return true;
        return false;
    }

    void beginAttempt() {
        ++stats_.attempts;
        p_.G_iWork.fill(0);
        p_.G_iBox.fill(0);
        p_.G_lBox_Color.fill(0);
        for (int b = 0; b <= last_; ++b) subPiece_MoveOrigin(p_, b);
    }

    // Step 5. Solved here means "every position placed"; Exhausted means the
    // attempt ran out at position 0 (step 7 follows).
    LoaderOutcome placeAll() {
        int pos = 0;
        while (pos <= last_) {
            const int cur = p_.GE_iRotation[pos];
            if (quiet_ == 0 && (quiet_ = host_.yieldPoints(model_)) == 0) return LoaderOutcome::Stopped;  // 5.1
            --quiet_;
            ++stats_.fitTests;
            if (passes(pos)) {
                ++pos;
                continue;
            }
            if (fits(cur)) {  // 5.2
                commit(cur);  // 5.3
                if (options_.checkDeadSpace && fncChkDedSpace(p_) != 0) {  // 5.4
                    subBox_ErasePattern(p_, cur);
                } else {
                    host_.drawMain(model_);
                    p_.G_Info_Piece[cur].iNo = static_cast<int16_t>(pos + 1);
                    host_.setSlotLabel(SlotLabel::lblNo, pos, pos + 1);
                    ++pos;
                    continue;
                }
            } else if (nextPosition(cur)) {  // 5.5
                continue;
            }
            // 5.6, repeated while backtracking.
            for (;;) {
                const int c = p_.GE_iRotation[pos];
                InfoPiece& info = p_.G_Info_Piece[c];
                if (info.iTurn_CtZ < 3) {
                    subPiece_MoveOrigin(p_, c);
                    subPiece_TurnZ(p_, c);
                    subPiece_MoveOrigin(p_, c);
                    info.iTurn_CtZ = plusOne(info.iTurn_CtZ);
                    host_.setSlotLabel(SlotLabel::lblTurn_CtZ, pos, info.iTurn_CtZ);
                    break;
                }
                if (info.iFace_ct < 5) {
                    info.iTurn_CtZ = 0;
                    info.iFace_ct = plusOne(info.iFace_ct);
                    host_.setSlotLabel(SlotLabel::lblTurn_CtZ, pos, info.iTurn_CtZ);
                    host_.setSlotLabel(SlotLabel::lblFaceV, pos, info.iFace_ct);
                    subPiece_SetFace(p_, c, info.iFace_ct);
                    break;
                }
                info = InfoPiece{};
                host_.setSlotLabel(SlotLabel::lblTurn_CtZ, pos, 0);
                host_.setSlotLabel(SlotLabel::lblFaceV, pos, 0);
                host_.setSlotLabel(SlotLabel::lblNo, pos, 0);
                // Back to the previous position that holds a block of its own.
                for (;;) {
                    if (pos == 0) return LoaderOutcome::Exhausted;
                    --pos;
                    if (!passes(pos)) break;
                }
                const int prev = p_.GE_iRotation[pos];
                subBox_ErasePattern(p_, prev);
                host_.drawMain(model_);
                if (prev == options_.currentPiece) host_.showPiece(model_, options_.currentPiece);
            }
        }
        return LoaderOutcome::Solved;
    }

    bool fits(int cur) {
        bool fit = true;
        for (int z = 0; z < kGrid; ++z)
            for (int y = 0; y < kGrid; ++y)
                for (int x = 0; x < kGrid; ++x) {
                    const int i = cellIndex(x, y, z);
                    const int v = p_.G_iBox[i] + p_.piece(cur, x, y, z);
                    p_.G_iWork[i] = static_cast<int16_t>(v);
                    if (v > 1) fit = false;
                    if (v > 0 && (x >= p_.G_iCells_X || y >= p_.G_iCells_Y || z >= p_.G_iCells_Z)) fit = false;
                }
        return fit;
    }

    void commit(int cur) {
        for (int i = 0; i < kCells; ++i) {
            p_.G_iBox[i] = p_.G_iWork[i];
            if (p_.G_lBox_Color[i] == 0 && p_.G_iBox[i] != 0)
                for (int s = 0; s < 3; ++s) p_.G_lBox_Color[i + kCells * s] = pieceColor(cur + 1, s);
        }
    }

    bool nextPosition(int cur) {
        if (fncPiece_XInc(p_, cur) == 0) return true;
        subPiece_ToLeft(p_, cur);
        if (fncPiece_YInc(p_, cur) == 0) return true;
        subPiece_ToTop(p_, cur);
        return fncPiece_ZInc(p_, cur) == 0;
    }

    // Step 6, the block in the first position to its next orientation; false when
    // it has none left (step 7 follows).
    bool advanceFirst() {
        const int f = p_.GE_iRotation[0];
        if (!validBlock(f) || passes(0)) return false;
        InfoPiece& info = p_.G_Info_Piece[f];
        if (info.iTurn_CtZ == 3 && info.iFace_ct > 4) return false;
        if (info.iTurn_CtZ == 3) {
            info.iTurn_CtZ = 0;
            info.iFace_ct = plusOne(info.iFace_ct);
            host_.setSlotLabel(SlotLabel::lblFaceV, f, info.iFace_ct);
            subPiece_SetFace(p_, f, info.iFace_ct);
        } else {
            subPiece_TurnZ(p_, f);
            info.iTurn_CtZ = plusOne(info.iTurn_CtZ);
            host_.setSlotLabel(SlotLabel::lblTurn_CtZ, f, info.iTurn_CtZ);
        }
        host_.showPiece(model_, f);
        return true;
    }

    // Step 7; false when the order codes are used up.
    bool changeOrder() {
        const int first = p_.GE_iRotation[0];
        subRotate_Shift(p_);
        subShowRotation(p_, host_);
        if (++lRotate_ct_ == 8) {
            lRotate_ct_ = 0;
            const int64_t next = nextOrderCode(p_.GE_lRotate);
            p_.GE_lRotate = static_cast<int32_t>(std::min<int64_t>(next, std::numeric_limits<int32_t>::max()));
            if (next >= 12345678 && next <= kLastOrderCode) {
                const std::string digits = std::to_string(p_.GE_lRotate);
                for (int q = 0; q <= last_; ++q) p_.GE_iRotation[q] = static_cast<int16_t>(digits[q] - '1');
            }
            subShowRotation(p_, host_);
        }
        if (p_.GE_lRotate > kLastOrderCode) return false;
        if (validBlock(first)) host_.showPiece(model_, first);
        return true;
    }

    Puzzle& p_;
    LoaderHost& host_;
    const LoaderOptions& options_;
    LoaderStats& stats_;
    DirectModel model_;
    int last_ = -1;
    int lRotate_ct_ = 0;
    uint64_t quiet_ = 0;
};

}  // namespace

LoaderOutcome referenceWalk(Puzzle& p, LoaderHost& host, const LoaderOptions& options, LoaderStats& stats) {
    stats = {};
    return Walk(p, host, options, stats).run();
}

LoaderOutcome ReferenceLoader::cmdMove_Click(Puzzle& p, LoaderHost& host, const LoaderOptions& options) {
    if (running_) return LoaderOutcome::Busy;
    RunningFlag flag(running_);
    return referenceWalk(p, host, options, stats_);
}

}  // namespace tessaro
