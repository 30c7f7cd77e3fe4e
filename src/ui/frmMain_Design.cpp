// The designer in the window: ﾂｰﾙ → "パズルの自動作成…" and the count's
// "唯一解に近づける…". What they find comes in as a maker's end leaves a puzzle.

#include "ui/DesignDialog.h"
#include "ui/frmMain.h"
#include "app/Ini.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace tessaro {

namespace {

constexpr const char* kDesignTitle = "パズルの自動作成";
constexpr const char* kNearestTitle = "唯一解に近づける";

}  // namespace

struct frmMain::DesignState {
    QPointer<DesignDialog> dialog;
    DesignFields fresh, nearest;  // the fields as last left, per kind
    bool loaded = false;          // from Init.ini, at the first opening
    ~DesignState() { delete dialog.data(); }
};

void frmMain::createDesignMenu() {
    m_design = std::make_shared<DesignState>();
    mnuTool->addSeparator();
    mnuToolDesign = mnuTool->addAction(QStringLiteral("パズルの自動作成…"));
    mnuToolDesign->setObjectName(QStringLiteral("mnuToolDesign"));
    connect(mnuToolDesign, &QAction::triggered, this, [this] { mnuToolDesign_Click(); });
    addPlayEntry(mnuToolDesign);
    connect(this, &frmMain::playingChanged, this, [this](bool on) {
        if (!on && m_design->dialog) m_design->dialog->close();
    });
}

QDialog* frmMain::designDialog() const { return m_design->dialog.data(); }

void frmMain::loadDesignFieldsOnce() {
    if (m_design->loaded) return;
    m_design->loaded = true;
    const std::string ini = settingsFile();
    loadDesignFields(m_design->fresh, false, ini);
    loadDesignFields(m_design->nearest, true, ini);
}

void frmMain::openDesignDialog(DesignDialog* dialog, const char* title) {
    m_design->dialog = dialog;
    connect(dialog, &DesignDialog::adoptRequested, this, [this, dialog, title] {
        if (!playing()) return;
        const std::optional<Puzzle> chosen = dialog->chosenPuzzle();
        if (!chosen || !askToSaveMadePuzzle(title)) return;
        dialog->close();
        adoptMadePuzzle(*chosen);
    });
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        DesignFields& kept = dialog->nearest() ? m_design->nearest : m_design->fresh;
        kept = dialog->fields();
        // Kept for the next start too; a settings file that takes no writes only costs choosing again.
        saveDesignFields(kept, dialog->nearest(), settingsFile());
        if (m_design->dialog == dialog) m_design->dialog = nullptr;
        dialog->deleteLater();
    });
    dialog->show();
}

void frmMain::mnuToolDesign_Click() {
    if (!playing() || m_design->dialog) return;
    loadDesignFieldsOnce();
    openDesignDialog(new DesignDialog(this, m_design->fresh), kDesignTitle);
}

void frmMain::openNearestUnique() {
    if (!playing() || m_design->dialog) return;
    loadDesignFieldsOnce();
    openDesignDialog(new DesignDialog(this, m_design->nearest, m_puzzle), kNearestTitle);
}

}  // namespace tessaro
