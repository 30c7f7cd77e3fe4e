// Undo and redo through the window: every step taken back and done again
// exactly, refusals adding nothing, the history starting afresh with a new
// puzzle, and undo held off while a search runs.

#include "WindowFixture.h"
#include "app/AppEnv.h"
#include "editor/CellCount.h"
#include "editor/PanelGeometry.h"
#include "files/PuzzleFile.h"
#include "model/Figure.h"
#include "ui/UndoHistory.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include <ostream>
#include <vector>

// Failures print the text, not its code units.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tessaro::test {
namespace {

class UndoTest : public WindowTest {
protected:
    void SetUp() override { activate(); }

    QAction* undoAction() { return action("mnuEditUndo"); }
    QAction* redoAction() { return action("mnuEditRedo"); }
    void undo(int times = 1) {
        for (int i = 0; i < times; ++i) undoAction()->trigger();
    }
    void redo(int times = 1) {
        for (int i = 0; i < times; ++i) redoAction()->trigger();
    }
    int steps() { return w.history().count(); }

    // Everything a step may change that the user sees, as one comparable text.
    QString seen() {
        QString s = QStringLiteral("sum=%1 piece=%2 row=%3 cur=%4 count=%5 atOnce=%6 list=%7 opts=")
                        .arg(text("lblSum"), text("lblPiece"))
                        .arg(w.lstPiece->currentRow())
                        .arg(w.m_iPiece)
                        .arg(text("lblPiece_count"), text("lblAtOnce"))
                        .arg(w.listRotate->count());
        for (QRadioButton* o : w.optPiece) s += o->isHidden() ? '-' : o->isChecked() ? '*' : 'o';
        s += QStringLiteral(" on=");
        for (const char* name : {"cmdLoad", "cmdCancel", "cmdReset"}) s += enabled(name) ? '1' : '0';
        for (const char* name : kPieceControls) s += enabled(name) ? '1' : '0';
        for (const char* name : kBoxControls) s += enabled(name) ? '1' : '0';
        for (QLabel* l : w.lblNo) s += ' ' + l->text();
        return s;
    }
    struct State {
        Puzzle puzzle;
        QString shown;
    };
    State state() { return {w.m_puzzle, seen()}; }
    void expectState(const State& s, const char* where) {
        SCOPED_TRACE(where);
        EXPECT_EQ(w.m_puzzle, s.puzzle);
        EXPECT_EQ(seen(), s.shown);
    }

    // Blocks 1..3 of the sample as in its solution, 15 of 27 cells; the states
    // just before and just after each step.
    struct Step {
        State before, after;
    };
    std::vector<Step> loadThreeBlocks() {
        std::vector<Step> steps;
        auto step = [&](const char* button) {
            State before = state();
            click(button);
            steps.push_back({std::move(before), state()});
        };
        choose(1);
        step("cmdX_Inc");
        step("cmdLoad");
        choose(2);
        step("cmdTurn1");
        step("cmdOrg");
        step("cmdLoad");
        choose(3);
        step("cmdTurn0");
        step("cmdTurn0");
        step("cmdOrg");
        step("cmdY_Inc");
        step("cmdLoad");
        EXPECT_EQ(text("lblSum"), "15 : 27");
        return steps;
    }
};

TEST_F(UndoTest, EveryStepOfAGameGoesBackAndForthExactly) {
    EXPECT_FALSE(undoAction()->isEnabled());
    EXPECT_FALSE(redoAction()->isEnabled());
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す");
    const std::vector<Step> game = loadThreeBlocks();
    const State loaded = state();
    ASSERT_EQ(steps(), static_cast<int>(game.size()));
    EXPECT_TRUE(undoAction()->isEnabled());
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す: ブロック 3 を入れる");

    for (size_t i = game.size(); i-- > 0;) {
        undo();
        expectState(game[i].before, "undo");
    }
    EXPECT_FALSE(undoAction()->isEnabled());
    EXPECT_EQ(redoAction()->toolTip(), "やり直し: ブロック 1 を動かす (X+)");
    EXPECT_EQ(text("lblSum"), "");
    EXPECT_EQ(fncBox_Count(w.m_puzzle.G_iBox), 0);
    for (const Step& s : game) {
        redo();
        expectState(s.after, "redo");
    }
    expectState(loaded, "all redone");
    EXPECT_FALSE(redoAction()->isEnabled());

    // A new step after an undo drops what could be redone.
    undo(2);
    EXPECT_TRUE(redoAction()->isEnabled());
    click("cmdX_Inc");
    EXPECT_FALSE(redoAction()->isEnabled());
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す: ブロック 3 を動かす (X+)");
}

TEST_F(UndoTest, TheKeysUndoAndRedoInTheShownWindow) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const State start = state();
    choose(1);
    click("cmdLoad");
    const State loaded = state();
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    expectState(start, "Ctrl+Z");
    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    expectState(loaded, "Ctrl+Y");
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    expectState(loaded, "Ctrl+Shift+Z");

