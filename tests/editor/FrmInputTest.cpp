#include "editor/CellCount.h"
#include "editor/frmInput.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessaro {
namespace {

Puzzle threeCube() {
    Puzzle p;
    p.setBoxCells(3, 3, 3);
    return p;
}

// Focus events reach only the widgets of the active window.
void showActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// Types into a box the way a user does: focus, replace the selection, Enter.
// Text beyond ASCII arrives whole, as from an input method.
void typeAndEnter(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::TabFocusReason);
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
    if (ascii) QTest::keyClicks(box, text);
    else box->insert(text);
    QTest::keyClick(box, Qt::Key_Return);
}

class FrmInput : public ::testing::Test {
protected:
    void SetUp() override { G_bInput_OK = true; }
};

TEST_F(FrmInput, OpensWithTheCurrentCountsAndItsTexts) {
    Puzzle p = threeCube();
    p.G_iCells_Z = 4;
    frmInput dlg(p);
    EXPECT_FALSE(G_bInput_OK);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("パズル作成　セル設定"));
    EXPECT_TRUE(dlg.isModal());
    QStringList texts;
    for (QLabel* l : dlg.findChildren<QLabel*>()) texts << l->text();
    for (const char* t : {"セルの数を入力してください。", "値は、２ ～ ４の範囲。", "Cells X", "Cells Y", "Cells Z"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    EXPECT_EQ(dlg.txtX()->text(), "3");
    EXPECT_EQ(dlg.txtZ()->text(), "4");
    EXPECT_EQ(dlg.cmdOK()->text(), "OK");
    EXPECT_EQ(dlg.cmdCancel()->text(), "Cancel");
    EXPECT_EQ(dlg.findChild<QLineEdit*>("txtY"), dlg.txtY());
    EXPECT_EQ(dlg.findChild<QPushButton*>("cmdOK"), dlg.cmdOK());
}

TEST_F(FrmInput, LeavingABoxReadsRoundsAndClamps) {
    Puzzle p = threeCube();
    frmInput dlg(p);
    showActive(dlg);
    const std::pair<const char*, const char*> cases[] = {
        {"5", "4"}, {"1", "2"}, {"abc", "2"}, {"3.5", "4"}, {"2.5", "2"}, {"99999", "4"}, {"３", "3"}};
    for (const auto& [typed, shown] : cases) {
        typeAndEnter(dlg.txtX(), QString::fromUtf8(typed));
        EXPECT_EQ(dlg.txtX()->text(), shown) << typed;
    }
    // Emptied, then left with the mouse elsewhere.
    dlg.txtY()->setFocus(Qt::TabFocusReason);
    dlg.txtY()->clear();
    dlg.txtZ()->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(dlg.txtY()->text(), "2");
    EXPECT_EQ(p, threeCube());  // nothing written before OK
}

TEST_F(FrmInput, EnteringABoxSelectsItsValueWithTheCaretAtTheStart) {
    Puzzle p = threeCube();
    frmInput dlg(p);
    showActive(dlg);
    dlg.txtY()->setText("1234567890123");
    dlg.txtY()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(dlg.txtY()->cursorPosition(), 0);
    EXPECT_EQ(dlg.txtY()->selectedText(), "123456789");
    dlg.txtZ()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(dlg.txtZ()->selectedText(), "3");
    QTest::keyClicks(dlg.txtZ(), "2");
    EXPECT_EQ(dlg.txtZ()->text(), "2");
}

TEST_F(FrmInput, EnterWalksTheBoxesToOkAndASecondEnterPressesIt) {
    Puzzle p = threeCube();
    frmInput dlg(p);
    showActive(dlg);
    typeAndEnter(dlg.txtX(), "2");
    EXPECT_EQ(QApplication::focusWidget(), dlg.txtY());
    QTest::keyClicks(dlg.txtY(), "4");
    QTest::keyClick(dlg.txtY(), Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), dlg.txtZ());
    QTest::keyClicks(dlg.txtZ(), "7");
    QTest::keyClick(dlg.txtZ(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dlg.cmdOK());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.txtZ()->text(), "4");
    EXPECT_FALSE(G_bInput_OK);
    QTest::keyClick(dlg.cmdOK(), Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(G_bInput_OK);
    EXPECT_EQ(p.G_iCells_X, 2);
    EXPECT_EQ(p.G_iCells_Y, 4);
    EXPECT_EQ(p.G_iCells_Z, 4);
    EXPECT_EQ(p.G_iMax_X, 1);
    EXPECT_EQ(p.G_iMax_Y, 3);
    EXPECT_EQ(p.G_iMax_Z, 3);
}

TEST_F(FrmInput, OkChecksTheBoxStillBeingTyped) {
    Puzzle p = threeCube();
    frmInput dlg(p);
    showActive(dlg);
    dlg.txtX()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(dlg.txtX(), "9");
    dlg.cmdOK()->click();  // a click that takes no focus
    EXPECT_TRUE(G_bInput_OK);
    EXPECT_EQ(p.G_iCells_X, 4);
    EXPECT_EQ(p.G_iMax_X, 3);
}

TEST_F(FrmInput, CancelAndTheWindowFrameChangeNothing) {
    for (int way = 0; way < 3; ++way) {
        Puzzle p = threeCube();
        frmInput dlg(p);
        showActive(dlg);
        typeAndEnter(dlg.txtX(), "2");
        typeAndEnter(dlg.txtY(), "4");
        typeAndEnter(dlg.txtZ(), "2");
        if (way == 0) QTest::mouseClick(dlg.cmdCancel(), Qt::LeftButton);
        else if (way == 1) dlg.close();
        else QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible()) << way;
        EXPECT_FALSE(G_bInput_OK) << way;
        EXPECT_EQ(p, threeCube()) << way;
    }
}

TEST_F(FrmInput, EveryModalShowingStartsAfresh) {
    Puzzle p = threeCube();
    // Answers the running modal dialog: types a count into txtX and closes it.
    auto answer = [](const char* x, bool ok) {
        QTimer::singleShot(0, [x, ok] {
            auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            auto* in = static_cast<frmInput*>(dlg);
            EXPECT_FALSE(G_bInput_OK);
            in->txtX()->setText(x);
            (ok ? in->cmdOK() : in->cmdCancel())->click();
        });
    };
    answer("2", true);
    EXPECT_TRUE(frmInput::showModal(p, nullptr));
    EXPECT_EQ(p.G_iCells_X, 2);
    QString seen;
    QTimer::singleShot(0, [&seen] {
        auto* in = static_cast<frmInput*>(QApplication::activeModalWidget());
        seen = in->txtX()->text();
        in->cmdCancel()->click();
    });
    EXPECT_FALSE(frmInput::showModal(p, nullptr));
    EXPECT_EQ(seen, "2");  // the new count, not the first dialog's text
    answer("4", false);
    EXPECT_FALSE(frmInput::showModal(p, nullptr));
    EXPECT_EQ(p.G_iCells_X, 2);
}

}  // namespace
}  // namespace tessaro
