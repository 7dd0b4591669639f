#pragma once

#include <string>

#include "app/window_kinds.h"

class CVirtualButtonWnd;
class IViewHost;
class QWidget;

// What the frame calls: every tool window's content, Add Watch from the
// editor, and the virtual button windows.

// The content of a tool window of kind: a QWidget that is also the window's
// IDocumentView. Nothing for the source kind, which the editor shows.
QWidget* CreateToolView(WindowKind kind, IViewHost& host, QWidget* parent);

// Add Watch from the source editor: the dialog titled "Add Watch" with the
// word at the caret as the address and its resource type derived from the
// word. True when a watch was added.
bool RunAddWatchDialog(QWidget* parent, IViewHost& host, const std::string& word);

// View > Virtual > Button: a new button with the defaults and its floating
// window (a child of parent, which should be the main window).
CVirtualButtonWnd* NewVirtualButton(IViewHost& host, QWidget* parent);
// After a workspace was loaded or closed: the old button windows go
// (without touching the new list) and each open button of the list gets a
// window at the screen place the workspace kept.
void RestoreVirtualButtons(IViewHost& host, QWidget* parent);
// Before a workspace is saved: each button window's place into its button,
// from which the workspace's "VirtButton=" values are written.
void StoreVirtualButtonPositions(QWidget* parent);
