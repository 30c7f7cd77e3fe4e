// The automatic loader in the window: its panel, INIT, STOP, LOAD, and closing
// the window while it searches. The window's results are held against the same
// search run headless.

#include "WindowFixture.h"
#include "model/Figure.h"
#include "solver/AutoLoader.h"
#include "ui/ShapeSquare.h"
#include "viewqt/CubePicture.h"

#include <QGroupBox>
#include <QSignalSpy>
#include <QTimer>

#include <functional>

namespace tessaro::test {
namespace {

// Keeps what a search shows, as plain values: the labels as the window's would read.
class RecordingHost final : public LoaderHost {
public:
    std::array<std::array<int, 8>, 3> labels{};  // lblNo, lblFaceV, lblTurn_CtZ
    std::array<int, 8> ip{};
    std::array<int32_t, 8> colors{};
    std::vector<std::string> lines;
    std::string sum;
    std::vector<std::string> messages;
    uint64_t limit = 0;  // stop before fit test limit + 1 (0: never)
    uint64_t yields = 0;

    bool yieldPoint(const LoaderModel&) override { return limit > 0 && ++yields > limit; }
    void slotLabel(SlotLabel l, int slot, int value) override { labels[static_cast<size_t>(l)][slot] = value; }
    void slotColor(int slot, int32_t color) override { colors[slot] = color; }
    void showRotation(const RotationView& v) override {
        for (size_t i = 0; i < 8; ++i) {
            colors[i] = v.shpPiece[i];
            ip[i] = v.lblIP[i];
            labels[0][i] = v.lblNo[i];
            labels[1][i] = v.lblFaceV[i];
            labels[2][i] = v.lblTurn_CtZ[i];
        }
    }
    void resultLine(const std::string& line) override { lines.push_back(line); }
    void showSum(const std::string& text) override { sum = text; }
    void message(const LoaderModel&, const std::string& title, const std::string& text, LoaderIcon) override {
        messages.push_back(title + "|" + text);
    }
};

class AutoTest : public WindowTest {
protected:
    void SetUp() override {
        activate();
        action("mnuAautoMove")->trigger();
    }

    // The same LOAD run headless from the window's present state.
    RecordingHost headless(Puzzle& p, bool deadSpace = false, uint64_t limit = 0) {
        RecordingHost host;
        host.limit = limit;
        host.showRotation(rotationView(p));
        for (size_t i = 0; i < 8; ++i) {
            host.labels[0][i] = w.lblNo[i]->text().toInt();
            host.labels[1][i] = w.lblFaceV[i]->text().toInt();
            host.labels[2][i] = w.lblTurn_CtZ[i]->text().toInt();
        }
        AutoLoader loader;
        LoaderOptions options;
        options.checkDeadSpace = deadSpace;
        options.currentPiece = w.m_iPiece;
        loader.cmdMove_Click(p, host, options);
        return host;
    }

    void expectPanelShows(const RecordingHost& h) {
        for (size_t i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(w.lblIP[i]->text(), QString::number(h.ip[i]));
            EXPECT_EQ(w.lblNo[i]->text(), QString::number(h.labels[0][i]));
            EXPECT_EQ(w.lblFaceV[i]->text(), QString::number(h.labels[1][i]));
            EXPECT_EQ(w.lblTurn_CtZ[i]->text(), QString::number(h.labels[2][i]));
            EXPECT_EQ(w.shpPiece[i]->fillColor(), h.colors[i]);
        }
    }

    static void expectSamePuzzle(Puzzle a, Puzzle b) {
        a.G_iWork = b.G_iWork = Grid{};  // scratch
        EXPECT_EQ(a, b);
    }

    // Runs `during` at the n-th round of events of the search (events at every yield).
    void atRound(int n, std::function<void()> during) {
        w.setYieldInterval(std::chrono::microseconds(0));
        auto* timer = new QTimer(&w);
        timer->setInterval(0);
        auto count = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, count, n, during] {
            if (++*count < n) return;
            timer->stop();
            timer->deleteLater();
            during();
        });
        timer->start();
    }
};

TEST_F(AutoTest, TheMenuSwapsThePanelsAndTheControls) {
    auto* frame = find<QGroupBox>("frameAuto");
    EXPECT_TRUE(action("mnuAautoMove")->isChecked());
    EXPECT_FALSE(frame->isHidden());
    EXPECT_EQ(frame->pos(), find<QWidget>("framePiece")->pos());
    EXPECT_FALSE(enabled("cmdLoad"));
    EXPECT_FALSE(enabled("lstPiece"));
    for (const char* name : kPieceControls) EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : kBoxControls) EXPECT_FALSE(enabled(name)) << name;

    action("mnuAautoMove")->trigger();
    EXPECT_FALSE(action("mnuAautoMove")->isChecked());
    EXPECT_TRUE(frame->isHidden());
    EXPECT_TRUE(enabled("cmdLoad"));
    EXPECT_TRUE(enabled("lstPiece"));
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;
}

