// The automatic loader in the window: its panel, INIT, STOP and LOAD.

#include "solver/AutoLoader.h"
#include "ui/ShapeSquare.h"
#include "ui/WindowLoaderHost.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace tessaro {

// ---------------------------------------------------------------- the host

WindowLoaderHost::WindowLoaderHost(frmMain& window, std::chrono::microseconds interval, uint64_t fitTestLimit)
    : w_(window),
      interval_(interval),
      displayInterval_(std::max(interval * 4, std::chrono::microseconds(0))),
      limit_(fitTestLimit),
      lastCall_(Clock::now()),
      lastEvents_(lastCall_),
      lastDisplay_(lastCall_) {
    for (auto& row : labels_) row.fill(-1);
    colors_.fill(-1);
    ip_.fill(-1);
    setLabelSink(&labels_);
}

uint64_t WindowLoaderHost::grant(uint64_t k) {
    if (limit_ > 0) k = std::min(k, limit_ - granted_);
    granted_ += k;
    return k;
}

bool WindowLoaderHost::runEvents(const LoaderModel& model, Clock::time_point now) {
    // Events run often enough for STOP to answer at once; the counters and the
    // views change faster than anyone reads them, so they are shown less often.
    if (now - lastDisplay_ >= displayInterval_) {
        if (boxDirty_ || piece_ >= 0) model.puzzle();  // the views read the window's puzzle
        flush(true);
        lastDisplay_ = now;
    }
    ++rounds_;
    QApplication::processEvents(QEventLoop::AllEvents);
    lastEvents_ = Clock::now();
    eventTime_ += lastEvents_ - now;
    if (!w_.bStopRequest) return false;
    w_.bStopRequest = false;
    return true;
}

bool WindowLoaderHost::yieldPoint(const LoaderModel& model) {
    if (limit_ > 0 && granted_ >= limit_) return true;
    const Clock::time_point now = Clock::now();
    if (now - lastEvents_ >= interval_ && runEvents(model, now)) return true;
    grant(1);
    return false;
}

uint64_t WindowLoaderHost::yieldPoints(const LoaderModel& model) {
    if (limit_ > 0 && granted_ >= limit_) return 0;
    if (interval_.count() == 0) return yieldPoint(model) ? 0 : 1;
    const Clock::time_point now = Clock::now();
    const auto sinceLast = now - lastCall_;
    lastCall_ = now;
    if (sinceLast < std::chrono::microseconds(125) && batch_ < (uint64_t{1} << 24))
        batch_ *= 2;
    else if (sinceLast > std::chrono::microseconds(500) && batch_ > 1)
        batch_ /= 2;
    if (now - lastEvents_ >= interval_) {
        if (runEvents(model, now)) return 0;
        lastCall_ = lastEvents_;  // the time spent on events is not searching time
    }
    return grant(batch_);
}

// Called at every placement: a flag already set is only read, not written again.
void WindowLoaderHost::drawMain(const LoaderModel&) {
    if (!boxDirty_) boxDirty_ = true;
}

void WindowLoaderHost::showPiece(const LoaderModel&, int b) {
    if (piece_ != b) piece_ = b;
}

void WindowLoaderHost::slotColor(int slot, int32_t color) {
    colors_[static_cast<size_t>(slot) & 7] = color;
}

void WindowLoaderHost::showRotation(const RotationView& view) {
    for (size_t i = 0; i < kBlocks; ++i) {
        colors_[i] = view.shpPiece[i];
        ip_[i] = view.lblIP[i];
        labels_[static_cast<size_t>(SlotLabel::lblNo)][i] = view.lblNo[i];
        labels_[static_cast<size_t>(SlotLabel::lblFaceV)][i] = view.lblFaceV[i];
        labels_[static_cast<size_t>(SlotLabel::lblTurn_CtZ)][i] = view.lblTurn_CtZ[i];
    }
}

void WindowLoaderHost::resultLine(const std::string& line) { lines_.push_back(line); }

void WindowLoaderHost::showSum(const std::string& text) {
    sum_ = text;
    sumDirty_ = true;
}

void WindowLoaderHost::message(const LoaderModel& model, const std::string& title, const std::string& text,
                               LoaderIcon icon) {
    // The user sees the final box before the message.
    model.puzzle();
    flush(true);
    w_.msgBox(title, text, icon == LoaderIcon::Information ? MsgIcon::Information : MsgIcon::Exclamation);
}

