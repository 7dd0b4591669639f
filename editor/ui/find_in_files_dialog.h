#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QDialog>

#include "editor/core/editor_search.h"

class CEditorView;
class CEngines;
class ISettingsStore;
class QCheckBox;
class QComboBox;

// The Find In Files dialog: text, file type and folder, each with its
// history, and the three choices. "&..." picks the folder with the
// platform's folder chooser.
class CFindInFilesDialog : public QDialog
{
    Q_OBJECT

public:
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;

    CFindInFilesDialog(const FindInFilesDialogStateType& state, QWidget* parent = nullptr);

    void SetFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }
    // The choices as they stand, with the histories as shown.
    FindInFilesDialogStateType State() const;

private:
    void Browse();
    void Gather();

    FindInFilesDialogStateType state_;
    FolderChooser chooser_;
    QComboBox* text_;
    QComboBox* filter_;
    QComboBox* folder_;
    QCheckBox* wholeWords_;
    QCheckBox* subdirectories_;
    QCheckBox* matchCase_;
};

// What the Find in Files command starts the engine with.
struct FindInFilesRequestType
{
    std::string text;
    std::string filter;
    std::string folder;
    bool matchCase = false;
    bool wholeWords = false;
    bool subdirectories = false;
};

// The frame's Find in Files command: shows the dialog and stores its values;
// nothing on Cancel. source is the active source window or null;
// defaultFindDir the workspace's default find directory, which starts the
// folder history when the command comes from a source window (the frame
// then makes the chosen folder the new default).
std::optional<FindInFilesRequestType>
RunFindInFilesDialog(QWidget* parent, ISettingsStore& store, const CEditorView* source,
                     const std::string& defaultFindDir,
                     CFindInFilesDialog::FolderChooser chooser = {});
// Starts the find engine of the engines on the request; its hits go to the
// output text, each with its file and line.
void StartFindInFiles(CEngines& engines, const FindInFilesRequestType& request);
