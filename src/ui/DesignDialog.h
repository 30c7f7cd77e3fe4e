#pragma once
// The designer in the window: "パズルの自動作成" finds new puzzles with exactly
// one packing, "唯一解に近づける" the nearest such variants of the puzzle in
// hand. Both search on a worker thread with live counters and a cancel that
// stops at once, list what they found with its rating, preview the chosen one
// with the program's own cube drawing and hand it to the window on 採用.

#include "design/DesignRequest.h"
#include "design/NearestUnique.h"

#include <QDialog>
#include <QImage>
#include <QSize>

#include <array>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tessaro {

class CubePicture;

// What the dialog's fields hold; kept by the window between openings.
struct DesignFields {
    design::DesignRequest request;
    int maxMoves = 4;  // nearest variants only
    bool fixedSeed = false;  // request.seed is the user's; else a fresh one each search
    bool hardest = false;    // the whole time spent climbing to harder cuts
    DesignFields() {
        request.blocks = 6;
        request.minCells = 3;
        request.threads = 0;
    }
};

// The cells of each block as its colours draw them, the packing filling the box.
void designScene(const design::Design& d, Grid& grid, ColorGrid& colors);
// "(2,1,3) ブロック 3 → ブロック 5" per move, cells counted from 1 as the layer panels do.
std::string moveText(const design::CellMove& m);
// The fields kept in Init.ini between runs (section "自動作成", or
// "唯一解に近づける" for the nearest variants); values missing or out of range
// leave what `f` holds.
void loadDesignFields(DesignFields& f, bool nearest, const std::string& iniFile);
bool saveDesignFields(const DesignFields& f, bool nearest, const std::string& iniFile);
// The command line that makes the designs of `request` again (or searches again, for the hardest).
std::string designCommand(const design::DesignRequest& request, bool hardest = false);
// Each block (cells in place) drawn on its own in a frame of its size, all at
// one scale: the largest that fits every one into `room` (a null image for
// a block without cells).
std::array<QImage, kBlocks> blockPictures(const design::Blocks& blocks, QSize room, const QFont& font);

class DesignDialog : public QDialog {
    Q_OBJECT
public:
    // New puzzles cut from a box.
    DesignDialog(QWidget* parent, const DesignFields& fields);
    // The nearest variants of `source` with one packing; the search starts at once.
    DesignDialog(QWidget* parent, const DesignFields& fields, const Puzzle& source);
    ~DesignDialog() override;

    bool nearest() const { return source_.has_value(); }
    DesignFields fields() const;
    // The next searches draw from this seed (else a fresh one each time).
    void setSeed(uint64_t seed);

    void cmdDesignSearch_Click();
    void cmdDesignStop_Click();
    // Nothing is searched for (tests wait for it).
    bool idle() const { return !worker_.joinable(); }
    const std::vector<design::Design>& designs() const { return designs_; }
    // The chosen design as the window takes it: blocks in their made places.
    std::optional<Puzzle> chosenPuzzle() const;
    // Closing stops the search at once.
    void done(int r) override;

signals:
    void adoptRequested();

private:
    void build();
    void refresh();
    void finished(const design::DesignResult& result, const design::NearestResult* near);
    void showChosen();
    void setSearching(bool on);
    void stopWorker();

    std::optional<Puzzle> source_;
    design::DesignRequest searched_;  // the last search's request, its seed drawn
    bool searchedHardest_ = false;
    std::vector<design::Design> designs_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<uint64_t> tried_{0};
    std::atomic<int> found_{0}, best_{0}, depth_{0};
    std::atomic<double> seconds_{0};

    QSpinBox *spnBoxX_ = nullptr, *spnBoxY_ = nullptr, *spnBoxZ_ = nullptr, *spnBlocks_ = nullptr;
    QSpinBox *spnMinCells_ = nullptr, *spnMaxCells_ = nullptr, *spnEmpty_ = nullptr, *spnMaxMoves_ = nullptr;
    QSpinBox *spnMinRating_ = nullptr, *spnCount_ = nullptr, *spnSeconds_ = nullptr;
    QCheckBox* chkIdentical_ = nullptr;
    QCheckBox* chkNoFlat_ = nullptr;
    QCheckBox* chkAssemblable_ = nullptr;
    QCheckBox* chkHardest_ = nullptr;
    QLineEdit* txtSeed_ = nullptr;
    QLineEdit* txtCommand_ = nullptr;
    QLabel* lblProgress_ = nullptr;
    QLabel* lblChosen_ = nullptr;
    QListWidget* lstDesigns_ = nullptr;
    CubePicture* pictDesign_ = nullptr;
    CubePicture* pictMoves_ = nullptr;
    std::array<QLabel*, kBlocks> imgBlocks_{};
    QPushButton *cmdSearch_ = nullptr, *cmdStop_ = nullptr, *cmdAdopt_ = nullptr;
    class QTimer* timer_ = nullptr;
};

}  // namespace tessaro
