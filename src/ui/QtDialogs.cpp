#include "ui/QtDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace tessaro {

QString toDisplayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

QString toQtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        const QString given = parts[i + 1].trimmed();
        QString patterns = given;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The description often repeats the pattern already: "(*.bin)", also
        // with the list's own semicolons, which Qt would take as one pattern.
        desc.replace(QLatin1Char('(') + given + QLatin1Char(')'), QLatin1Char('(') + patterns + QLatin1Char(')'));
        if (desc.contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
            out << desc;
        else if (desc.isEmpty())
            out << QLatin1Char('(') + patterns + QLatin1Char(')');
        else
            out << desc + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    if (out.isEmpty() && !filter.empty()) out << QString::fromStdString(filter);
    return out.join(QStringLiteral(";;"));
}

MsgResult QtDialogs::message(const std::string& title, const std::string& text, MsgIcon icon,
                             MsgButtons buttons) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(toDisplayText(text));
    switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoDefaultNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    const int r = box.exec();
    switch (r) {
        case QMessageBox::Ok: return MsgResult::Ok;
        case QMessageBox::Yes: return MsgResult::Yes;
        case QMessageBox::No: return MsgResult::No;
        default: break;
    }
    // Escape or the frame's close button: the box's way of saying no.
    switch (buttons) {
        case MsgButtons::Ok: return MsgResult::Ok;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoDefaultNo: return MsgResult::No;
        default: return MsgResult::Cancel;
    }
}

bool QtDialogs::messageOffering(const std::string& title, const std::string& text, MsgIcon icon,
                                const std::string& action) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(toDisplayText(text));
    box.setIcon(icon == MsgIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information);
    QPushButton* offered = box.addButton(QString::fromStdString(action), QMessageBox::ActionRole);
    offered->setObjectName(QStringLiteral("cmdMessageAction"));
    box.addButton(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == offered;
}

std::string QtDialogs::input(const std::string& title, const std::string& prompt,
                             const std::string& defaultText) {
    bool ok = false;
    const QString s = QInputDialog::getText(parent_, QString::fromStdString(title), toDisplayText(prompt),
                                            QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
    if (!ok) return {};
    return s.toStdString();
}

namespace {

std::optional<std::string> runFileDialog(QWidget* parent, bool save, const std::string& startPath,
                                         const std::string& filter, const std::string& defaultExt) {
    QFileDialog dlg(parent);
    dlg.setNameFilter(toQtFilter(filter));
    dlg.setDefaultSuffix(QString::fromStdString(defaultExt));
    if (save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);  // the dialog asks before replacing a file
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    // The start path is a folder, or a folder with a proposed name ("Test.bin", "*.bin").
    const QFileInfo info(QString::fromStdString(startPath));
    if (!startPath.empty() && info.isDir()) {
        dlg.setDirectory(info.absoluteFilePath());
    } else if (!startPath.empty()) {
        dlg.setDirectory(info.absolutePath());
        const QString name = info.fileName();
        if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?'))) dlg.selectFile(name);
    }
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.first().toStdString();
}

}  // namespace

std::optional<std::string> QtDialogs::openFile(const std::string& startPath, const std::string& filter,
                                               const std::string& defaultExt) {
    return runFileDialog(parent_, false, startPath, filter, defaultExt);
}

std::optional<std::string> QtDialogs::saveFile(const std::string& startPath, const std::string& filter,
                                               const std::string& defaultExt) {
    return runFileDialog(parent_, true, startPath, filter, defaultExt);
}

}  // namespace tessaro
