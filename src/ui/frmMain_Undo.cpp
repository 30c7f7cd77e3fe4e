// The Edit menu: undo and redo. Every command that may change the puzzle runs
// through recordStep where wireEvents connects it, so no handler records itself.

#include "ui/UndoHistory.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>

namespace tessaro {

void frmMain::wireUndo() {
    UndoWindow parts;
    parts.window = this;
    parts.resultList = listRotate;
    parts.undo = mnuEditUndo;
    parts.redo = mnuEditRedo;
    parts.searching = [this] { return m_bSearching; };
    parts.capture = [this](const std::shared_ptr<const WindowSnapshot>& ref) { return WindowSnapshot::capture(*this, ref); };
    parts.apply = [this](const WindowSnapshot& s) { s.apply(*this); };
    m_history = std::make_unique<UndoHistory>(std::move(parts));
    mnuEditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuEditRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuEdit->setToolTipsVisible(true);
    connect(mnuEditUndo, &QAction::triggered, this, [this] { mnuEditUndo_Click(); });
    connect(mnuEditRedo, &QAction::triggered, this, [this] { mnuEditRedo_Click(); });
}

void frmMain::recordStep(const QString& label, const std::function<void()>& fn) {
    if (m_history)
        m_history->record(label, fn);
    else
        fn();
}

void frmMain::clearHistory() {
    if (m_history) m_history->clear();
}

void frmMain::mnuEditUndo_Click() { m_history->undo(); }

void frmMain::mnuEditRedo_Click() { m_history->redo(); }

QString frmMain::stepLabel(const QObject* c) const {
    const QString block = QString::number(m_iPiece + 1);
    auto ofBlock = [&](const char* text) { return QStringLiteral("ブロック %1 %2").arg(block, QString::fromUtf8(text)); };
    auto caption = [](const QObject* b) { return static_cast<const QPushButton*>(b)->text(); };

    if (c == cmdLoad) return ofBlock("を入れる");
    if (c == cmdCancel) return ofBlock("の装填をキャンセル");
    if (c == cmdRemove) {
        for (size_t i = 0; i < optPiece.size(); ++i)
            if (optPiece[i]->isChecked()) return QStringLiteral("ブロック %1 を取り外す").arg(i + 1);
        return QStringLiteral("ブロックを取り外す");
    }
    if (c == cmdClear) return QStringLiteral("箱を空にする");
    for (size_t i = 0; i < 3; ++i) {
        if (c == cmdTurn[i]) return ofBlock("を回す (%1)").arg(caption(c));
        if (c == cmdTurn[i + 3]) return QStringLiteral("箱の中身を回す (%1)").arg(caption(c));
    }
    for (const QPushButton* b : {cmdX_Dec, cmdX_Inc, cmdY_dec, cmdY_Inc, cmdZ_Dec, cmdZ_Inc})
        if (c == b) return ofBlock("を動かす (%1)").arg(caption(c));
    if (c == cmdOrg) return ofBlock("を原点へ移動");
    if (c == cmdOrgPZ) return QStringLiteral("箱の中身を原点へ移動");
    if (c == cmdReset) return QStringLiteral("ブロックの向きを作成時に戻す (Reset)");
    if (c == cmdShuffle) return QStringLiteral("ブロックの向きをランダムに (Shuffle)");
    if (c == hscFace || c == cmdBotom) return ofBlock("の面を変える");
    if (c == cmdInit) return QStringLiteral("自動装填の初期化 (INIT)");
    if (c == cmdMove) return QStringLiteral("自動装填 (LOAD)");
    if (c == cmdStop) return QStringLiteral("自動装填の停止 (STOP)");
    if (c == cmdSet) return ofBlock("に割り当てる (Set)");
    if (c == cmdSetCancel) return ofBlock("の割り当てを取り消す (Cancel)");
    if (c == surface)
        return isChecked(mnuMakePiece) ? ofBlock("のマス目をクリック") : QStringLiteral("箱のマス目をクリック");
    if (const auto* a = qobject_cast<const QAction*>(c)) {
        // The menu's own words, without the access key: "名前を付けて保存".
        QString t = a->text();
        t.remove(QRegularExpression(QStringLiteral("\\(&.\\)$")));
        return t.remove(QLatin1Char('&'));
    }
    return c->objectName();
}

}  // namespace tessaro
