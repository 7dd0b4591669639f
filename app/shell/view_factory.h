#pragma once

#include "app/window_kinds.h"

class CSourceDocument;
class IViewHost;
class QWidget;

// The one place that makes window contents. Every window the frame opens
// gets its widget here; the widget also implements IDocumentView. Source
// kinds get an editor on the document, tool kinds the debug view of their kind.
QWidget* CreateView(WindowKind kind, CSourceDocument* document, IViewHost& host, QWidget* parent);
