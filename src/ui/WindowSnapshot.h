#pragma once
// The puzzle in hand and what the window shows of it, as one step of the
// history leaves it: the model, the current block and the list's choice, the
// option buttons, the counts, the loader panel, and which play controls are on.
//
// Snapshots are immutable and share every model field that equals the one of
// the snapshot they were taken after, so a step costs what it changed.

#include "model/Puzzle.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

namespace tessaro {

class frmMain;

class WindowSnapshot {
public:
    // ref: the snapshot taken last; equal fields are shared with it, and an
    // equal snapshot is ref itself.
    static std::shared_ptr<const WindowSnapshot> capture(const frmMain& w,
                                                        const std::shared_ptr<const WindowSnapshot>& ref);

    // Brings the window back to this state. The puzzle's comment, password and
    // file names stay: they are the file's, which undo does not rewrite. In
    // play Reset is never turned on (it is earned by giving up, not by a
    // step); inside a maker it comes back with everything else.
    void apply(frmMain& w) const;

    // The puzzle or what shows it differs (the preview's scratch grid and
    // which block is chosen do not count: choosing is no change).
    bool puzzleDiffers(const WindowSnapshot& o) const;

    // Memory held, counting shared fields once across calls with the same set.
    size_t bytes(std::unordered_set<const void*>& counted) const;

    // The model part, as apply writes it (tests).
    void writeModel(Puzzle& p) const;

private:
    enum Field { Piece, PieceMade, Box, BoxNo, BoxColor, Work, Loaded, InfoPiece_, Rotation, kFields };
    using Blob = std::shared_ptr<const std::vector<std::byte>>;

    struct Scalars {
        std::array<int16_t, 8> cells{};  // G_iCells_X..Z, G_iMax_X..Z, G_iCell_Total, G_iCell_Filled
        int32_t GE_lRotate = 0;
        bool operator==(const Scalars&) const = default;
    };

    // Play controls whose state a step changes: Load, Cancel, the block's and the box's buttons.
    static constexpr size_t kControls = 18;

    // The loader's panel: only INIT and LOAD change it, so snapshots share it.
    struct LoaderPanel {
        QString atOnce;
        std::array<QString, 4 * kBlocks> slotTexts;  // lblIP, lblNo, lblFaceV, lblTurn_CtZ
        std::array<int64_t, kBlocks> slotFill{};     // colour, or -1 for none
        bool operator==(const LoaderPanel&) const = default;
    };

    struct View {
        int16_t iPiece = 0;
        int32_t rotateCt = 0;
        int shown = 0;     // the block in the preview
        int listRow = -1;  // the Block list's choice
        std::array<bool, kBlocks> optShown{};
        int optChecked = -1;
        QString sum, cellCount;
        std::shared_ptr<const LoaderPanel> panel;
        bool autoMode = false;
        std::array<bool, kControls> enabled{};
        bool making = false;   // a maker ran
        bool resetOn = false;  // Reset's state, kept for the makers
    };

    bool sameBlob(Field f, const WindowSnapshot& o) const;

    std::array<Blob, kFields> blobs_;
    Scalars scalars_;
    View view_;
};

}  // namespace tessaro