    // Any modal dialog over the window holds undo off until it closes.
    QMessageBox box(QMessageBox::Information, QStringLiteral("バージョン情報"), QStringLiteral("Tessaro"),
                    QMessageBox::Ok, &w);
    bool onWhileOpen = true;
    QTimer::singleShot(50, &box, [&] {
        onWhileOpen = undoAction()->isEnabled();
        w.mnuEditUndo_Click();
        box.accept();
    });
    box.exec();
    EXPECT_FALSE(onWhileOpen);
    expectState(loaded, "undo while a dialog was open");
    EXPECT_TRUE(undoAction()->isEnabled());
    w.close();
}

TEST_F(UndoTest, UnloadAndClearAreUndone) {
    loadThreeBlocks();
    w.optPiece[1]->click();
    const State beforeUnload = state();
    click("cmdRemove");
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す: ブロック 2 を取り外す");
    const State unloaded = state();
    undo();
    expectState(beforeUnload, "UNLOAD undone");
    redo();
    expectState(unloaded, "UNLOAD redone");

    const State beforeClear = state();
    click("cmdClear");
    EXPECT_EQ(text("lblSum"), "");
    undo();
    expectState(beforeClear, "Clear undone");
    EXPECT_EQ(text("lblSum"), "10 : 27");
}

TEST_F(UndoTest, RefusedAndEmptyCommandsAddNoStep) {
    choose(1);
    click("cmdLoad");
    ASSERT_EQ(steps(), 1);
    choose(2);  // choosing is no step
    click("cmdLoad");  // overlaps block 1
    ASSERT_EQ(dlg.count(), 1u);
    click("cmdX_Dec");  // already at the edge
    click("cmdStop");   // nothing runs
    EXPECT_EQ(steps(), 1);
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す: ブロック 1 を入れる");
}

TEST_F(UndoTest, ALoadOfTheSampleIsOneStepAndUndoWaitsForIt) {
    choose(1);
    click("cmdTurn0");  // a step the search must not see undone under it
    action("mnuAautoMove")->trigger();
    const State moved = state();
    bool undoOnDuringSearch = true;
    int indexDuringSearch = -1;
    QTimer::singleShot(0, &w, [&] {
        undoOnDuringSearch = undoAction()->isEnabled();
        w.mnuEditUndo_Click();  // as a shortcut would, were it not off
        indexDuringSearch = w.history().index();
    });
    click("cmdMove");
    ASSERT_EQ(w.lastOutcome(), LoaderOutcome::Solved);
    EXPECT_FALSE(undoOnDuringSearch);
    EXPECT_EQ(indexDuringSearch, 1);
    ASSERT_EQ(steps(), 2);
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す: 自動装填 (LOAD)");
    const State solved = state();
    EXPECT_GT(w.listRotate->count(), 0);
    EXPECT_EQ(text("lblSum"), "27 : 27");

    undo();
    expectState(moved, "LOAD undone");
    EXPECT_EQ(w.listRotate->count(), 0);
    redo();
    expectState(solved, "LOAD redone");

    // Undone and redone by hand: the controls follow the mode the window is in
    // now, as leaving the automatic mode sets them.
    action("mnuAautoMove")->trigger();
    const State solvedByHand = state();
    undo();
    EXPECT_EQ(fncBox_Count(w.m_puzzle.G_iBox), 0);
    EXPECT_TRUE(enabled("cmdLoad"));
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;
    redo();
    expectState(solvedByHand, "LOAD redone by hand");
    EXPECT_TRUE(w.lstPiece->isEnabled());
}

TEST_F(UndoTest, TheResultListKeepsOnlyWhatAStepChanged) {
    // Lines before the step, some dropped from the front and some added by it.
    for (int i = 0; i < 5; ++i) w.listRotate->addItem(QStringLiteral("old %1").arg(i));
    const QStringList before = [&] {
        QStringList l;
        for (int i = 0; i < w.listRotate->count(); ++i) l << w.listRotate->item(i)->text();
        return l;
    }();
    w.recordStep(QStringLiteral("試し"), [&] {
        w.listRotate->addItem(QStringLiteral("new 0"));
        w.listRotate->model()->removeRows(0, 2);
        w.listRotate->addItem(QStringLiteral("new 1"));
    });
    ASSERT_EQ(steps(), 1);
    auto lines = [&] {
        QStringList l;
        for (int i = 0; i < w.listRotate->count(); ++i) l << w.listRotate->item(i)->text();
        return l;
    };
    const QStringList after = lines();
    EXPECT_EQ(after, QStringList({"old 2", "old 3", "old 4", "new 0", "new 1"}));
    undo();
    EXPECT_EQ(lines(), before);
    redo();
    EXPECT_EQ(lines(), after);

    // A clear in a step: every old line comes back.
    w.recordStep(QStringLiteral("消去"), [&] {
        w.listRotate->clear();
        w.listRotate->addItem(QStringLiteral("only"));
    });
    undo();
    EXPECT_EQ(lines(), after);
    redo();
    EXPECT_EQ(lines(), QStringList({"only"}));
}

