// The view controls, the layer panels and both makers through the window:
// puzzles made by clicking the panels, then played by hand and packed by the
// automatic loader.

#include "WindowFixture.h"
#include "editor/CellCount.h"
#include "editor/PanelGeometry.h"
#include "editor/frmInput.h"
#include "model/Figure.h"
#include "ui/ShapeSquare.h"
#include "viewqt/CubePicture.h"

#include <QLineEdit>
#include <QStatusBar>

namespace tessaro::test {
namespace {

const char* const kMakeTitle = "【 ﾂｰﾙ 】完成体を元にブロック作成";
const char* const kMakeQuestion = "ブロックを作成しますか？\r\n＜注意＞プレイ中のブロック情報は、初期化されます。\r\n";
const char* const kPieceTitle = "【 ﾂｰﾙ 】ブロック単体の作成";
const char* const kPieceQuestion = "ブロック単体を作成します。\r\nプレイ中のブロック情報を、初期化しますか？";
const char* const kEndQuestion = "ブロック作成を終了しますか？\r\n作成終了後、保存を行ってください。\r\n";
const char* const kPanelBars[] = {"hscL", "hscR", "vscU", "vscD", "hscLP", "hscRP", "vscUP", "vscDP"};

class MakeTest : public WindowTest {
protected:
    int dialogShowings = 0;

    void SetUp() override {
        activate();
        w.setYieldInterval(std::chrono::microseconds(0));
    }

    // The next cell-count dialog is the real frmInput, answered from the keyboard.
    void answerCells(const char* x, const char* y, const char* z, bool ok = true) {
        w.frmInput_Show = [this, x, y, z, ok](Puzzle& p) {
            ++dialogShowings;
            frmInput d(p, &w);
            EXPECT_FALSE(G_bInput_OK);
            QLineEdit* boxes[3] = {d.txtX(), d.txtY(), d.txtZ()};
            const char* typed[3] = {x, y, z};
            for (int a = 0; a < 3; ++a) {
                boxes[a]->selectAll();
                QTest::keyClicks(boxes[a], typed[a]);
                QTest::keyClick(boxes[a], Qt::Key_Return);
            }
            (ok ? d.cmdOK() : d.cmdCancel())->click();
            w.frmInput_Show = nullptr;
            return G_bInput_OK;
        };
    }

    QScrollBar* layerBar(Panel p) {
        static const char* names[] = {"hscL", "vscU", "hscR", "vscD", "hscLP", "vscUP", "hscRP", "vscDP"};
        return find<QScrollBar>(names[static_cast<int>(p)]);
    }
    ShapeSquare* square(Panel p, int i) { return find<ShapeSquare>((panelName(p) + std::to_string(i)).c_str()); }

    // A mouse press on the window's surface at the centre of the square showing the cell.
    void clickCell(Panel p, int x, int y, int z, Qt::MouseButton button = Qt::LeftButton) {
        const int layer = isXLayerPanel(p) ? x : y;
        layerBar(p)->setValue(layer);
        const int i = panelElement(p, {x, y, z}, layer);
        ASSERT_GE(i, 0);
        const SquareRect r = panelSquare(p, i);
        QTest::mouseClick(w.surface, button, {}, QPoint((r.left + 180) / 15, (r.top + 180) / 15));
    }

    int16_t box(int x, int y, int z) const { return w.m_puzzle.G_iBox[cellIndex(x, y, z)]; }
    QString status(int n) { return w.stsBar_Panel(n)->text(); }

