#include "editor/frmInput.h"

#include "editor/CellCount.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <functional>

namespace tessaro {

// A count box that reports focus changes and Enter to its dialog.
class CountEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onGotFocus, onLostFocus, onEnter;

protected:
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        // Coming back from another window is not entering the box.
        if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason && onGotFocus)
            onGotFocus();
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason && onLostFocus)
            onLostFocus();
    }
    void keyPressEvent(QKeyEvent* e) override {
        // Enter never reaches the dialog's default button from a count box.
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && onEnter) {
            e->accept();
            onEnter();
            return;
        }
        QLineEdit::keyPressEvent(e);
    }
};

namespace {

// Window units are twips; 15 to a pixel.
QRect tw(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

const char* const kAxisLabel[3] = {"Cells X", "Cells Y", "Cells Z"};
const char* const kAxisBox[3] = {"txtX", "txtY", "txtZ"};

int16_t cellsOf(const Puzzle& p, int axis) {
    return axis == 0 ? p.G_iCells_X : axis == 1 ? p.G_iCells_Y : p.G_iCells_Z;
}

}  // namespace

frmInput::frmInput(Puzzle& puzzle, QWidget* parent) : QDialog(parent), puzzle_(puzzle) {
    setObjectName("frmInput");
    setWindowTitle(QString::fromUtf8("パズル作成　セル設定"));
    setModal(true);
    setFixedSize(tw(0, 0, 4200, 3540).size());

    auto* lblPrompt = new QLabel(QString::fromUtf8("セルの数を入力してください。"), this);
    lblPrompt->setObjectName("Label1");
    lblPrompt->setGeometry(tw(360, 240, 3600, 255));
    auto* lblRange = new QLabel(QString::fromUtf8("値は、２ ～ ４の範囲。"), this);
    lblRange->setObjectName("Label2");
    lblRange->setGeometry(tw(360, 540, 3600, 255));

    G_bInput_OK = false;
    for (int a = 0; a < 3; ++a) {
        auto* lbl = new QLabel(QString::fromUtf8(kAxisLabel[a]), this);
        lbl->setObjectName(QString("lblCells%1").arg(QChar('X' + a)));
        lbl->setGeometry(tw(720, 1020 + 480 * a, 1215, 315));
        auto* box = new CountEdit(this);
        box->setObjectName(kAxisBox[a]);
        box->setGeometry(tw(2280, 1020 + 480 * a, 975, 330));
        m_iCells[a] = cellsOf(puzzle_, a);
        box->setText(QString::number(m_iCells[a]));
        box->onGotFocus = [this, a] { txt_GotFocus(a); };
        box->onLostFocus = [this, a] { txt_LostFocus(a); };
        box->onEnter = [this, a] { txt_Enter(a); };
        txt_[a] = box;
    }

    cmdOK_ = new QPushButton("OK", this);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setGeometry(tw(480, 2640, 1335, 375));
    cmdCancel_ = new QPushButton("Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setGeometry(tw(2280, 2640, 1335, 375));
    connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    setTabOrder(txt_[0], txt_[1]);
    setTabOrder(txt_[1], txt_[2]);
    setTabOrder(txt_[2], cmdOK_);
    setTabOrder(cmdOK_, cmdCancel_);
    txt_[0]->setFocus();
}

frmInput::~frmInput() {
    // The boxes outlive this object's members while QWidget tears them down.
    for (CountEdit* box : txt_) box->onGotFocus = box->onLostFocus = box->onEnter = nullptr;
}

bool frmInput::showModal(Puzzle& puzzle, QWidget* parent) {
    frmInput dialog(puzzle, parent);
    dialog.exec();
    return G_bInput_OK;
}

QLineEdit* frmInput::txtX() const { return txt_[0]; }
QLineEdit* frmInput::txtY() const { return txt_[1]; }
QLineEdit* frmInput::txtZ() const { return txt_[2]; }

void frmInput::txt_GotFocus(int axis) {
    // Caret at the start with the value selected, so typing replaces it.
    QLineEdit* box = txt_[axis];
    const int n = std::min<int>(9, static_cast<int>(box->text().size()));
    box->setCursorPosition(n);
    box->cursorBackward(true, n);
}

void frmInput::txt_LostFocus(int axis) {
    m_iCells[axis] = cellCountFromText(txt_[axis]->text().toStdString());
    txt_[axis]->setText(QString::number(m_iCells[axis]));
}

void frmInput::txt_Enter(int axis) {
    txt_LostFocus(axis);
    if (axis < 2) txt_[axis + 1]->setFocus(Qt::TabFocusReason);
    else cmdOK_->setFocus(Qt::TabFocusReason);
}

void frmInput::cmdOK_Click() {
    // A click that took no focus (a shortcut, a script) still gets every box checked.
    for (int a = 0; a < 3; ++a) txt_LostFocus(a);
    G_bInput_OK = true;
    applyCellCounts(puzzle_, m_iCells[0], m_iCells[1], m_iCells[2]);
    accept();
}

void frmInput::cmdCancel_Click() { reject(); }

}  // namespace tessaro
