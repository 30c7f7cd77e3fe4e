#include "ui/FormatMenu.h"

#include "app/AppEnv.h"
#include "files/SaveFile.h"
#include "formats/XmPuzzle.h"
#include "model/Figure.h"
#include "ui/FilePrompts.h"
#include "ui/WindowPort.h"

#include <QAction>
#include <QMenu>

#include <charconv>
#include <filesystem>

namespace tessaro {

namespace {

constexpr const char* kImportTitle = "他の形式から読み込む";
constexpr const char* kExportTitle = "他の形式で書き出す";
constexpr const char* kFilter = "(*.xmpuzzle;*.xml)|*.xmpuzzle;*.xml";

// The problem to read from a file with several, or 0 when the user gives none.
int askProblem(WindowPort& w, const std::vector<std::string>& names)
{
    std::string prompt = "このファイルには問題が " + std::to_string(names.size()) +
                         " 個あります。\r\n読み込む問題の番号を入力してください。";
    for (size_t i = 0; i < names.size() && i < 10; ++i)
        prompt += "\r\n" + std::to_string(i + 1) + ": " + (names[i].empty() ? "（名前なし）" : names[i]);
    if (names.size() > 10) prompt += "\r\n…";
    std::string answer = "1";
    for (;;) {
        answer = w.dialogs().input(kImportTitle, prompt, answer);
        if (answer.empty()) return 0;
        int n = 0;
        const auto [end, ec] = std::from_chars(answer.data(), answer.data() + answer.size(), n);
        if (ec == std::errc() && end == answer.data() + answer.size() && n >= 1 && n <= int(names.size())) return n;
        w.dialogs().message(kImportTitle, "1 から " + std::to_string(names.size()) + " までの番号を入力してください。",
                 MsgIcon::Exclamation);
    }
}

}  // namespace

void mnuFileImport_Click(WindowPort& w)
{
    if (!w.playing()) return;
    if (!w.askToSaveMadePuzzle(kImportTitle)) return;
    const auto chosen = w.dialogs().openFile(G_sData_Path + "/*.xmpuzzle", kFilter, "xmpuzzle");
    if (!chosen) return;
    formats::XmReadResult read = formats::readXmPuzzleFile(*chosen, 0);
    if (read.needsProblemChoice) {
        const int problem = askProblem(w, read.problems);
        if (problem == 0) return;
        read = formats::readXmPuzzleFile(*chosen, problem);
    }
    if (!read.puzzle) {
        w.dialogs().message("読み込めないパズル",
                 "このファイルは、パズルとして読み込めませんでした。\r\n" + read.error + "\r\n手元のパズルは、そのままです。",
                 MsgIcon::Critical);
        return;
    }
    w.adoptMadePuzzle(std::move(*read.puzzle));
}

void mnuFileExportOther_Click(WindowPort& w)
{
    if (!w.playing()) return;
    const Puzzle& p = w.puzzle();
    if (fncPiece_CountUsed(p) == 0) return;
    // A made puzzle not saved yet has no name of its own.
    const std::string stem = w.madeUnsaved() || p.G_sFile_Title.empty()
                                 ? std::string("新しいパズル")
                                 : std::filesystem::path(p.G_sFile_Title).stem().string();
    const auto picked = w.dialogs().saveFile(G_sData_Path + "/" + stem + ".xmpuzzle", kFilter, "xmpuzzle");
    if (!picked) return;
    const auto chosen = nameForWriter(w.dialogs(), kExportTitle, *picked, {".xmpuzzle", ".xml"});
    if (!chosen) return;
    const std::string bytes = formats::xmPuzzleBytes(p, false, *chosen);
    const LabelledStretch whole{0, bytes.size(), 100};
    if (const auto error =
            saveBytes(*chosen, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, {&whole, 1})) {
        w.dialogs().message(kExportTitle,
                 "書き出せませんでした。\r\n（" + error->description + "）\r\n保存先にあったファイルは、変更されていません。",
                 MsgIcon::Critical);
        return;
    }
    w.dialogs().message(kExportTitle, "正常に終了しました。", MsgIcon::Information);
}

void addFormatMenuEntries(WindowPort& w)
{
    QAction* import = w.fileMenu()->addAction(QStringLiteral("他の形式から読み込む…"));
    import->setObjectName(QStringLiteral("mnuFileImport"));
    QAction* exportOther = w.fileMenu()->addAction(QStringLiteral("他の形式で書き出す…"));
    exportOther->setObjectName(QStringLiteral("mnuFileExportOther"));
    // Only while playing; writing needs blocks besides.
    w.addPlayEntry(import);
    QObject::connect(w.fileMenu(), &QMenu::aboutToShow, w.widget(), [&w, exportOther] {
        exportOther->setEnabled(w.playing() && fncPiece_CountUsed(w.puzzle()) > 0);
    });
    QObject::connect(import, &QAction::triggered, w.widget(), [&w] { mnuFileImport_Click(w); });
    QObject::connect(exportOther, &QAction::triggered, w.widget(), [&w] { mnuFileExportOther_Click(w); });
}

}  // namespace tessaro
