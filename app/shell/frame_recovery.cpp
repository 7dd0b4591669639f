// Recovery of unsaved sources: the keeper that writes them while the user
// edits, and the offer at start of what a session that died left behind.
#include <QStandardPaths>

#include "app/shell/main_frame.h"
#include "app/shell/recovery_keeper.h"
#include "app/shell/shell_services.h"
#include "app/source_document.h"

void CMainFrame::CreateRecoveryKeeper()
{
    // The user's cache, never the sources' folders.
    const std::string folder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation).toStdString() + "/recovery";
    recovery_ = new CRecoveryKeeper(
        folder, store_, messages_, [this] { return documents_; },
        [this](const std::string& text) { LogEvent(text); }, this);
}

void CMainFrame::OfferRecovery()
{
    CRecoveryStore& store = recovery_->Store();
    const std::vector<RecoveryEntryType> entries = store.ListLeftOver();
    if (entries.empty()) {
        return;
    }
    LogEvent("recovery offered " + std::to_string(entries.size()));
    for (const RecoveryEntryType& entry : entries) {
        static constexpr const char* kStates[] = {"restorable", "changed", "damaged"};
        LogEvent("recovery entry " + entry.title + " " + kStates[static_cast<int>(entry.state)]);
    }
    const std::vector<RecoveryChoice> choices = dialogs_.OfferRecovery(entries);
    for (size_t i = 0; i < entries.size() && i < choices.size(); ++i) {
        const RecoveryEntryType& entry = entries[i];
        if (choices[i] == RecoveryChoice::kDiscard) {
            store.Discard(entry);
            LogEvent("recovery discarded " + entry.title);
        } else if (choices[i] == RecoveryChoice::kRestore &&
                   entry.state != RecoveryState::kDamaged && RestoreRecovered(entry)) {
            store.Discard(entry); // the restored document has a file of this session
            LogEvent("recovery restored " + entry.title);
        }
    }
    UpdateAllWindows();
    UpdateActions();
}

// Into the open document of that path, the source opened from disk, or a new
// window when the source is gone or was never saved.
bool CMainFrame::RestoreRecovered(const RecoveryEntryType& entry)
{
    std::shared_ptr<CSourceDocument> document;
    if (!entry.sourcePath.empty()) {
        document = FindDocument(entry.sourcePath);
        if (!document && StampOfFile(entry.sourcePath).exists &&
            OpenSourceFile(entry.sourcePath) != nullptr) {
            document = FindDocument(entry.sourcePath);
        }
    }
    if (!document) {
        NewSourceDocument();
        document = documents_.empty() ? nullptr : documents_.back();
    }
    if (!document) {
        return false;
    }
    const std::string oldTitle = document->Title();
    if (!document->Restore(entry.sourcePath, entry.text)) {
        return false;
    }
    DocumentRenamed(oldTitle, document->Title());
    UpdateChildTitles(document.get());
    ActivateChild(FirstViewOf(document.get()));
    recovery_->Adopt(document, entry.stamp);
    return true;
}