TEST_F(AutoTest, CancelIsOffInAutomaticModeAndWhileSearching) {
    action("mnuAautoMove")->trigger();
    choose(1);
    click("cmdLoad");
    ASSERT_TRUE(enabled("cmdCancel"));
    action("mnuAautoMove")->trigger();
    EXPECT_FALSE(enabled("cmdCancel"));
    // A Cancel pressed during the search would hand the user the cube it moves.
    bool cancelThen = true;
    atRound(20, [&] {
        cancelThen = enabled("cmdCancel");
        click("cmdCancel");
        click("cmdStop");
    });
    click("cmdMove");
    EXPECT_FALSE(cancelThen);
    EXPECT_FALSE(enabled("cmdCancel"));
    EXPECT_FALSE(enabled("cmdLoad"));
    for (const char* name : kPieceControls) EXPECT_FALSE(enabled(name)) << name;
}

TEST_F(AutoTest, LeavingAutomaticModeIsAClickOnTheBlockTheListShows) {
    // By hand: block 1 loaded, block 2 the current block, block 1 shown again.
    action("mnuAautoMove")->trigger();
    choose(1);
    click("cmdLoad");
    choose(2);
    choose(1);
    action("mnuAautoMove")->trigger();
    atRound(20, [&] { click("cmdStop"); });
    click("cmdMove");
    action("mnuAautoMove")->trigger();
    // The list shows block 1: so do the number, the preview (not a block the
    // search drew) and the buttons, off for a loaded block.
    EXPECT_EQ(find<QListWidget>("lstPiece")->currentRow(), 0);
    EXPECT_EQ(text("lblPiece"), "1");
    const QImage preview = w.pictPiece->toImage();
    w.subPiece_Show(0);
    EXPECT_EQ(w.pictPiece->toImage(), preview);
    EXPECT_FALSE(enabled("cmdLoad"));
    EXPECT_FALSE(enabled("cmdCancel"));
    for (const char* name : kPieceControls) EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;
}

TEST_F(AutoTest, LoadPacksTheSampleAsTheHeadlessSearchDoes) {
    Puzzle expect = w.m_puzzle;
    const RecordingHost h = headless(expect);
    ASSERT_EQ(h.messages.size(), 1u);

    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Solved);
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), "♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);
    expectSamePuzzle(w.m_puzzle, expect);
    EXPECT_EQ(fncBox_Count(w.m_puzzle.G_iBox), 27);
    EXPECT_EQ(text("lblSum"), "27 : 27");
    EXPECT_EQ(text("lblSum").toStdString(), h.sum);
    QListWidget* list = find<QListWidget>("listRotate");
    ASSERT_EQ(list->count(), static_cast<int>(h.lines.size()));
    EXPECT_EQ(list->item(list->count() - 1)->text().toStdString(), h.lines.back());
    EXPECT_EQ(text("lblAtOnce").toStdString(), h.lines.back());
    expectPanelShows(h);
    EXPECT_FALSE(w.searching());
    EXPECT_TRUE(enabled("cmdMove"));
    EXPECT_TRUE(enabled("cmdInit"));

    // INIT: counters and order back to the start; the result lines stay.
    click("cmdInit");
    EXPECT_EQ(w.m_puzzle.GE_lRotate, 12345678);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(w.lblIP[i]->text(), QString::number(i + 1));
        EXPECT_EQ(w.lblNo[i]->text(), "0");
        EXPECT_EQ(w.lblFaceV[i]->text(), "0");
        EXPECT_EQ(w.lblTurn_CtZ[i]->text(), "0");
    }
    EXPECT_EQ(list->count(), static_cast<int>(h.lines.size()));
    EXPECT_EQ(text("lblAtOnce").toStdString(), h.lines.back());
}

TEST_F(AutoTest, LoadWithTheDeadSpaceCheck) {
    find<QCheckBox>("chkDedSpace")->setChecked(true);
    Puzzle expect = w.m_puzzle;
    const RecordingHost h = headless(expect, true);
    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Solved);
    expectSamePuzzle(w.m_puzzle, expect);
    expectPanelShows(h);
}

