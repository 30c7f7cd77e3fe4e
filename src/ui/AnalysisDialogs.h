#pragma once
// The analysis menu's two windows: the modal progress dialog that keeps the
// main window alive while a search runs on a worker thread, and the
// non-modal browser that steps through the distinct packings.

#include "analysis/Assembly.h"
#include "analysis/PackingAnalysis.h"
#include "ui/AssemblyPlayer.h"
#include "model/Puzzle.h"

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tessaro {

// ---- texts (UTF-8, lines joined by "\r\n") ----

// 117630571848 -> "117,630,571,848": counts run to billions.
std::string countText(uint64_t n);
QString countQText(uint64_t n);

// The problems that rule every packing out, one a line, and what follows from them.
std::string analysisProblemsText(const std::vector<analysis::Problem>& problems);
// The three counts, whether they are complete, the time and the verdict.
std::string countResultText(const analysis::CountResult& r);

// A search on a worker thread under a modal progress dialog. The dialog
// appears only when the search takes longer than a moment; its cancel button
// (and Esc, and closing it) stop the search at once.
class AnalysisProgress : public QDialog {
    Q_OBJECT
public:
    using Report = std::function<void(const analysis::Progress&)>;
    // `work` runs on the worker; it must return soon once `cancel` is set.
    using Work = std::function<void(const std::atomic<bool>& cancel, const Report& report)>;

    // showsCount: the packings found so far and the share done are shown;
    // otherwise a busy bar.
    AnalysisProgress(QWidget* parent, const QString& title, bool showsCount);
    ~AnalysisProgress() override;

    // True when the work ran to its end, false when it was cancelled.
    bool run(const Work& work);

    void reject() override;
    // From the worker: what it does now, shown instead of the count (a busy bar).
    void setNote(const std::string& note);

private:
    void refresh();

    QLabel* lblFound_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    bool showsCount_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::atomic<uint64_t> found_{0};
    std::atomic<int> permille_{0};
    std::atomic<double> remaining_{-1};
    std::mutex noteMutex_;
    std::string note_;
};

// Steps through the distinct packings of a puzzle, found on a worker thread
// only as far as asked for, while the box view shows the one chosen.
class PackingBrowser : public QDialog {
    Q_OBJECT
public:
    PackingBrowser(QWidget* parent, const Puzzle& puzzle);
    ~PackingBrowser() override;

    // The packing on view, or nothing while one is looked for or when there is none.
    const std::optional<analysis::Packing>& shown() const { return shown_; }
    // 0-based number of the packing on view.
    size_t index() const { return index_; }
    // Whether the browser's packings are those of `p`: the same box and block shapes.
    bool belongsTo(const Puzzle& p) const;
    // The puzzle in hand with the box holding the packing on view.
    Puzzle withPackingInBox(const Puzzle& inHand) const;
    // Whether nothing is being looked for (tests wait for it).
    bool idle() const { return !walkBusy_ && !countBusy_; }

    void cmdPrev_Click();
    void cmdNext_Click();
    // Opens the player of the shown packing's loading order.
    void cmdAssembly_Click();
    AssemblyPlayer* player() const { return player_; }
    // Closing stops the search at once; the window deletes the browser then.
    void done(int r) override;

signals:
    // The packing on view changed: the window redraws its box.
    void packingChanged();
    // The user asked for the packing on view to be put into the box.
    void putRequested();


private:
    void lookFor(size_t index);
    void showPacking(size_t index, std::optional<analysis::Packing> packing);
    void updateTexts();
    void stopWorkers();

    analysis::PackingAnalysis analysis_;
    std::vector<uint64_t> fingerprint_;
    std::unique_ptr<analysis::DistinctPackings> walk_;
    std::optional<analysis::Packing> shown_;
    size_t index_ = 0;
    std::optional<uint64_t> total_;  // from the count, once it is done
    bool walkBusy_ = false;
    bool countBusy_ = false;
    bool noMore_ = false;  // the last step forward found nothing
    std::atomic<bool> cancel_{false};
    std::thread walker_;
    std::thread counter_;

    QLabel* lblPackingNo_ = nullptr;
    QLabel* lblState_ = nullptr;
    QPushButton* cmdPrev_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdPut_ = nullptr;
    std::optional<analysis::AssemblyResult> assembly_;  // of the shown packing
    QPointer<AssemblyPlayer> player_;
    QLabel* lblAssembly_ = nullptr;
    QPushButton* cmdAssembly_ = nullptr;
};

// Where the browser opens (its frame's top left): beside the window when the
// screen has room, else where it hides least of the box view, and then least
// of `alsoVisible`. All in screen pixels.
QPoint browserPlace(const QRect& window, const QRect& boxView, const QSize& size, const QRect& screen,
                    const std::vector<QRect>& alsoVisible = {});

// Where the browser opens once the user has put it somewhere: at `offset` from
// the window's frame (both top lefts), moved onto the screen where the window
// went too near an edge.
QPoint keptBrowserPlace(const QPoint& window, const QPoint& offset, const QSize& size, const QRect& screen);

}  // namespace tessaro
