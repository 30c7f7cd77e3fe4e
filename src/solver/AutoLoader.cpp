#include "solver/AutoLoader.h"

#include "model/Figure.h"
#include "solver/LoaderCommon.h"
#include "solver/Orientations.h"
#include "solver/ReferenceLoader.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace tessaro {

namespace {

int16_t plusOne(int16_t v) { return static_cast<int16_t>(v + 1); }

// The masks hold cubes of 0/1 cells whose blocks keep or lack cells through every
// turn and face setting; anything else takes the plain walk.
bool fitsMasks(const Puzzle& p, std::array<uint64_t, kBlocks>& made, std::array<uint64_t, kBlocks>& current) {
    made.fill(0);
    current.fill(0);
    for (int c = 0; c < kCells; ++c)
        for (int b = 0; b < kBlocks; ++b) {
            const int16_t m = p.G_iPiece_Made[b + kBlocks * c];
            const int16_t v = p.G_iPiece[b + kBlocks * c];
            if ((m != 0 && m != 1) || (v != 0 && v != 1)) return false;
            if (m) made[b] |= uint64_t(1) << c;
            if (v) current[b] |= uint64_t(1) << c;
        }
    for (int b = 0; b < kBlocks; ++b)
        if ((made[b] == 0) != (current[b] == 0)) return false;
    return true;
}

struct RunningFlag {
    bool& flag;
    explicit RunningFlag(bool& f) : flag(f) { flag = true; }
    ~RunningFlag() { flag = false; }
};

}  // namespace

struct AutoLoader::Engine final : LoaderModel {
    OrientationTable table;

    // The run in hand.
    Puzzle* p = nullptr;
    LoaderHost* host = nullptr;
    LoaderOptions options;
    int last = -1;
    int lRotate_ct = 0;
    uint64_t fitTests = 0;
    uint64_t attempts = 0;
    uint64_t quiet = 0;  // yield points the host lets pass without a call

    // Each block's cube as (shape node, grid position).
    std::array<int, kBlocks> node{};
    std::array<int, kBlocks> pos{};
    std::array<bool, kBlocks> hasCells{};

    // The box: cells filled, and filled-or-outside for the fit test.
    uint64_t inside = 0;
    uint64_t filled = 0;
    uint64_t occupied = 0;
    // What each position put into the box; positions 0..inBox-1 are in it.
    std::array<uint64_t, kBlocks> placedMask{};
    std::array<int, kBlocks> placedBlock{};
    int inBox = 0;
    bool boxCleared = false;  // the box is ours once the first attempt cleared it

    std::array<int, kBlocks> order{};
    std::array<bool, kBlocks> passing{};

    const Puzzle& puzzle() const override {
        Puzzle& q = *p;
        for (int b = 0; b < kBlocks; ++b) {
            const uint64_t m = table.mask(node[b], pos[b]);
            for (int c = 0; c < kCells; ++c) q.G_iPiece[b + kBlocks * c] = int16_t((m >> c) & 1);
        }
        if (boxCleared) {
            for (int c = 0; c < kCells; ++c) q.G_iBox[c] = int16_t((filled >> c) & 1);
            q.G_lBox_Color.fill(0);
            for (int i = 0; i < inBox; ++i)
                for (uint64_t m = placedMask[i]; m != 0; m &= m - 1) {
                    const int c = std::countr_zero(m);
                    for (int s = 0; s < 3; ++s) q.G_lBox_Color[c + kCells * s] = pieceColor(placedBlock[i] + 1, s);
                }
        }
        return q;
    }

    void setFace(int b, int face) {
        if (face < 0 || face > 5) return;
        node[b] = table.faceNode(b, face);
        pos[b] = 0;
    }
    void turnZ(int b) { table.turnZ(node[b], pos[b]); }

    void readOrder() {
        for (int i = 0; i < kBlocks; ++i) order[i] = p->GE_iRotation[i];
        passing = passingPositions(p->GE_iRotation, last, hasCells);
    }