    void enterBodyMaker(const char* x, const char* y, const char* z) {
        dlg.answerMessage(MsgResult::Yes);
        answerCells(x, y, z);
        action("mnuMake")->trigger();
        ASSERT_TRUE(action("mnuMake")->isChecked());
    }
    void endMaker(const char* menu) {
        dlg.answerMessage(MsgResult::Yes);
        action(menu)->trigger();
        ASSERT_FALSE(action(menu)->isChecked());
    }
    // Loads block `number` as it stands, after `zSteps` presses of Z+.
    void loadAsMade(int number, int zSteps = 0) {
        choose(number);
        click("cmdZ_Inc", zSteps);
        click("cmdLoad");
    }
    // Clears the box and lets the automatic loader pack it.
    void packAutomatically(int cells) {
        click("cmdClear");
        dlg.clear();
        action("mnuAautoMove")->trigger();
        click("cmdMove");
        EXPECT_EQ(w.lastOutcome(), LoaderOutcome::Solved);
        EXPECT_EQ(text("lblSum"), QStringLiteral("%1 : %1").arg(cells));
        EXPECT_EQ(fncBox_Count(w.m_puzzle.G_iBox), cells);
        ASSERT_EQ(messages().size(), 1u);
        expectMessage(messages()[0], "♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);
        action("mnuAautoMove")->trigger();
    }
};

TEST_F(MakeTest, DraggingOnTheMainViewTurnsItByHalfTheDistance) {
    QScrollBar* dx = find<QScrollBar>("hscDX");
    QScrollBar* dy = find<QScrollBar>("vscDY");
    EXPECT_EQ(dx->value(), 120);
    w.pictMain_MouseDown(1, 0, 1000, 1000);
    w.pictMain_MouseMove(1, 0, 1200, 900);
    EXPECT_EQ(dx->value(), -100);
    EXPECT_EQ(dy->value(), -50);
    w.pictMain_MouseMove(1, 0, 1005, 1003);  // -2.5 and 1.5: halves to even
    EXPECT_EQ(dx->value(), -2);
    EXPECT_EQ(dy->value(), 2);
    // Beyond -800..800 on X only: that bar stays, the other follows.
    w.pictMain_MouseMove(1, 0, 1000 - 1700, 1300);
    EXPECT_EQ(dx->value(), -2);
    EXPECT_EQ(dy->value(), 150);
    // No button held: no drag.
    w.pictMain_MouseMove(0, 0, 1400, 1400);
    EXPECT_EQ(dx->value(), -2);

    // With the mouse on the picture itself: 40 pixels right, 20 up.
    QTest::mousePress(w.pictMain, Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(140, 80), w.pictMain->mapToGlobal(QPointF(140, 80)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.pictMain, &move);
    QTest::mouseRelease(w.pictMain, Qt::LeftButton, {}, QPoint(140, 80));
    EXPECT_EQ(dx->value(), -300);
    EXPECT_EQ(dy->value(), -150);
    EXPECT_NEAR(w.sngDragX, 1500, 1);

    // The body maker keeps the view still.
    enterBodyMaker("3", "3", "3");
    w.pictMain_MouseDown(1, 0, 0, 0);
    w.pictMain_MouseMove(1, 0, 200, 200);
    EXPECT_EQ(dx->value(), -300);
    EXPECT_EQ(dy->value(), -150);
}

TEST_F(MakeTest, ThePanelMenuShowsTheLayersOfTheBoxAndTheBlock) {
    action("mnu2D_Panel")->trigger();
    EXPECT_TRUE(action("mnu2D_Panel")->isChecked());
    for (const char* name : kPanelBars) EXPECT_TRUE(shown(name)) << name;
    for (Panel p : kAllPanels)
        for (int i = 0; i < 16; ++i) ASSERT_FALSE(square(p, i)->isHidden());

    // Block 1 of the sample loaded as it stands: cells (0,0,0) (0,1,0) (0,1,1) (0,1,2) (1,1,0).
    click("cmdLoad");
    const int32_t red = pieceColor(1, 0);
    EXPECT_TRUE(square(Panel::A, 0)->fillSolid());       // x = 0 layer, (y, z) = (0, 0)
    EXPECT_EQ(square(Panel::A, 0)->fillColor(), red);
    EXPECT_TRUE(square(Panel::A, 1 + 4 * 2)->fillSolid());  // (0, 1, 2)
    EXPECT_FALSE(square(Panel::A, 2)->fillSolid());
    EXPECT_EQ(square(Panel::A, 2)->fillColor(), 0);
    EXPECT_TRUE(square(Panel::B, 0)->fillSolid());       // y = 0 layer: (0, 0, 0) only
    EXPECT_FALSE(square(Panel::B, 4)->fillSolid());
    // A layer beyond the box shows only open squares.
    find<QScrollBar>("hscL")->setValue(3);
    for (int i = 0; i < 16; ++i) EXPECT_FALSE(square(Panel::A, i)->fillSolid()) << i;
    find<QScrollBar>("vscU")->setValue(1);
    EXPECT_TRUE(square(Panel::B, 0 + 4 * 1)->fillSolid());  // (1, 1, 0)

    // The block panels follow the current block and their bars.
    choose(2);  // (0,0,0) (0,0,1) (0,1,0) (0,2,0) (1,0,0)
    EXPECT_TRUE(square(Panel::E, 2)->fillSolid());
    EXPECT_EQ(square(Panel::E, 2)->fillColor(), pieceColor(2, 0));
    EXPECT_FALSE(square(Panel::E, 3)->fillSolid());
    find<QScrollBar>("hscLP")->setValue(1);
    EXPECT_TRUE(square(Panel::E, 0)->fillSolid());
    EXPECT_FALSE(square(Panel::E, 1)->fillSolid());

    // In play a click on a square changes nothing.
    const Puzzle before = w.m_puzzle;
    clickCell(Panel::B, 2, 0, 2);
    clickCell(Panel::F, 0, 0, 0);
    EXPECT_EQ(w.m_puzzle, before);

    action("mnu2D_Panel")->trigger();
    EXPECT_FALSE(action("mnu2D_Panel")->isChecked());
    for (const char* name : kPanelBars) EXPECT_FALSE(shown(name)) << name;
    EXPECT_TRUE(square(Panel::H, 15)->isHidden());
}

TEST_F(MakeTest, BodyMakerRefusalsChangeNothing) {
    const Puzzle before = w.m_puzzle;
    dlg.answerMessage(MsgResult::No);
    action("mnuMake")->trigger();
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), kMakeTitle, kMakeQuestion, MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_EQ(dialogShowings, 0);

    // Yes, then Cancel in the dialog after changing all three boxes.
    dlg.answerMessage(MsgResult::Yes);
    answerCells("2", "4", "2", false);
    action("mnuMake")->trigger();
    EXPECT_EQ(dialogShowings, 1);
    EXPECT_FALSE(action("mnuMake")->isChecked());
    EXPECT_EQ(w.m_puzzle, before);
    EXPECT_EQ(status(2), "サンプル");
    EXPECT_TRUE(enabled("cmdLoad"));
    EXPECT_FALSE(shown("cmdSet"));
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(MakeTest, BodyMakerFromEnteringToAPackedPuzzle) {
    // Block 3 loaded in play beforehand; the auto panel open.
    choose(3);
    click("cmdLoad");
    action("mnuAautoMove")->trigger();
    enterBodyMaker("2", "abc", "2.5");
    const Puzzle& P = w.m_puzzle;
    EXPECT_EQ(P.G_iCells_Y, 2);
    EXPECT_EQ(P.G_iMax_Z, 1);
    EXPECT_FALSE(action("mnuAautoMove")->isChecked());
    EXPECT_FALSE(shown("frameAuto"));
    EXPECT_TRUE(action("mnu2D_Panel")->isChecked());
    for (const char* name : kPanelBars) EXPECT_TRUE(shown(name)) << name;
    for (const char* name : {"mnuHelpHelp", "mnu2D_Panel", "mnuAautoMove", "mnuMakePiece", "mnuFileSave"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_EQ(status(2), "ブロック作成");
    EXPECT_EQ(status(3), "2×2×2");
    EXPECT_EQ(status(4), "２Ｄパネルのマス目をクリックし、[Set]ボタンをクリックします。");
    for (const char* name : {"cmdOrg", "cmdLoad", "cmdCancel", "cmdOrgPZ", "cmdClear", "cmdRemove", "cmdTurn0",
                             "cmdTurn1", "cmdTurn2", "cmdTurn3", "cmdTurn4", "cmdTurn5", "cmdX_Dec", "cmdZ_Inc"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(enabled("cmdReset"));
    EXPECT_TRUE(enabled("cmdShuffle"));
    EXPECT_TRUE(shown("cmdSet"));
    EXPECT_TRUE(shown("cmdSetCancel"));
    EXPECT_EQ(text("lblSum"), "");
    EXPECT_EQ(fncPiece_CountAll(P), 0);
    EXPECT_EQ(w.m_iPiece, 0);
    EXPECT_EQ(text("lblPiece"), "1");
    // Eight free cells in the greys; nothing outside reacts.
    EXPECT_EQ(fncBox_Count(P.G_iBox), 8);
    EXPECT_EQ(P.G_lBox_Color[colorIndex(1, 1, 1, 0)], 0xE7E7E7);
    EXPECT_TRUE(square(Panel::B, 0)->fillSolid());
    EXPECT_EQ(square(Panel::B, 0)->fillColor(), 0xE7E7E7);
    const Puzzle start = P;
    clickCell(Panel::A, 2, 0, 0);
    clickCell(Panel::D, 0, 3, 0);
    EXPECT_EQ(P, start);
    // A right click only redraws.
    clickCell(Panel::C, 0, 0, 0, Qt::RightButton);
    EXPECT_EQ(P, start);

    // Block 1 in two Sets: (0,0,0) by a click on a border of the top panel,
    // then (0,1,0) from the left panel and (1,0,0) from the top one.
    w.Form_MouseDown(1, 0, 2650, 300);  // shpB squares 0 and 4 overlap: square 0 wins
    EXPECT_EQ(box(0, 0, 0), 2);
    EXPECT_EQ(box(1, 0, 0), 1);
    EXPECT_EQ(P.G_lBox_Color[colorIndex(0, 0, 0, 2)], pieceColor(1, 2));
    click("cmdSet");
    clickCell(Panel::A, 0, 1, 0);
    clickCell(Panel::B, 1, 0, 0);
    clickCell(Panel::B, 1, 0, 1);  // marked, then freed again
    clickCell(Panel::B, 1, 0, 1);
    click("cmdSet");
    EXPECT_EQ(fncPiece_Count(P, 0), 3);
    EXPECT_EQ(box(0, 0, 0) + box(0, 1, 0) + box(1, 0, 0), 0);
    EXPECT_EQ(box(1, 0, 1), 1);
    EXPECT_EQ(P.G_iPiece, P.G_iPiece_Made);
    EXPECT_TRUE(square(Panel::E, 0)->fillSolid());  // the preview's panels show block 1

    // Cancel marks every cell of block 1 again; Set gives them back.
    click("cmdSetCancel");
    EXPECT_EQ(fncPiece_Count(P, 0), 0);
    EXPECT_EQ(box(0, 0, 0), 2);
    EXPECT_EQ(box(0, 1, 0), 2);
    EXPECT_EQ(box(1, 0, 0), 2);
    click("cmdSet");
    EXPECT_EQ(fncPiece_Count(P, 0), 3);

    // Block 2: the column (1,1,0) (1,1,1); block 3: the rest of the front layer.
    choose(2);
    EXPECT_EQ(w.m_iPiece, 1);
    clickCell(Panel::C, 1, 1, 0);
    clickCell(Panel::D, 1, 1, 1);
    click("cmdSet");
    choose(3);
    clickCell(Panel::B, 0, 0, 1);
    clickCell(Panel::B, 1, 0, 1);
    clickCell(Panel::A, 0, 1, 1);
    click("cmdSet");
    EXPECT_EQ(fncBox_Count(P.G_iBox), 0);
    EXPECT_EQ(fncPiece_CountUsed(P), 3);

    // Ending: every cell given and every block joined, so only the question.
    dlg.clear();
    endMaker("mnuMake");
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), kMakeTitle, kEndQuestion, MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_EQ(P.G_iCell_Total, 8);
    EXPECT_TRUE(action("mnuFileSaveAs")->isEnabled());
    EXPECT_FALSE(action("mnuFileSave")->isEnabled());
    EXPECT_FALSE(enabled("cmdReset"));
    EXPECT_FALSE(enabled("cmdShuffle"));
    EXPECT_FALSE(shown("cmdSet"));
    EXPECT_FALSE(shown("cmdSetCancel"));
    for (const char* name : {"mnu2D_Panel", "mnuAautoMove", "mnuMakePiece", "mnuHelpHelp"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    EXPECT_FALSE(action("mnu2D_Panel")->isChecked());
    for (const char* name : kPanelBars) EXPECT_FALSE(shown(name)) << name;
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;
    EXPECT_EQ(status(2), "プレイ・モード");
    EXPECT_EQ(status(4), "");
    EXPECT_EQ(fncBox_Count(P.G_iBox), 0);
    for (int b = 0; b < 8; ++b) EXPECT_EQ(P.G_iLoaded[b], 0);
    EXPECT_TRUE(w.optPiece[2]->isHidden());
    EXPECT_TRUE(enabled("hscDX"));
    EXPECT_TRUE(enabled("pictMain"));
    // Block 1 chosen for the user, with the buttons of a click on it.
    EXPECT_EQ(find<QListWidget>("lstPiece")->currentRow(), 0);
    EXPECT_TRUE(enabled("cmdLoad"));
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;

    // Played by hand: each block as made lands where it was cut from.
    dlg.clear();
    loadAsMade(1);
    loadAsMade(2);
    EXPECT_EQ(text("lblSum"), "5 : 8");
    loadAsMade(3);
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), "♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);

    packAutomatically(8);
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(MakeTest, NothingCanBeSavedWhileAMakerRuns) {
    // A first puzzle made: Save As is on.
    enterBodyMaker("2", "2", "2");
    endMaker("mnuMake");
    ASSERT_TRUE(action("mnuFileSaveAs")->isEnabled());
    // Marked cells and half-made blocks are no puzzle: both makers switch saving off.
    dlg.answerMessage(MsgResult::No);  // not saving the first one
    enterBodyMaker("2", "2", "2");
    EXPECT_FALSE(action("mnuFileSaveAs")->isEnabled());
    EXPECT_FALSE(action("mnuFileSave")->isEnabled());
    endMaker("mnuMake");
    EXPECT_TRUE(action("mnuFileSaveAs")->isEnabled());
    dlg.answerMessage(MsgResult::No);
    dlg.answerMessage(MsgResult::Yes);
    answerCells("2", "2", "2");
    action("mnuMakePiece")->trigger();
    ASSERT_TRUE(action("mnuMakePiece")->isChecked());
    EXPECT_FALSE(action("mnuFileSaveAs")->isEnabled());
    endMaker("mnuMakePiece");
    EXPECT_TRUE(action("mnuFileSaveAs")->isEnabled());
}

TEST_F(MakeTest, FreeCellsAndTheLightestShadesStandOut) {
    enterBodyMaker("2", "2", "2");
    // A free cell (0xE7E7E7) against the window's 0xEFEFEF: a darker ring inside the border.
    const QImage square0 = square(Panel::B, 0)->grab().toImage();
    const int window = w.palette().color(QPalette::Window).lightness();
    EXPECT_LT(square0.pixelColor(1, square0.height() / 2).lightness(), window - 40);
    EXPECT_EQ(square0.pixelColor(square0.width() / 2, square0.height() / 2), QColor(0xE7, 0xE7, 0xE7));
    // The views on white, where block 1's 0xE0E0E0 tops still show.
    EXPECT_EQ(w.pictMain->toImage().pixelColor(2, 2), QColor(Qt::white));
    EXPECT_EQ(w.pictPiece->toImage().pixelColor(2, 2), QColor(Qt::white));
}

TEST_F(MakeTest, EndingTheBodyMakerWithCellsLeftWarnsThenDiscardsThem) {
    enterBodyMaker("3", "2", "2");
    // Block 1: two cells that do not touch; one more cell marked but never set.
    clickCell(Panel::B, 0, 0, 0);
    clickCell(Panel::B, 2, 0, 1);
    click("cmdSet");
    clickCell(Panel::B, 1, 0, 0);
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    action("mnuMake")->trigger();
    ASSERT_EQ(dlg.count(), 2u);
    expectMessage(dlg.records()[0], kMakeTitle,
                  "＜注意＞セルが面でつながっていないブロックがあります。（ブロック 1）\r\n"
                  "＜注意＞どのブロックにも使われていないセルが、10 個あります。",
                  MsgIcon::Exclamation);
    expectMessage(dlg.records()[1], kMakeTitle, kEndQuestion, MsgIcon::Question, MsgButtons::YesNo);
    // No: the maker goes on, nothing lost.
    EXPECT_TRUE(action("mnuMake")->isChecked());
    EXPECT_EQ(box(1, 0, 0), 2);

    endMaker("mnuMake");
    EXPECT_EQ(w.m_puzzle.G_iCell_Total, 2);
    EXPECT_EQ(fncBox_Count(w.m_puzzle.G_iBox), 0);
    EXPECT_EQ(w.m_puzzle.G_lBox_Color[colorIndex(1, 0, 0, 0)], 0);
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(MakeTest, SingleBlockMakerDrawsUpToTheLimitAndPlays) {
    dlg.answerMessage(MsgResult::Yes);
    answerCells("2", "2", "5");
    action("mnuMakePiece")->trigger();
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), kPieceTitle, kPieceQuestion, MsgIcon::Question, MsgButtons::YesNoCancel);
    ASSERT_TRUE(action("mnuMakePiece")->isChecked());
    const Puzzle& P = w.m_puzzle;
    EXPECT_EQ(P.G_iCells_Z, 4);  // 5 became 4: 16 cells
    EXPECT_EQ(w.m_iCell_Limit, 16);
    EXPECT_EQ(text("lblPiece_count"), " 0 : 16");
    EXPECT_EQ(fncPiece_CountAll(P), 0);
    EXPECT_EQ(status(2), "ブロック作成");
    EXPECT_EQ(status(3), "2×2×4");
    EXPECT_EQ(status(4), "ブロックを選択して、２Ｄパネルのマス目をクリックします。");
    for (const char* name : {"mnuHelpHelp", "mnu2D_Panel", "mnuAautoMove", "mnuMake", "mnuFileSave"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_TRUE(action("mnu2D_Panel")->isChecked());
    for (const char* name : {"hscL", "hscR", "vscU", "vscD"}) EXPECT_FALSE(shown(name)) << name;
    for (const char* name : {"hscLP", "hscRP", "vscUP", "vscDP"}) EXPECT_TRUE(shown(name)) << name;
    EXPECT_TRUE(square(Panel::A, 0)->isHidden());
    EXPECT_FALSE(square(Panel::F, 0)->isHidden());
    for (const char* name : {"hscDX", "vscDY", "pictMain", "cmdLoad", "cmdCancel"}) EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;
    for (const char* name : kBoxControls) EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(enabled("cmdReset"));
    EXPECT_TRUE(enabled("cmdShuffle"));
    EXPECT_FALSE(shown("cmdSet"));

    // Block 1: a 2x2 square in the back layer, drawn on three different panels.
    clickCell(Panel::E, 0, 0, 0);
    EXPECT_EQ(text("lblPiece_count"), "1 : 16");
    clickCell(Panel::G, 1, 0, 0);
    clickCell(Panel::F, 0, 1, 0);
    clickCell(Panel::H, 1, 1, 0);
    clickCell(Panel::H, 1, 1, 1);  // drawn and taken away again
    clickCell(Panel::H, 1, 1, 1);
    EXPECT_EQ(text("lblPiece_count"), "4 : 16");
    EXPECT_EQ(fncPiece_Count(P, 0), 4);
    EXPECT_EQ(P.G_iPiece, P.G_iPiece_Made);
    EXPECT_TRUE(square(Panel::E, 1)->fillSolid());
    // Outside the 2x2x4 box nothing happens, not even a recount.
    w.lblPiece_count->setText("x");
    clickCell(Panel::E, 2, 0, 0);
    clickCell(Panel::F, 0, 3, 0, Qt::RightButton);
    EXPECT_EQ(text("lblPiece_count"), "x");
    // A right click only recounts.
    const Puzzle before = P;
    clickCell(Panel::E, 0, 0, 0, Qt::RightButton);
    EXPECT_EQ(text("lblPiece_count"), "4 : 16");
    EXPECT_EQ(P, before);

    // Blocks 2..4: three more squares, each drawn at the back and moved in play.
    for (int number = 2; number <= 4; ++number) {
        choose(number);
        EXPECT_EQ(w.m_iPiece, number - 1);
        for (int c = 0; c < 4; ++c) clickCell(Panel::F, c & 1, 0, c >> 1);  // top row, two deep
        EXPECT_EQ(fncPiece_Count(P, number - 1), 4);
    }
    EXPECT_EQ(text("lblPiece_count"), "16 : 16");
    EXPECT_EQ(dlg.count(), 1u);  // only the question so far
    // The seventeenth cell is refused.
    choose(5);
    clickCell(Panel::E, 0, 1, 3);
    EXPECT_EQ(text("lblPiece_count"), "16 : 16");
    EXPECT_EQ(fncPiece_Count(P, 4), 0);
    ASSERT_EQ(dlg.count(), 2u);
    expectMessage(*dlg.last(), "作りすぎっ・・・", "セル数を超過しました。", MsgIcon::Exclamation);

    dlg.clear();
    endMaker("mnuMakePiece");
    ASSERT_EQ(dlg.count(), 1u);
    EXPECT_EQ(text("lblPiece_count"), "");
    EXPECT_EQ(P.G_iCell_Total, 16);
    EXPECT_TRUE(action("mnuFileSaveAs")->isEnabled());
    for (const char* name : {"mnu2D_Panel", "mnuAautoMove", "mnuMake", "mnuHelpHelp"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    EXPECT_FALSE(action("mnu2D_Panel")->isChecked());
    for (const char* name : {"hscLP", "vscDP"}) EXPECT_FALSE(shown(name)) << name;
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;
    for (const char* name : {"hscDX", "vscDY", "pictMain"}) EXPECT_TRUE(enabled(name)) << name;
    EXPECT_FALSE(enabled("cmdReset"));
    EXPECT_EQ(status(2), "プレイ・モード");

    // Played by hand: block 1 at the back, the squares of blocks 2..4 turned
    // upright and pushed forward one layer after another.
    dlg.clear();
    loadAsMade(1);
    for (int number = 2; number <= 4; ++number) {
        choose(number);
        click("cmdTurn1");  // the flat square stands up
        click("cmdOrg");
        click("cmdZ_Inc", number - 1);
        click("cmdLoad");
    }
    EXPECT_EQ(text("lblSum"), "16 : 16");
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), "♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);

    packAutomatically(16);
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(MakeTest, SingleBlockMakerKeepsOrEmptiesTheBlocksAsAnswered) {
    const Puzzle sample = w.m_puzzle;
    ASSERT_TRUE(square(Panel::E, 0)->fillSolid());
    // Yes, then Cancel in the dialog: a cancelled command keeps the blocks, still in play.
    dlg.answerMessage(MsgResult::Yes);
    answerCells("3", "3", "3", false);
    action("mnuMakePiece")->trigger();
    EXPECT_FALSE(action("mnuMakePiece")->isChecked());
    EXPECT_EQ(w.m_puzzle, sample);
    EXPECT_EQ(status(2), "サンプル");
    EXPECT_TRUE(action("mnuMake")->isEnabled());
    EXPECT_TRUE(square(Panel::E, 0)->fillSolid());

    // Cancel in the question: nothing at all.
    w.m_puzzle = sample;
    dlg.answerMessage(MsgResult::Cancel);
    action("mnuMakePiece")->trigger();
    EXPECT_EQ(w.m_puzzle, sample);
    EXPECT_EQ(dialogShowings, 1);

    // No on the sample: its blocks are edited without a password; the first
    // right click shows the real count against the new limit.
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    answerCells("4", "4", "4");
    action("mnuMakePiece")->trigger();
    ASSERT_TRUE(action("mnuMakePiece")->isChecked());
    EXPECT_EQ(dlg.count(), 1u);
    EXPECT_EQ(fncPiece_CountAll(w.m_puzzle), 27);
    EXPECT_EQ(text("lblPiece_count"), " 0 : 64");
    clickCell(Panel::E, 0, 0, 0, Qt::RightButton);
    EXPECT_EQ(text("lblPiece_count"), "27 : 64");
    // The two makers and the loader exclude each other.
    EXPECT_FALSE(action("mnuMake")->isEnabled());
    EXPECT_FALSE(action("mnuAautoMove")->isEnabled());
    dlg.answerMessage(MsgResult::No);
    action("mnuMakePiece")->trigger();  // asked to end, answered No
    EXPECT_TRUE(action("mnuMakePiece")->isChecked());
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(MakeTest, BlocksKeptFromALargerBoxAreNeverErasedByARecount) {
    dlg.answerMessage(MsgResult::No);
    answerCells("2", "2", "2");
    action("mnuMakePiece")->trigger();
    ASSERT_TRUE(action("mnuMakePiece")->isChecked());
    // 27 cells against a limit of 8: a right click warns and takes nothing away.
    clickCell(Panel::E, 0, 0, 0, Qt::RightButton);
    EXPECT_EQ(text("lblPiece_count"), "8 : 8");
    EXPECT_EQ(fncPiece_CountAll(w.m_puzzle), 27);
    // A left click on a drawn cell still removes it.
    clickCell(Panel::E, 0, 0, 0);
    EXPECT_EQ(fncPiece_Count(w.m_puzzle, 0), 4);
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    action("mnuMakePiece")->trigger();
    ASSERT_EQ(dlg.count(), 2u);
    EXPECT_EQ(dlg.records()[0].text,
              "＜注意＞セルが面でつながっていないブロックがあります。（ブロック 5, 6）\r\n"
              "＜注意＞ブロックのセル数が、パズルのセル数より 18 個多くなっています。");
}

TEST_F(MakeTest, AMakerShowsOnlyThePuzzleBeingMadeAndUndoBringsResetBack) {
    loadAsMade(1);
    ASSERT_TRUE(shown("optPiece0"));
    ASSERT_GT(fncBox_Count(w.m_puzzle.G_iBox), 0);
    // The single-block maker keeps the blocks (No): play's box and option buttons are not shown.
    dlg.answerMessage(MsgResult::No);
    answerCells("3", "3", "3");
    action("mnuMakePiece")->trigger();
    ASSERT_TRUE(action("mnuMakePiece")->isChecked());
    EXPECT_FALSE(shown("optPiece0"));
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 0);
    endMaker("mnuMakePiece");

    // In the body maker, Reset and then undo: Reset is back with the blocks.
    dlg.answerMessage(MsgResult::No);  // what was made is not saved
    enterBodyMaker("2", "2", "2");
    clickCell(Panel::A, 0, 0, 0);
    click("cmdSet");
    click("cmdShuffle");
    ASSERT_TRUE(enabled("cmdReset"));
    click("cmdReset");
    EXPECT_FALSE(enabled("cmdReset"));
    action("mnuEditUndo")->trigger();
    EXPECT_TRUE(enabled("cmdReset"));
    action("mnuEditRedo")->trigger();
    EXPECT_FALSE(enabled("cmdReset"));
}

TEST_F(MakeTest, EditingAnOpenedPuzzlesBlocksTakesItsPassword) {
    // As after opening a file with the answer password "Tessa1".
    w.m_puzzle.G_sFile_Version = "Ver 1.0.0";
    w.m_puzzle.G_sPassword = "Tessa1";
    w.m_bBlocksFromFile = true;
    const Puzzle opened = w.m_puzzle;

    dlg.answerMessage(MsgResult::No);
    dlg.answerInput("tessa1");
    action("mnuMakePiece")->trigger();
    ASSERT_EQ(dlg.count(), 3u);
    EXPECT_EQ(dlg.records()[1].kind, DialogRecord::Kind::Input);
    EXPECT_EQ(dlg.records()[1].title, "パスワード入力");
    expectMessage(dlg.records()[2], "ごめんなさい！", "パスワードが違います。編集できません。", MsgIcon::Information);
    EXPECT_FALSE(action("mnuMakePiece")->isChecked());
    EXPECT_EQ(w.m_puzzle, opened);
    EXPECT_EQ(dialogShowings, 0);

    // A cancelled prompt ends it silently.
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    dlg.answerInput("");
    action("mnuMakePiece")->trigger();
    EXPECT_EQ(dlg.count(), 2u);
    EXPECT_EQ(w.m_puzzle, opened);

    // The right password, with blanks around it, keeps the blocks.
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    dlg.answerInput("  Tessa1 ");
    answerCells("3", "3", "3");
    action("mnuMakePiece")->trigger();
    ASSERT_TRUE(action("mnuMakePiece")->isChecked());
    EXPECT_EQ(fncPiece_CountAll(w.m_puzzle), 27);
    EXPECT_EQ(w.m_puzzle.G_sPassword, "Tessa1");
    endMaker("mnuMakePiece");

    // Without a password: the refusal, then a fresh start with empty blocks...
    w.m_bMadeUnsaved = false;  // as after saving what was made
    w.m_puzzle.G_sPassword.clear();
    const Puzzle noPassword = w.m_puzzle;
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    answerCells("3", "3", "3", false);
    action("mnuMakePiece")->trigger();
    // ...but only once the box size is given: Cancel there leaves the blocks,
    // so neither Save nor play ever sees them emptied under the old total.
    ASSERT_EQ(dlg.count(), 2u);
    expectMessage(dlg.records()[1], kPieceTitle, "パスワードが設定されていませんので、編集はできません！",
                  MsgIcon::Exclamation);
    EXPECT_FALSE(action("mnuMakePiece")->isChecked());
    EXPECT_EQ(w.m_puzzle, noPassword);

    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    answerCells("3", "3", "3");
    action("mnuMakePiece")->trigger();
    EXPECT_TRUE(action("mnuMakePiece")->isChecked());
    EXPECT_EQ(fncPiece_CountAll(w.m_puzzle), 0);
    EXPECT_EQ(dlg.unscripted(), 0);
}

}  // namespace
}  // namespace tessaro::test
