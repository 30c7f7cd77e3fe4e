#pragma once
// The File menu's "書き出し…": one dialog with the formats, the sizes and a
// folder; the export itself, its password question and its closing message go
// through the dialogs layer, so tests drive them without a screen.

#include "export/Export.h"
#include "ui/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;

namespace tessaro {

class WindowPort;

struct WindowExportChoice {
    std::string folder;
    std::string baseName = "tessaro";  // names the 3MF and PDF files
    bool stl = true, threeMf = true, png = false, pdf = true;
    bool withAnswer = false;
    MeshSizes sizes;
    double bedMm = 200;
    double marginMm = 5;
    bool asMade = false;
    int pngWidth = 675;
    bool transparentPng = false;
};

// Asks for the answer password when the answer is wanted and locked, exports,
// and says what was written or why not. True when files were written. The
// export runs on a worker thread behind a progress box with 中止 (over
// `parent` when given) and a busy cursor, so the window keeps answering.
bool runWindowExport(const Puzzle& p, Dialogs& dialogs, const WindowExportChoice& choice, QWidget* parent = nullptr);

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(const WindowExportChoice& start, QWidget* parent = nullptr);
    WindowExportChoice choice() const;

private:
    WindowExportChoice start_;
    QCheckBox *chkStl_, *chk3mf_, *chkPng_, *chkPdf_, *chkAnswer_, *chkTransparent_, *chkAsMade_;
    QDoubleSpinBox *spnCube_, *spnClearance_, *spnTray_, *spnBevel_, *spnBed_, *spnMargin_;
    QSpinBox* spnPngWidth_;
    QLineEdit* txtFolder_;
};

// The name a made puzzle that has not been saved is exported under.
inline constexpr const char* kNewPuzzleName = "新しいパズル";

// The dialog's choices kept in Init.ini (section "書き出し"); values that are
// missing or out of range leave what `c` holds.
void loadExportSettings(WindowExportChoice& c, const std::string& iniFile);
bool saveExportSettings(const WindowExportChoice& c, const std::string& iniFile);

// The puzzle as export writes it: a made puzzle not yet saved under the
// neutral name, without the last file's comment.
Puzzle puzzleToExport(const WindowPort& w);

// Puts "書き出し…" at the end of the File menu and wires it to the dialog.
void addExportMenuEntry(WindowPort& window);

}  // namespace tessaro
