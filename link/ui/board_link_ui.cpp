#include "link/ui/board_link_ui.h"

#include "link/select_port_model.h"
#include "link/ui/download_dlg.h"
#include "link/ui/select_port_dlg.h"

CBoardLinkUi::CBoardLinkUi(IPortCatalog& catalog, ISettingsStore& settings, IMessageSink& messages,
                           std::function<void()> help, QWidget* dialogParent)
    : catalog_(catalog), settings_(settings), messages_(messages), help_(std::move(help)),
      dialogParent_(dialogParent)
{
    stepTimer_.setTimerType(Qt::PreciseTimer);
    stepTimer_.setInterval(1);
    connect(&stepTimer_, &QTimer::timeout, this, [this] {
        if (controller_ == nullptr) {
            stepTimer_.stop();
            return;
        }
        controller_->Step();
        if (!controller_->HasTimedWork()) {
            stepTimer_.stop();
        }
    });
}

std::optional<ConnectionSettingsType> CBoardLinkUi::ChooseConnection()
{
    CSelectPortModel model(catalog_, settings_);
    CSelectPortDlg dialog(model, help_, dialogParent_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Values();
}

void CBoardLinkUi::RunDownload(CDownloadSession& session)
{
    CDownloadDlg dialog(session, messages_, dialogParent_);
    dialog.exec();
}

void CBoardLinkUi::WakeSteps()
{
    if (!stepTimer_.isActive()) {
        stepTimer_.start();
    }
}
