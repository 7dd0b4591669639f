#pragma once

#include <string>

#include "app/window_kinds.h"

class CSourceDocument;
class IViewHost;
class QWidget;

// The one place that makes window contents. Every window the frame opens
// gets its widget here; the widget also implements IDocumentView. Source
// kinds get a view of the document, tool kinds the view of their kind.
QWidget* CreateView(WindowKind kind, CSourceDocument* document, IViewHost& host, QWidget* parent);

// Add Watch from a source view: word is the word at the caret.
void AddWatchFromSource(IViewHost& host, const std::string& word, QWidget* parent);

// View > Virtual > Button: a new virtual push button and its window.
void NewVirtualButton(IViewHost& host, QWidget* parent);

// Edit > Find in Files: asks for the search and starts the find engine;
// false when the user cancelled.
bool AskFindInFiles(IViewHost& host, const std::string& folder, QWidget* parent);

// The Monitor menu (Download, Start, Reset, Stop): the board link's windows
// and dialogs carry them out.
void HandleBoardCommand(int commandId, IViewHost& host, QWidget* parent);
// Every 220 ms while the link is open.
void PollBoardLink(IViewHost& host);
