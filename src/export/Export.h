#pragma once
// Everything a maker takes away from a puzzle: STL and 3MF blocks, PNG pictures
// and a printable PDF sheet, written together or not at all. The pictures and
// the sheet need a painter; the window and tessaro-cli pass the Qt one
// (export/qt), so this part stays free of Qt.

#include "export/BlockMesh.h"
#include "export/PrintParts.h"
#include "model/Puzzle.h"
#include "view/CubeView.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaro {

struct ExportRequest {
    std::string stlDir;       // block1.stl ... (and tray.stl) in this folder
    std::string threeMfFile;  // every block (and the tray) in one file
    std::string pngDir;       // block1.png ... and box.png in this folder
    std::string pdfFile;      // the printable sheet
    MeshSizes sizes;
    double bedMm = 200;       // the printer bed's side; the 3MF lays its objects out on it
    double marginMm = 5;      // kept free along the bed's edges (a slicer's skirt runs there)
    bool asMade = false;      // blocks as they stand in the puzzle, not turned for printing
    bool withAnswer = false;  // the sheet gets a second page with a packing
    std::optional<std::string> password;
    int pngWidth = 675;       // pixels; the height keeps the view's proportions
    bool transparentPng = false;
    // Block files of an earlier export in the STL or PNG folder that this one
    // would not write are removed with it; otherwise the export is refused.
    bool removeStale = false;
    // One line on page 1 of the sheet (the difficulty rating); empty for none.
    std::string sheetNote;
};

enum class ExportStatus {
    Written,
    Refused,  // the request cannot be met: bad sizes, no output, a wrong password
    Failed,   // a file or folder could not be written
    Cancelled,  // called off through ExportControl; nothing written
    Stale,    // the folders hold block files this export would not write (`stale`)
};

struct ExportOutcome {
    ExportStatus status = ExportStatus::Refused;
    std::string message;               // the reason when not written; when written, stale files not removed
    std::vector<std::string> written;  // every file written, in order
    std::vector<std::string> stale;    // found (Stale) or removed (Written)
    bool packingShown = false;         // box.png or page 2 shows a packing
    std::vector<std::string> warnings; // written, but worth knowing before printing
    std::vector<BlockPrint> prints;    // per block: area over air as made and as written (STL, 3MF)
};

// What the sheet tells a maker beside the puzzle.
struct SheetContent {
    std::string note;  // one line on page 1 (the difficulty rating); empty for none
    MeshSizes sizes;
    double bedMm = 200;
};

// A long export reports its steps and can be called off between them.
struct ExportControl {
    std::function<void(int done, int total)> progress;  // on the exporting thread
    const std::atomic<bool>* cancel = nullptr;
    bool cancelled() const { return cancel && cancel->load(); }
};

// Black or white (0x00BBGGRR), whichever stands out more from `background` by
// the WCAG contrast ratio: never less than 4.5 : 1, so digits stay readable in grey.
int32_t textColorOn(int32_t background);

// Blocks whose cells do not all hold together face to face, as sentences for
// the user naming the parts they are written as (block6-a.stl, ブロック 6-a ...).
std::vector<std::string> looseBlockWarnings(const Puzzle& p);

// A block's area over air as a line for the user: "ブロック 1：サポートが要る面 0 mm²（作ったままでは 92 mm²）".
std::string overAirLine(const BlockPrint& b);

// What the Qt side draws, into `bytes` (the export writes them with the rest).
class PictureRenderer {
public:
    virtual ~PictureRenderer() = default;
    // The cube view of one grid as PNG, `width` pixels wide.
    virtual bool renderPng(const Grid& grid, const ColorGrid& colors, const ViewParam& view, int width,
                           bool transparent, std::string& bytes, std::string& error) = 0;
    // The sheet as PDF. Page 1: the puzzle's texts, counts, the note when not
    // empty, the print settings, and blocks with their sizes. Page 2 only when `answer` is given: that packing, or a
    // note that none was found when it is empty.
    virtual bool renderSheet(const Puzzle& puzzle, const std::optional<std::optional<Puzzle>>& answer,
                             const SheetContent& content, std::string& bytes, std::string& error) = 0;
};

// A puzzle whose box holds a complete packing: the one in hand when its box is
// full, else the first one the packing analysis finds. Nothing when there is none.
std::optional<Puzzle> firstPacking(const Puzzle& p);

// Block b in its colours, moved into the corner of the cube (its view's scene).
void blockScene(const Puzzle& p, int b, Grid& grid, ColorGrid& colors);

// True when the answer may be shown: the puzzle has no password, or `password`
// (blanks around it ignored) is the one.
bool answerOpen(const Puzzle& p, const std::optional<std::string>& password);

// Every file the request writes, in the order it writes them.
std::vector<std::string> exportTargets(const Puzzle& p, const ExportRequest& request);

// Files in the request's STL and PNG folders named as an export names them
// (block1.stl, tray.stl, block1.png ...) that this export would not write.
std::vector<std::string> staleExportFiles(const Puzzle& p, const ExportRequest& request);

// Writes every requested output. `pictures` may be null when no PNG or PDF is asked for.
ExportOutcome exportPuzzle(const Puzzle& p, const ExportRequest& request, PictureRenderer* pictures,
                           const ExportControl& control = {});

}  // namespace tessaro