    LoaderOutcome run(const std::array<uint64_t, kBlocks>& made, const std::array<uint64_t, kBlocks>& current) {
        LoaderHost& h = *host;
        last = -1;
        for (int b = 0; b < kBlocks; ++b) {
            hasCells[b] = current[b] != 0;
            if (hasCells[b]) last = b;
        }
        if (last < 0) return LoaderOutcome::Nothing;
        lRotate_ct = 0;
        table.build(made, current);
        for (int b = 0; b < kBlocks; ++b) node[b] = table.startNode(b), pos[b] = table.startPosition(b);
        inside = boxMask(p->G_iCells_X, p->G_iCells_Y, p->G_iCells_Z);
        boxCleared = false;
        inBox = 0;

        for (int b = 0; b <= last; ++b) {
            const InfoPiece& info = p->G_Info_Piece[b];
            setFace(b, info.iFace_ct);
            for (int t = 0; t < info.iTurn_CtZ % 4; ++t) turnZ(b);
            h.showPiece(*this, b);
            h.slotColor(b, entryColor(p->GE_iRotation[b]));
        }
        readOrder();

        for (;;) {
            ++attempts;
            filled = 0;
            occupied = ~inside;
            inBox = 0;
            boxCleared = true;
            for (int b = 0; b <= last; ++b) pos[b] = 0;

            const LoaderOutcome placed = placeAll();
            if (placed == LoaderOutcome::Stopped) return placed;
            bool orderChange = placed == LoaderOutcome::Exhausted;
            if (!orderChange) {
                const int count = std::popcount(filled);
                h.showSum(sumText(count, p->G_iCell_Total));
                h.resultLine(resultLineText(*p, last));
                if (count == p->G_iCell_Total) {
                    h.message(*this, kSolvedTitle, kSolvedText, LoaderIcon::Information);
                    return LoaderOutcome::Solved;
                }
                orderChange = !advanceFirst();
            }
            if (orderChange && !changeOrder()) {
                h.message(*this, kExhaustedTitle, kExhaustedText, LoaderIcon::Exclamation);
                return LoaderOutcome::Exhausted;
            }
        }
    }

    // Step 5: Solved here means "every position placed", Exhausted "ran out at position 0".
    LoaderOutcome placeAll() {
        LoaderHost& h = *host;
        const bool deadSpace = options.checkDeadSpace;
        int at = 0;
        while (at <= last) {
            const int cur = order[at];
            if (passing[at]) {
                if (quiet == 0 && (quiet = h.yieldPoints(*this)) == 0) return LoaderOutcome::Stopped;
                --quiet;
                ++fitTests;
                placedMask[at] = 0;
                placedBlock[at] = cur;
                inBox = ++at;
                continue;
            }
            const ShapeNode& nd = table.node(node[cur]);
            const uint64_t* masks = table.masks(node[cur]);
            const int count = nd.count;
            int t = pos[cur];
            bool placed = false;
            for (; t < count; ++t) {
                if (quiet == 0) {
                    pos[cur] = t;  // what the host may look at
                    if ((quiet = h.yieldPoints(*this)) == 0) return LoaderOutcome::Stopped;
                }
                --quiet;
                ++fitTests;
                const uint64_t m = masks[t];
                if ((occupied & m) == 0) {
                    if (deadSpace && hasDeadCell(filled | m)) break;
                    filled |= m;
                    occupied |= m;
                    placedMask[at] = m;
                    placedBlock[at] = cur;
                    placed = true;
                    break;
                }
            }
            pos[cur] = t;
            if (placed) {
                inBox = at + 1;
                h.drawMain(*this);
                p->G_Info_Piece[cur].iNo = static_cast<int16_t>(at + 1);
                h.setSlotLabel(SlotLabel::lblNo, at, at + 1);
                ++at;
                continue;
            }
            if (t == count) pos[cur] = nd.scanEnd;
            // The next orientation, repeated while backtracking.
            for (;;) {
                const int c = order[at];
                InfoPiece& info = p->G_Info_Piece[c];
                if (info.iTurn_CtZ < 3) {
                    // Origin, Turn-Z, origin: only the shape changes.
                    node[c] = table.node(node[c]).turnZ;
                    pos[c] = 0;
                    info.iTurn_CtZ = plusOne(info.iTurn_CtZ);
                    h.setSlotLabel(SlotLabel::lblTurn_CtZ, at, info.iTurn_CtZ);
                    break;
                }
                if (info.iFace_ct < 5) {
                    info.iTurn_CtZ = 0;
                    info.iFace_ct = plusOne(info.iFace_ct);
                    h.setSlotLabel(SlotLabel::lblTurn_CtZ, at, info.iTurn_CtZ);
                    h.setSlotLabel(SlotLabel::lblFaceV, at, info.iFace_ct);
                    setFace(c, info.iFace_ct);
                    break;
                }
                info = InfoPiece{};
                h.setSlotLabel(SlotLabel::lblTurn_CtZ, at, 0);
                h.setSlotLabel(SlotLabel::lblFaceV, at, 0);
                h.setSlotLabel(SlotLabel::lblNo, at, 0);
                for (;;) {
                    if (at == 0) return LoaderOutcome::Exhausted;
                    --at;
                    if (!passing[at]) break;
                }
                inBox = at;
                filled &= ~placedMask[at];
                occupied = filled | ~inside;
                const int prev = order[at];
                h.drawMain(*this);
                if (prev == options.currentPiece) h.showPiece(*this, options.currentPiece);
            }
        }
        return LoaderOutcome::Solved;
    }

