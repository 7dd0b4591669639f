#pragma once

#include <string>

#include "app/window_kinds.h"

class IViewHost;
class QWidget;

// The content of a tool window of kind: a QWidget that is also the window's
// IDocumentView. Nothing for the source kind, which the editor shows.
QWidget* CreateToolView(WindowKind kind, IViewHost& host, QWidget* parent);

// Add Watch from the source editor: the dialog titled "Add Watch" with the
// word at the caret as the address and its resource type derived from the
// word. True when a watch was added.
bool RunAddWatchDialog(QWidget* parent, IViewHost& host, const std::string& word);
