#include "app/shell/shell_services.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/shell/recovery_dlg.h"

std::string QtFileFilter(const std::string& filter)
{
    std::string result;
    size_t start = 0;
    while (start < filter.size()) {
        const size_t nameEnd = filter.find('|', start);
        if (nameEnd == std::string::npos || nameEnd == start) {
            break;
        }
        const size_t patternEnd = filter.find('|', nameEnd + 1);
        std::string name = filter.substr(start, nameEnd - start);
        const std::string pattern = filter.substr(
            nameEnd + 1,
            (patternEnd == std::string::npos ? filter.size() : patternEnd) - nameEnd - 1);
        // Qt takes the patterns from the parentheses of the name.
        const size_t open = name.rfind('(');
        if (open != std::string::npos) {
            name.erase(open);
        }
        while (!name.empty() && name.back() == ' ') {
            name.pop_back();
        }
        // "*.*" means every file; on this platform that is "*". Pattern
        // lists are separated by blanks here, not semicolons.
        std::string patterns;
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (pattern.compare(i, 3, "*.*") == 0) {
                patterns += '*';
                i += 2;
            } else {
                patterns += pattern[i] == ';' ? ' ' : pattern[i];
            }
        }
        if (!result.empty()) {
            result += ";;";
        }
        result += name + " (" + patterns + ")";
        if (patternEnd == std::string::npos) {
            break;
        }
        start = patternEnd + 1;
    }
    return result;
}

std::optional<std::string> CQtShellDialogs::OpenFileName(const std::string& title,
                                                         const std::string& directory,
                                                         const std::string& filter)
{
    QFileDialog dialog(parent_, QString::fromStdString(title), QString::fromStdString(directory),
                       QString::fromStdString(QtFileFilter(filter)));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> CQtShellDialogs::SaveFileName(const std::string& title,
                                                         const std::string& directory,
                                                         const std::string& filter,
                                                         const std::string& defaultExtension)
{
    QFileDialog dialog(parent_, QString::fromStdString(title), QString::fromStdString(directory),
                       QString::fromStdString(QtFileFilter(filter)));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

IShellDialogs::SaveChoice CQtShellDialogs::AskSaveChanges(const std::string& documentTitle)
{
    const auto answer = QMessageBox::question(
        parent_, QString::fromLatin1(kApplicationTitle),
        QStringLiteral("Save changes to %1?").arg(QString::fromStdString(documentTitle)),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) {
        return SaveChoice::kSave;
    }
    return answer == QMessageBox::Discard ? SaveChoice::kDiscard : SaveChoice::kCancel;
}

std::vector<RecoveryChoice> CQtShellDialogs::OfferRecovery(
    const std::vector<RecoveryEntryType>& entries)
{
    CRecoveryDlg dialog(entries, parent_);
    dialog.exec();
    return dialog.Choices();
}

void CQtMessageSink::ShowMessage(const std::string& text, Severity severity)
{
    const QString caption = QString::fromLatin1(kApplicationTitle);
    const QString body = QString::fromStdString(text);
    switch (severity) {
    case Severity::kInformation:
        QMessageBox::information(parent_, caption, body);
        break;
    case Severity::kWarning:
        QMessageBox::warning(parent_, caption, body);
        break;
    case Severity::kError:
        QMessageBox::critical(parent_, caption, body);
        break;
    }
}
