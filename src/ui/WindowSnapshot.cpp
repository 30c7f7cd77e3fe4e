#include "ui/WindowSnapshot.h"

#include "ui/ShapeSquare.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cstring>
#include <span>

namespace tessaro {

namespace {

// Calls f(field, array) for every array of the model, in the order of WindowSnapshot's Field.
template <class P, class F>
void forEachArray(P& p, F&& f) {
    f(0, p.G_iPiece);
    f(1, p.G_iPiece_Made);
    f(2, p.G_iBox);
    f(3, p.G_iBox_No);
    f(4, p.G_lBox_Color);
    f(5, p.G_iWork);
    f(6, p.G_iLoaded);
    f(7, p.G_Info_Piece);
    f(8, p.GE_iRotation);
}

// A field added to the model must be added to the snapshot too.
constexpr size_t kKnownBytes = sizeof(PieceCubes) * 2 + sizeof(Grid) * 3 + sizeof(ColorGrid) +
                               sizeof(std::array<int16_t, kBlocks>) * 2 + sizeof(std::array<InfoPiece, kBlocks>) +
                               sizeof(int16_t) * 8 + sizeof(int32_t) + sizeof(std::string) * 4;
constexpr size_t roundUp(size_t n, size_t a) { return (n + a - 1) / a * a; }
static_assert(sizeof(Puzzle) == roundUp(kKnownBytes, alignof(Puzzle)), "a model field the snapshot does not keep");

template <class P>
auto scalarFields(P& p) {
    return std::array{&p.G_iCells_X, &p.G_iCells_Y, &p.G_iCells_Z,     &p.G_iMax_X,
                      &p.G_iMax_Y,   &p.G_iMax_Z,   &p.G_iCell_Total, &p.G_iCell_Filled};
}

// Load, Cancel, then the block's buttons, then the box's.
std::array<QWidget*, 18> playControls(const frmMain& w) {
    return {w.cmdLoad,   w.cmdCancel, w.cmdOrg,   w.cmdTurn[0], w.cmdTurn[1], w.cmdTurn[2],
            w.cmdX_Dec,  w.cmdX_Inc,  w.cmdY_dec, w.cmdY_Inc,   w.cmdZ_Dec,   w.cmdZ_Inc,
            w.cmdRemove, w.cmdOrgPZ,  w.cmdClear, w.cmdTurn[3], w.cmdTurn[4], w.cmdTurn[5]};
}

std::array<QLabel*, 4 * kBlocks> slotLabels(const frmMain& w) {
    std::array<QLabel*, 4 * kBlocks> out{};
    for (size_t i = 0; i < kBlocks; ++i) {
        out[i] = w.lblIP[i];
        out[kBlocks + i] = w.lblNo[i];
        out[2 * kBlocks + i] = w.lblFaceV[i];
        out[3 * kBlocks + i] = w.lblTurn_CtZ[i];
    }
    return out;
}

}  // namespace

std::shared_ptr<const WindowSnapshot> WindowSnapshot::capture(const frmMain& w,
                                                              const std::shared_ptr<const WindowSnapshot>& ref) {
    auto s = std::make_shared<WindowSnapshot>();
    const Puzzle& P = w.m_puzzle;
    forEachArray(P, [&](size_t field, const auto& arr) {
        const auto bytes = std::as_bytes(std::span(arr));
        if (ref) {
            const Blob& old = ref->blobs_[field];
            if (old->size() == bytes.size() && std::equal(bytes.begin(), bytes.end(), old->begin())) {
                s->blobs_[field] = old;
                return;
            }
        }
        s->blobs_[field] = std::make_shared<const std::vector<std::byte>>(bytes.begin(), bytes.end());
    });
    const auto scalars = scalarFields(P);
    for (size_t i = 0; i < scalars.size(); ++i) s->scalars_.cells[i] = *scalars[i];
    s->scalars_.GE_lRotate = P.GE_lRotate;

    View& v = s->view_;
    v.iPiece = w.m_iPiece;
    v.rotateCt = w.lRotate_ct;
    v.shown = std::clamp(w.lblPiece->text().toInt() - 1, 0, kBlocks - 1);
    v.listRow = w.lstPiece->currentRow();
    for (size_t i = 0; i < kBlocks; ++i) {
        v.optShown[i] = frmMain::isShown(w.optPiece[i]);
        if (w.optPiece[i]->isChecked()) v.optChecked = static_cast<int>(i);
    }
    v.sum = w.lblSum->text();
    v.cellCount = w.lblPiece_count->text();
    LoaderPanel panel;
    panel.atOnce = w.lblAtOnce->text();
    const auto labels = slotLabels(w);
    for (size_t i = 0; i < labels.size(); ++i) panel.slotTexts[i] = labels[i]->text();
    for (size_t i = 0; i < kBlocks; ++i)
        panel.slotFill[i] = w.shpPiece[i]->fillSolid() ? w.shpPiece[i]->fillColor() : -1;
    if (ref && *ref->view_.panel == panel)
        v.panel = ref->view_.panel;
    else
        v.panel = std::make_shared<const LoaderPanel>(std::move(panel));
    v.autoMode = frmMain::isChecked(w.mnuAautoMove);
    const auto controls = playControls(w);
    for (size_t i = 0; i < kControls; ++i) v.enabled[i] = controls[i]->isEnabled();
    v.making = frmMain::isChecked(w.mnuMake) || frmMain::isChecked(w.mnuMakePiece);
    v.resetOn = w.cmdReset->isEnabled();

    if (ref && !s->puzzleDiffers(*ref) && s->sameBlob(Work, *ref) && v.iPiece == ref->view_.iPiece &&
        v.rotateCt == ref->view_.rotateCt && v.shown == ref->view_.shown && v.listRow == ref->view_.listRow &&
        v.optShown == ref->view_.optShown && v.optChecked == ref->view_.optChecked &&
        v.autoMode == ref->view_.autoMode && v.enabled == ref->view_.enabled && v.resetOn == ref->view_.resetOn)
        return ref;
    return s;
}

bool WindowSnapshot::sameBlob(Field f, const WindowSnapshot& o) const {
    return blobs_[f] == o.blobs_[f] || *blobs_[f] == *o.blobs_[f];
}

bool WindowSnapshot::puzzleDiffers(const WindowSnapshot& o) const {
    for (int f = 0; f < kFields; ++f)
        if (f != Work && !sameBlob(static_cast<Field>(f), o)) return true;
    const View& a = view_;
    const View& b = o.view_;
    // Inside a maker a Reset that turns only itself off is a step too.
    if (a.making && a.resetOn != b.resetOn) return true;
    return !(scalars_ == o.scalars_ && a.sum == b.sum && a.cellCount == b.cellCount &&
             (a.panel == b.panel || *a.panel == *b.panel));
}

void WindowSnapshot::writeModel(Puzzle& p) const {
    forEachArray(p, [&](size_t field, auto& arr) {
        const std::vector<std::byte>& b = *blobs_[field];
        std::memcpy(arr.data(), b.data(), std::min(b.size(), sizeof(arr)));
    });
    const auto scalars = scalarFields(p);
    for (size_t i = 0; i < scalars.size(); ++i) *scalars[i] = scalars_.cells[i];
    p.GE_lRotate = scalars_.GE_lRotate;
}

void WindowSnapshot::apply(frmMain& w) const {
    const View& v = view_;
    writeModel(w.m_puzzle);
    w.m_iPiece = v.iPiece;
    w.lRotate_ct = v.rotateCt;
    {
        const QSignalBlocker block(w.lstPiece);
        w.lstPiece->setCurrentRow(v.listRow);
    }
    for (size_t i = 0; i < kBlocks; ++i) {
        QRadioButton* o = w.optPiece[i];
        o->setVisible(v.optShown[i]);
        if (static_cast<int>(i) == v.optChecked) o->setChecked(true);
    }
    if (v.optChecked < 0) {
        // None chosen, as before the first load: the group would keep one.
        for (QRadioButton* o : w.optPiece) {
            o->setAutoExclusive(false);
            o->setChecked(false);
            o->setAutoExclusive(true);
        }
    }
    w.lblSum->setText(v.sum);
    w.lblPiece_count->setText(v.cellCount);
    const LoaderPanel& panel = *v.panel;
    w.lblAtOnce->setText(panel.atOnce);
    const auto labels = slotLabels(w);
    for (size_t i = 0; i < labels.size(); ++i) labels[i]->setText(panel.slotTexts[i]);
    for (size_t i = 0; i < kBlocks; ++i)
        w.shpPiece[i]->setFill(panel.slotFill[i] >= 0, static_cast<int32_t>(std::max<int64_t>(panel.slotFill[i], 0)));

    // The controls as the state implies in the mode the window is in now: the
    // automatic loader's panel may have been switched since the step.
    const auto controls = playControls(w);
    const bool autoNow = frmMain::isChecked(w.mnuAautoMove);
    if (autoNow == v.autoMode) {
        for (size_t i = 0; i < kControls; ++i) controls[i]->setEnabled(v.enabled[i]);
    } else if (autoNow) {
        for (QWidget* c : controls) c->setEnabled(false);
    }
    if (v.making && (frmMain::isChecked(w.mnuMake) || frmMain::isChecked(w.mnuMakePiece)))
        w.cmdReset->setEnabled(v.resetOn);
    w.subDrawMain();
    if (autoNow || autoNow == v.autoMode) {
        w.subPiece_Show(v.shown);
    } else {
        // Taken in the automatic mode, restored by hand: as leaving that mode does.
        w.subBoxCtl_Enable(true);
        w.selectListEntry(std::max(v.listRow, 0));
    }
    // The preview computes its scratch grid; it is put back as it was.
    forEachArray(w.m_puzzle, [&](size_t field, auto& arr) {
        if (field != Work) return;
        std::memcpy(arr.data(), blobs_[Work]->data(), std::min(blobs_[Work]->size(), sizeof(arr)));
    });
}

size_t WindowSnapshot::bytes(std::unordered_set<const void*>& counted) const {
    if (!counted.insert(this).second) return 0;
    // Shared parts count once, each with its control block.
    constexpr size_t kShared = 2 * sizeof(void*);
    size_t n = sizeof(*this) + kShared;
    for (const Blob& b : blobs_)
        if (counted.insert(b.get()).second) n += kShared + sizeof(*b) + b->capacity();
    auto text = [&](const QString& s) {
        const bool first = counted.insert(s.constData()).second;
        return first ? static_cast<size_t>(s.capacity()) * sizeof(QChar) + 16 : size_t{0};
    };
    const View& v = view_;
    n += text(v.sum) + text(v.cellCount);
    if (counted.insert(v.panel.get()).second) {
        n += kShared + sizeof(LoaderPanel) + text(v.panel->atOnce);
        for (const QString& s : v.panel->slotTexts) n += text(s);
    }
    return n;
}

}  // namespace tessaro