TEST_F(UndoTest, AMakersCellMarkIsUndone) {
    choose(1);
    click("cmdLoad");
    w.frmInput_Show = [](Puzzle& p) {
        applyCellCounts(p, 2, 2, 2);
        return true;
    };
    dlg.answerMessage(MsgResult::Yes);
    action("mnuMake")->trigger();
    ASSERT_TRUE(action("mnuMake")->isChecked());
    EXPECT_EQ(steps(), 0);  // the maker starts afresh
    const State fresh = state();

    // Cell (1, 0, 0) on the first box panel.
    w.hscL->setValue(1);
    const int i = panelElement(Panel::A, {1, 0, 0}, 1);
    ASSERT_GE(i, 0);
    const SquareRect r = panelSquare(Panel::A, i);
    QTest::mouseClick(w.surface, Qt::LeftButton, {}, QPoint((r.left + 180) / 15, (r.top + 180) / 15));
    ASSERT_EQ(steps(), 1);
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す: 箱のマス目をクリック");
    const State marked = state();
    EXPECT_NE(marked.puzzle, fresh.puzzle);
    undo();
    expectState(fresh, "mark undone");
    EXPECT_TRUE(enabled("cmdReset"));  // the maker's own
    redo();
    expectState(marked, "mark redone");

    click("cmdSet");
    EXPECT_EQ(undoAction()->toolTip(), "元に戻す: ブロック 1 に割り当てる (Set)");
    undo();
    expectState(marked, "Set undone");
}

TEST_F(UndoTest, OpenStartsAfreshAndUndoKeepsWhatTheFileHolds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string oldData = G_sData_Path;
    G_sData_Path = dir.path().toStdString();
    const std::string path = G_sData_Path + "/undo.bin";

    // Save As starts afresh: no step leads back to the blocks as they were
    // made, for Save to write into the shuffled file.
    loadThreeBlocks();
    w.mnuFileSaveAs->setEnabled(true);
    dlg.answerInput("三つ");
    dlg.answerInput("Pass7");
    dlg.answerSave(path);
    action("mnuFileSaveAs")->trigger();
    ASSERT_EQ(w.m_sFile_Path, path);
    EXPECT_EQ(steps(), 0);
    EXPECT_FALSE(undoAction()->isEnabled());
    EXPECT_EQ(w.m_puzzle.G_sPassword, "Pass7");
    EXPECT_EQ(w.stsBar_Panel(4)->text(), "三つ");

    dlg.answerOpen(path);
    action("mnuFileOpen")->trigger();
    EXPECT_EQ(steps(), 0);
    EXPECT_FALSE(undoAction()->isEnabled());
    EXPECT_FALSE(redoAction()->isEnabled());
    const State opened = state();

    // Reset after giving up is a step; undoing it never gives Reset back.
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("Pass7");
    action("mnuHelpHelp")->trigger();
    ASSERT_TRUE(enabled("cmdReset"));
    EXPECT_EQ(steps(), 0);
    click("cmdReset");
    EXPECT_EQ(w.m_puzzle.G_iPiece, w.m_puzzle.G_iPiece_Made);
    ASSERT_EQ(steps(), 1);
    undo();
    EXPECT_EQ(w.m_puzzle, opened.puzzle);
    EXPECT_FALSE(enabled("cmdReset"));
    G_sData_Path = oldData;
}

TEST_F(UndoTest, AThousandStepsStayWithinAFewMegabytes) {
    choose(1);
    for (int i = 0; i < UndoHistory::kLimit + 1; ++i) click(i % 2 ? "cmdTurn1" : "cmdTurn0");
    EXPECT_EQ(steps(), UndoHistory::kLimit);  // the oldest went
    const size_t bytes = w.history().bytes();
    std::printf("history of %d steps: %zu bytes\n", steps(), bytes);
    EXPECT_LT(bytes, size_t{3} << 20);
    undo(UndoHistory::kLimit);
    EXPECT_FALSE(undoAction()->isEnabled());
    // Back to the state after the first turn, the one step that went.
    Puzzle once;
    subSample_Set(once);
    subPiece_TurnZ(once, 0);
    EXPECT_EQ(w.m_puzzle.G_iPiece, once.G_iPiece);
}

}  // namespace
}  // namespace tessaro::test
