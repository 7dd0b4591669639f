#include "views/tool_views.h"

#include <memory>

#include "app/engines.h"
#include "app/view_host.h"
#include "views/add_watch_dlg.h"
#include "views/memory_models.h"
#include "views/register_models.h"
#include "views/serial_view.h"
#include "views/stack_model.h"
#include "views/text_grid_view.h"
#include "views/watch_model.h"

namespace {

// Add or Modify through the dialog; fields hold what the user accepted.
bool RunWatchDialog(QWidget* parent, IViewHost& host, WatchFieldsType& fields, bool modify)
{
    CAddWatchModel model(host.Engines().Resolver(), host.Settings());
    model.Open(fields);
    CAddWatchDlg dialog(modify, model, host.Messages(), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    fields = model.Fields();
    return true;
}

std::unique_ptr<CGridModel> MakeModel(WindowKind kind, IViewHost& host)
{
    switch (kind) {
    case WindowKind::kOutput:
        return std::make_unique<COutputModel>(host);
    case WindowKind::kDump:
        return std::make_unique<CDumpModel>(host);
    case WindowKind::kRegister:
        return std::make_unique<CRegisterModel>(host);
    case WindowKind::kPort:
        return std::make_unique<CPortModel>(host);
    case WindowKind::kDram:
        return std::make_unique<CDramModel>(host);
    case WindowKind::kIram:
        return std::make_unique<CIramModel>(host);
    case WindowKind::kXram:
        return std::make_unique<CXramModel>(host);
    case WindowKind::kWatch:
        return std::make_unique<CWatchModel>(host);
    case WindowKind::kConReg:
        return std::make_unique<CControlRegisterModel>(host);
    case WindowKind::kStack:
        return std::make_unique<CStackModel>(host);
    default:
        return nullptr;
    }
}

} // namespace

QWidget* CreateToolView(WindowKind kind, IViewHost& host, QWidget* parent)
{
    if (kind == WindowKind::kSerial) {
        return new CSerialView(host, host.Engines().Simulator().Serial(), parent);
    }
    std::unique_ptr<CGridModel> model = MakeModel(kind, host);
    if (!model) {
        return nullptr;
    }
    auto* watch = dynamic_cast<CWatchModel*>(model.get());
    auto* view = new CTextGridView(std::move(model), host, parent);
    if (watch != nullptr) {
        watch->SetDialogRunner([view, &host](WatchFieldsType& fields, bool modify) {
            return RunWatchDialog(view, host, fields, modify);
        });
    }
    return view;
}

bool RunAddWatchDialog(QWidget* parent, IViewHost& host, const std::string& word)
{
    WatchFieldsType fields;
    fields.name = word;
    fields.resourceType = -1; // derived from the word
    if (!RunWatchDialog(parent, host, fields, false)) {
        return false;
    }
    ApplyWatchFields(host.Engines().Simulator().Watches(), fields, -1);
    host.Engines().Simulator().MarkChanged();
    host.UpdateAllWindows();
    return true;
}
