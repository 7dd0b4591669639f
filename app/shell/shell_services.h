#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/recovery_store.h"
#include "common/message_sink.h"

class QWidget;

// The modal questions the frame asks the user: file names and whether to
// save a modified document. The product shows Qt's dialogs; tests answer
// from a script, so no test ever waits on a dialog.
class IShellDialogs
{
public:
    enum class SaveChoice
    {
        kSave,
        kDiscard,
        kCancel
    };

    virtual ~IShellDialogs() = default;
    // filter is in the stored "Name (*.x)|*.x|...||" form. Nothing on Cancel.
    virtual std::optional<std::string> OpenFileName(const std::string& title,
                                                    const std::string& directory,
                                                    const std::string& filter) = 0;
    // defaultExtension is added when the name the user typed has none.
    virtual std::optional<std::string> SaveFileName(const std::string& title,
                                                    const std::string& directory,
                                                    const std::string& filter,
                                                    const std::string& defaultExtension) = 0;
    virtual SaveChoice AskSaveChanges(const std::string& documentTitle) = 0;
    // The recovery files found at start: one choice per entry. Unless a
    // test scripts it, every file is kept for later.
    virtual std::vector<RecoveryChoice> OfferRecovery(const std::vector<RecoveryEntryType>& entries)
    {
        return std::vector<RecoveryChoice>(entries.size(), RecoveryChoice::kKeep);
    }
};

class CQtShellDialogs : public IShellDialogs
{
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> OpenFileName(const std::string& title, const std::string& directory,
                                            const std::string& filter) override;
    std::optional<std::string> SaveFileName(const std::string& title, const std::string& directory,
                                            const std::string& filter,
                                            const std::string& defaultExtension) override;
    SaveChoice AskSaveChanges(const std::string& documentTitle) override;
    std::vector<RecoveryChoice>
    OfferRecovery(const std::vector<RecoveryEntryType>& entries) override;

private:
    QWidget* parent_ = nullptr;
};

// Engine and frame messages as message boxes over the main window.
class CQtMessageSink : public IMessageSink
{
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(const std::string& text, Severity severity) override;

private:
    QWidget* parent_ = nullptr;
};

// "Name (*.a51)|*.a51|All Files (*.*)|*.*||" as QFileDialog's
// "Name (*.a51);;All Files (*)". The names stay as written; "*.*" becomes
// "*" so that files without a dot are listed too, as the pattern means.
std::string QtFileFilter(const std::string& filter);
// The caption every message box and question of the program carries.
inline constexpr const char* kApplicationTitle = "8051";