    bool advanceFirst() {
        const int f = order[0];
        if (!validBlock(f) || passing[0]) return false;
        InfoPiece& info = p->G_Info_Piece[f];
        if (info.iTurn_CtZ == 3 && info.iFace_ct > 4) return false;
        if (info.iTurn_CtZ == 3) {
            info.iTurn_CtZ = 0;
            info.iFace_ct = plusOne(info.iFace_ct);
            host->setSlotLabel(SlotLabel::lblFaceV, f, info.iFace_ct);
            setFace(f, info.iFace_ct);
        } else {
            turnZ(f);
            info.iTurn_CtZ = plusOne(info.iTurn_CtZ);
            host->setSlotLabel(SlotLabel::lblTurn_CtZ, f, info.iTurn_CtZ);
        }
        host->showPiece(*this, f);
        return true;
    }

    bool changeOrder() {
        Puzzle& q = *p;
        const int first = q.GE_iRotation[0];
        subRotate_Shift(q);
        subShowRotation(q, *host);
        if (++lRotate_ct == 8) {
            lRotate_ct = 0;
            const int64_t next = nextOrderCode(q.GE_lRotate);
            q.GE_lRotate = static_cast<int32_t>(std::min<int64_t>(next, std::numeric_limits<int32_t>::max()));
            if (next >= 12345678 && next <= kLastOrderCode) {
                const std::string digits = std::to_string(q.GE_lRotate);
                for (int i = 0; i <= last; ++i) q.GE_iRotation[i] = static_cast<int16_t>(digits[i] - '1');
            }
            subShowRotation(q, *host);
        }
        readOrder();
        if (q.GE_lRotate > kLastOrderCode) return false;
        if (validBlock(first)) host->showPiece(*this, first);
        return true;
    }
};

AutoLoader::AutoLoader() : engine_(std::make_unique<Engine>()) {}
AutoLoader::~AutoLoader() = default;

LoaderOutcome AutoLoader::cmdMove_Click(Puzzle& p, LoaderHost& host, const LoaderOptions& options) {
    if (running_) return LoaderOutcome::Busy;
    RunningFlag flag(running_);
    stats_ = {};
    std::array<uint64_t, kBlocks> made{}, current{};
    if (!fitsMasks(p, made, current)) return referenceWalk(p, host, options, stats_);

    Engine& e = *engine_;
    e.p = &p;
    e.host = &host;
    e.options = options;
    e.fitTests = 0;
    e.attempts = 0;
    e.quiet = 0;
    const LoaderOutcome outcome = e.run(made, current);
    if (outcome != LoaderOutcome::Nothing) e.puzzle();  // leave the model up to date
    stats_.fitTests = e.fitTests;
    stats_.attempts = e.attempts;
    return outcome;
}

}  // namespace tessaro
