#include "app/shell/view_factory.h"

#include "editor/ui/editor_view.h"
#include "views/tool_views.h"

QWidget* CreateView(WindowKind kind, CSourceDocument* document, IViewHost& host, QWidget* parent)
{
    if (kind == WindowKind::kSource) {
        return document != nullptr ? new CEditorView(*document, host, parent) : nullptr;
    }
    return CreateToolView(kind, host, parent);
}
