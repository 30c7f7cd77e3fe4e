#pragma once
// The cell-count dialog: asks for the box size before either maker starts.
// A fresh dialog is built for every showing and reads the current counts.

#include "model/Puzzle.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QLineEdit;
class QPushButton;

namespace tessaro {

class CountEdit;

class frmInput : public QDialog {
public:
    // Form_Load: G_bInput_OK false, the boxes and the accepted values take the counts.
    explicit frmInput(Puzzle& puzzle, QWidget* parent = nullptr);
    ~frmInput() override;

    // Shows a fresh dialog modally over `parent`; returns G_bInput_OK.
    static bool showModal(Puzzle& puzzle, QWidget* parent);

    QLineEdit* txtX() const;
    QLineEdit* txtY() const;
    QLineEdit* txtZ() const;
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void txt_GotFocus(int axis);
    void txt_LostFocus(int axis);
    void txt_Enter(int axis);

    Puzzle& puzzle_;
    std::array<CountEdit*, 3> txt_{};
    std::array<int16_t, 3> m_iCells{};
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace tessaro
