#pragma once

#include <optional>
#include <string>

#include "app/commands.h"
#include "app/window_kinds.h"

class CEngines;
class CSourceDocument;
class IMessageSink;
class ISettingsStore;

// What any window's view may ask of the application. The frame implements
// it; view tests use a recording fake. Views hold no model state of their
// own: they read the engines when they draw and follow their revisions.
class IViewHost
{
public:
    virtual ~IViewHost() = default;

    virtual CEngines& Engines() = 0;
    virtual ISettingsStore& Settings() = 0;
    virtual IMessageSink& Messages() = 0;
    // Insert/overwrite, one flag for every editor (the status bar shows it).
    virtual bool& OverwriteMode() = 0;

    // Every window re-reads what it shows (after a write from a view, a
    // changed option or a stopped simulation).
    virtual void UpdateAllWindows() = 0;
    // The source at path, opened when it is not, shown at a 0-based line.
    virtual void OpenSourceAtLine(const std::string& path, int line) = 0;
    virtual void ShowExecutionPoint() = 0;
    // Something a command's enable rule reads has changed in this view
    // (selection, undo, clipboard): the frame updates its actions.
    virtual void CommandStateChanged() = 0;
    // The coverage display flag (Show Coverage): source views shade the lines
    // the program never executed while it is set.
    virtual bool CoverageDisplay() const { return false; }
};

// A window's content as the frame sees it; the editor view and every tool
// view implement it beside being a QWidget.
class IDocumentView
{
public:
    virtual ~IDocumentView() = default;

    virtual WindowKind Kind() const = 0;
    // Commands routed to the active view (its part of the command table);
    // false when the view does not handle the command.
    virtual bool HandleCommand(int commandId) = 0;
    // Adds what this view knows to the state the enable rules read.
    virtual void FillCommandState(CommandStateType& state) const { (void)state; }
    // UpdateAllWindows reached this view: re-read and redraw now.
    virtual void Refresh() = 0;

    // Source views only.
    virtual CSourceDocument* Document() { return nullptr; }
    // Caret line and column, both from 1, for the status bar.
    virtual std::optional<std::pair<int, int>> CaretPlace() const { return std::nullopt; }
    // Scrolls a 0-based line into view and puts the caret on it.
    virtual void GoToLine(int line) { (void)line; }
    // The word at the caret: Add Watch and the search dialogs propose it.
    virtual std::string CaretWord() const { return {}; }
};
