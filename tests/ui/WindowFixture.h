#pragma once
// A fresh main window over scripted dialogs, driven as a user would: buttons
// clicked, list entries clicked with the mouse, menus triggered.

#include "ui/frmMain.h"
#include "ui/testing/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace tessaro::test {

class WindowTest : public ::testing::Test {
protected:
    ScriptedDialogs dlg;
    frmMain w{dlg};

    template <class T>
    T* find(const char* name) {
        T* p = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(p, nullptr) << "no control " << name;
        return p;
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    QLabel* label(const char* name) { return find<QLabel>(name); }
    QAction* action(const char* name) { return find<QAction>(name); }
    QString text(const char* labelName) { return label(labelName)->text(); }
    bool enabled(const char* name) { return find<QWidget>(name)->isEnabled(); }
    bool shown(const char* name) { return !find<QWidget>(name)->isHidden(); }

    // A click does nothing on a disabled button, as on screen.
    void click(const char* name) { button(name)->click(); }
    void click(const char* name, int times) {
        for (int i = 0; i < times; ++i) click(name);
    }
    // Block number 1..8 clicked in the list with the mouse.
    void choose(int number) {
        QListWidget* l = find<QListWidget>("lstPiece");
        QListWidgetItem* item = l->item(number - 1);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(item).center());
    }
    void activate() { w.Form_Activate(); }

    std::vector<DialogRecord> messages() const { return dlg.messages(); }
};

inline void expectMessage(const DialogRecord& r, const std::string& title, const std::string& text, MsgIcon icon,
                          MsgButtons buttons = MsgButtons::Ok) {
    EXPECT_EQ(r.kind, DialogRecord::Kind::Message);
    EXPECT_EQ(r.title, title);
    EXPECT_EQ(r.text, text);
    EXPECT_EQ(r.icon, icon) << iconName(r.icon);
    EXPECT_EQ(r.buttons, buttons);
}

// The block-side controls, switched together by subPieceCtl_Enable.
inline const char* const kPieceControls[] = {"cmdOrg",   "cmdTurn0", "cmdTurn1", "cmdTurn2", "cmdX_Dec",
                                             "cmdX_Inc", "cmdY_dec", "cmdY_Inc", "cmdZ_Dec", "cmdZ_Inc"};
// The box-side controls, switched together by subBoxCtl_Enable.
inline const char* const kBoxControls[] = {"cmdRemove", "cmdOrgPZ", "cmdClear", "cmdTurn3", "cmdTurn4", "cmdTurn5"};

}  // namespace tessaro::test