TEST_F(AutoTest, StopEndsTheSearchAndLoadGoesOnFromThere) {
    bool searchingThen = false, openThen = true, moveThen = true, stopThen = false;
    atRound(50, [&] {
        searchingThen = w.searching();
        openThen = action("mnuFileOpen")->isEnabled();
        moveThen = enabled("cmdMove");
        stopThen = enabled("cmdStop");
        click("cmdStop");
    });
    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Stopped);
    EXPECT_TRUE(searchingThen);
    EXPECT_FALSE(openThen);  // nothing may change the puzzle under the search
    EXPECT_FALSE(moveThen);
    EXPECT_TRUE(stopThen);
    EXPECT_FALSE(w.bStopRequest);
    EXPECT_GT(w.lastStats().fitTests, 0u);
    EXPECT_LT(w.lastStats().fitTests, 100u);
    EXPECT_TRUE(action("mnuFileOpen")->isEnabled());
    EXPECT_TRUE(enabled("cmdMove"));
    EXPECT_EQ(dlg.count(), 0u);

    // The panel shows the state the search stopped in.
    Puzzle copy = w.m_puzzle;
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(w.lblIP[i]->text(), QString::number(copy.GE_iRotation[i] + 1));

    // The next LOAD goes on from the counters to the same packing as one uninterrupted run.
    Puzzle expect = buildSamplePuzzle();
    headless(expect);
    w.setYieldInterval(std::chrono::milliseconds(10));
    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Solved);
    EXPECT_EQ(w.m_puzzle.G_iBox, expect.G_iBox);
    EXPECT_EQ(w.m_puzzle.G_lBox_Color, expect.G_lBox_Color);
    EXPECT_EQ(w.m_puzzle.G_Info_Piece, expect.G_Info_Piece);
}

TEST_F(AutoTest, AFitTestLimitStopsExactlyThere) {
    // Batched yield points must not overshoot: the search stops before fit test N + 1.
    for (uint64_t limit : {1ull, 1000ull, 123457ull}) {
        click("cmdInit");
        w.setFitTestLimit(limit);
        click("cmdMove");
        EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Stopped) << limit;
        EXPECT_EQ(w.lastStats().fitTests, limit);
    }
    // The same point, panel included, as a headless search stopped there.
    click("cmdInit");
    Puzzle expect = w.m_puzzle;
    const RecordingHost h = headless(expect, false, 123457);
    click("cmdMove");
    expectSamePuzzle(w.m_puzzle, expect);
    expectPanelShows(h);
}

TEST_F(AutoTest, APuzzleThatCannotFillItsBoxShowsWhatTheHeadlessSearchShows) {
    // Block 7 gone but the total still 27 (as a file may hold it): every complete
    // placement falls short, adds a result line and advances the first block, and
    // exhausted orders rotate.
    Puzzle& P = w.m_puzzle;
    for (int c = 0; c < kCells; ++c) P.G_iPiece[6 + kBlocks * c] = P.G_iPiece_Made[6 + kBlocks * c] = 0;
    w.subShowRotation();
    Puzzle expect = P;
    const RecordingHost h = headless(expect, false, 3'000'000);
    ASSERT_GT(h.lines.size(), 1u);
    ASSERT_NE(expect.GE_iRotation, buildSamplePuzzle().GE_iRotation);  // the order has changed

    w.setFitTestLimit(3'000'000);
    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Stopped);
    expectSamePuzzle(w.m_puzzle, expect);
    expectPanelShows(h);
    QListWidget* list = find<QListWidget>("listRotate");
    ASSERT_EQ(list->count(), static_cast<int>(h.lines.size()));
    for (int i = 0; i < list->count(); ++i) EXPECT_EQ(list->item(i)->text().toStdString(), h.lines[i]) << i;
    EXPECT_EQ(text("lblAtOnce").toStdString(), h.lines.back());
    EXPECT_EQ(text("lblSum").toStdString(), h.sum);
    EXPECT_EQ(dlg.count(), 0u);
}

TEST_F(AutoTest, StopWhileIdleDoesNotCancelTheNextSearch) {
    click("cmdStop");
    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Solved);
    EXPECT_FALSE(w.bStopRequest);
}

TEST_F(AutoTest, ClosingTheWindowStopsTheSearchAndEndsTheProgram) {
    QSignalSpy unloaded(&w, &frmMain::unloaded);
    w.show();
    atRound(20, [&] { w.close(); });
    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Stopped);
    EXPECT_TRUE(w.isHidden());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_EQ(dlg.count(), 0u);
}

TEST_F(AutoTest, LoadIsNotEnteredTwice) {
    LoaderOutcome inner = LoaderOutcome::Solved;
    atRound(5, [&] {
        w.cmdMove_Click();  // as if LOAD got through while searching
        inner = w.lastOutcome();
        click("cmdStop");
    });
    click("cmdMove");
    EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Stopped);
    EXPECT_NE(inner, LoaderOutcome::Solved);
    EXPECT_EQ(dlg.count(), 0u);
}

}  // namespace
}  // namespace tessaro::test