void WindowLoaderHost::flush(bool drawViews) {
    {
        for (size_t i = 0; i < kBlocks; ++i) {
            if (colors_[i] >= 0) w_.shpPiece[i]->setFill(true, static_cast<int32_t>(colors_[i]));
            if (ip_[i] >= 0) w_.lblIP[i]->setText(QString::number(ip_[i]));
            const std::array<QLabel*, 8>* rows[3] = {&w_.lblNo, &w_.lblFaceV, &w_.lblTurn_CtZ};
            for (size_t r = 0; r < 3; ++r) {
                if (labels_[r][i] >= 0) (*rows[r])[i]->setText(QString::number(labels_[r][i]));
                labels_[r][i] = -1;
            }
            colors_[i] = -1;
            ip_[i] = -1;
        }
    }
    if (!lines_.empty()) {
        QStringList items;
        items.reserve(static_cast<qsizetype>(lines_.size()));
        for (const std::string& l : lines_) items << QString::fromStdString(l);
        // A puzzle whose blocks cannot fill its box adds a line per attempt, many
        // thousands a second: only the latest lines are kept, or memory runs out.
        constexpr int kMaxLines = 100000;
        QListWidget* list = w_.listRotate;
        list->addItems(items);
        if (list->count() > kMaxLines) list->model()->removeRows(0, list->count() - kMaxLines);
        list->scrollToBottom();
        w_.lblAtOnce->setText(items.back());
        lines_.clear();
    }
    if (sumDirty_) {
        w_.lblSum->setText(QString::fromStdString(sum_));
        sumDirty_ = false;
    }
    if (drawViews) {
        if (boxDirty_) w_.subDrawMain();
        if (piece_ >= 0) w_.subPiece_Show(piece_);
        boxDirty_ = false;
        piece_ = -1;
    }
}

// ---------------------------------------------------------------- the window's side

void frmMain::mnuAautoMove_Click() {
    const bool on = !isChecked(mnuAautoMove);
    setChecked(mnuAautoMove, on);
    cmdLoad->setEnabled(!on);
    lstPiece->setEnabled(!on);
    subBoxCtl_Enable(!on);
    subPieceCtl_Enable(!on);
    // Cancel takes out the block last loaded by hand: the search moves the
    // blocks in the meantime, so it goes off with the hand controls.
    cmdCancel->setEnabled(false);
    if (on) {
        frameAuto->move(framePiece->pos());
        frameAuto->show();
        frameAuto->raise();
    } else {
        frameAuto->hide();
        // Back by hand on the block the list shows: its preview and its buttons,
        // not the last block the search drew.
        selectListEntry(std::max(lstPiece->currentRow(), 0));
    }
}

void frmMain::cmdInit_Click() {
    if (m_bSearching) return;
    WindowLoaderHost host(*this, std::chrono::microseconds(0));
    ::tessaro::cmdInit_Click(m_puzzle, host);
    host.flush(false);
}

void frmMain::subShowRotation() {
    WindowLoaderHost host(*this, std::chrono::microseconds(0));
    ::tessaro::subShowRotation(m_puzzle, host);
    host.flush(false);
}

void frmMain::cmdStop_Click() { bStopRequest = true; }

void frmMain::cmdMove_Click() {
    if (m_bSearching) return;  // LOAD pressed again from inside its own yield
    // A STOP pressed while nothing ran must not end this search at its first yield.
    bStopRequest = false;
    lRotate_ct = 0;
    if (!m_loader) m_loader = std::make_unique<AutoLoader>();

    setSearching(true);
    WindowLoaderHost host(*this, m_yieldInterval, m_fitTestLimit);
    LoaderOptions options;
    options.checkDeadSpace = chkDedSpace->isChecked();
    options.currentPiece = m_iPiece;
    m_lastOutcome = m_loader->cmdMove_Click(m_puzzle, host, options);
    host.flush(true);
    m_lastStats = m_loader->stats();
    m_lastEventRounds = host.eventRounds();
    m_lastEventSeconds = host.eventSeconds();
    setSearching(false);
    if (m_bCloseAfterSearch) {
        // Closed while searching, with made work to ask about: now it can be saved.
        m_bCloseAfterSearch = false;
        close();
    }
}

void frmMain::setSearching(bool on) {
    // While a search runs nothing may change the puzzle it drives: the commands
    // that would are held disabled and given back their state afterwards.
    QAction* actions[] = {mnuFileOpen, mnuFileSaveAs, mnuFileSave, mnuAautoMove, mnuMake, mnuMakePiece, mnuHelpHelp};
    QWidget* widgets[] = {cmdInit, cmdMove, chkDedSpace, cmdReset, cmdShuffle, cmdCancel};
    static_assert(std::size(actions) + std::size(widgets) == std::tuple_size_v<decltype(m_savedEnabled)>);
    size_t k = 0;
    if (on) {
        for (QAction* a : actions) {
            m_savedEnabled[k++] = a->isEnabled();
            a->setEnabled(false);
        }
        for (QWidget* wgt : widgets) {
            m_savedEnabled[k++] = wgt->isEnabled();
            wgt->setEnabled(false);
        }
    } else {
        for (QAction* a : actions) a->setEnabled(m_savedEnabled[k++]);
        for (QWidget* wgt : widgets) wgt->setEnabled(m_savedEnabled[k++]);
    }
    m_bSearching = on;
    updatePlayEntries();
}

}  // namespace tessaro
