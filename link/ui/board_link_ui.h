#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "common/message_sink.h"
#include "common/settings_store.h"
#include "link/board_link_controller.h"
#include "link/serial_device.h"

// The board link's windows for the frame: the Connection dialog over the
// settings and the port list, the Download Progress dialog, and a 1 ms timer
// that steps the controller's timed work while it has any.
class CBoardLinkUi : public QObject, public IBoardLinkUi
{
    Q_OBJECT

public:
    // help opens the manual's page on the board link; the dialogs' parent is
    // the frame's main window.
    CBoardLinkUi(IPortCatalog& catalog, ISettingsStore& settings, IMessageSink& messages,
                 std::function<void()> help, QWidget* dialogParent = nullptr);

    // The controller whose Step the timer calls.
    void Attach(CBoardLinkController& controller) { controller_ = &controller; }
    void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }

    std::optional<ConnectionSettingsType> ChooseConnection() override;
    void RunDownload(CDownloadSession& session) override;
    void WakeSteps() override;

    bool Stepping() const { return stepTimer_.isActive(); }

private:
    IPortCatalog& catalog_;
    ISettingsStore& settings_;
    IMessageSink& messages_;
    std::function<void()> help_;
    QPointer<QWidget> dialogParent_;
    CBoardLinkController* controller_ = nullptr;
    QTimer stepTimer_;
};
