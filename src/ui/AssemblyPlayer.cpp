#include "ui/AssemblyPlayer.h"

#include "analysis/PackingPlace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tessaro {

using namespace tessaro::analysis;

AssemblyPlayer::AssemblyPlayer(QWidget* parent, const AssemblyResult& assembly)
    : QDialog(parent), assembly_(assembly), frames_(assemblyFrames(assembly)) {
    setObjectName(QStringLiteral("dlgAssemblyPlayer"));
    setWindowTitle(QStringLiteral("組み立て順"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* up = new QLabel(QString::fromStdString("上にする面：" + upFaceText(assembly.up)), this);
    up->setObjectName(QStringLiteral("lblAssemblyUp"));
    layout->addWidget(up);
    lblStep_ = new QLabel(this);
    lblStep_->setObjectName(QStringLiteral("lblAssemblyStep"));
    lblStep_->setMinimumWidth(320);
    layout->addWidget(lblStep_);
    auto* row = new QHBoxLayout;
    cmdBack_ = new QPushButton(QStringLiteral("◀ 戻る"), this);
    cmdBack_->setObjectName(QStringLiteral("cmdAssemblyBack"));
    cmdPlay_ = new QPushButton(QStringLiteral("再生"), this);
    cmdPlay_->setObjectName(QStringLiteral("cmdAssemblyPlay"));
    cmdForward_ = new QPushButton(QStringLiteral("進む ▶"), this);
    cmdForward_->setObjectName(QStringLiteral("cmdAssemblyForward"));
    row->addWidget(cmdBack_);
    row->addWidget(cmdPlay_);
    row->addWidget(cmdForward_);
    layout->addLayout(row);
    auto* cmdClose = new QPushButton(QStringLiteral("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdAssemblyClose"));
    layout->addWidget(cmdClose);
    timer_ = new QTimer(this);
    timer_->setInterval(500);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (frame_ + 1 < frames_.size())
            showFrame(frame_ + 1);
        else
            cmdPlay_Click();
    });
    connect(cmdBack_, &QPushButton::clicked, this, [this] { cmdBack_Click(); });
    connect(cmdForward_, &QPushButton::clicked, this, [this] { cmdForward_Click(); });
    connect(cmdPlay_, &QPushButton::clicked, this, [this] { cmdPlay_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    showFrame(0);
}

Puzzle AssemblyPlayer::frameInBox(const Puzzle& inHand) const {
    Puzzle shown = inHand;
    shown.setBoxCells(assembly_.box.x, assembly_.box.y, assembly_.box.z);
    if (frames_.empty()) return withPackingInBox(shown, Packing{});
    return withPackingInBox(shown, frameCells(assembly_, frames_[frame_]));
}

void AssemblyPlayer::cmdBack_Click() {
    if (frame_ > 0) showFrame(frame_ - 1);
}

void AssemblyPlayer::cmdForward_Click() {
    if (frame_ + 1 < frames_.size()) showFrame(frame_ + 1);
}

void AssemblyPlayer::cmdPlay_Click() {
    if (timer_->isActive()) {
        timer_->stop();
    } else {
        if (frame_ + 1 >= frames_.size()) showFrame(0);
        timer_->start();
    }
    cmdPlay_->setText(timer_->isActive() ? QStringLiteral("停止") : QStringLiteral("再生"));
}

void AssemblyPlayer::showFrame(size_t frame) {
    frame_ = frame;
    QString text;
    if (!frames_.empty()) {
        const AssemblyFrame& f = frames_[frame];
        const AssemblyStep& s = assembly_.order[size_t(f.step)];
        text = QStringLiteral("%1 / %2：ブロック %3 ").arg(f.step + 1).arg(assembly_.order.size()).arg(s.block + 1);
        if (s.extra == 0)
            text += QStringLiteral("をまっすぐ落とす");
        else if (f.at == Offset{})
            text += QStringLiteral("が入りました（落とす以外に %1 手）").arg(s.extra);
        else
            text += QStringLiteral("を動かしています（落とす以外に %1 手）").arg(s.extra);
    }
    lblStep_->setText(text);
    cmdBack_->setEnabled(frame_ > 0);
    cmdForward_->setEnabled(frame_ + 1 < frames_.size());
    emit frameChanged();
}

}  // namespace tessaro
