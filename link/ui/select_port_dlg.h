#pragma once

#include <QDialog>
#include <functional>

#include "link/connection_settings.h"
#include "link/select_port_model.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;

// The "Connection" dialog: the port, both rates, the flash sector size, the
// loader type and "Enable monitor", over CSelectPortModel, which reads and
// writes the settings. The port list is editable: a device that is not
// listed (a pseudo-terminal of board51, a symbolic link) can be typed in.
class CSelectPortDlg : public QDialog
{
    Q_OBJECT

public:
    // help opens the manual's page on the board link.
    CSelectPortDlg(CSelectPortModel& model, std::function<void()> help, QWidget* parent = nullptr);

    // The six values, valid once the dialog closed with OK.
    const ConnectionSettingsType& Values() const { return values_; }

    void accept() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Fill();

    CSelectPortModel& model_;
    std::function<void()> help_;
    ConnectionSettingsType values_;
    QComboBox* port_ = nullptr;
    QComboBox* downloadRate_ = nullptr;
    QComboBox* monitorRate_ = nullptr;
    QComboBox* sectorSize_ = nullptr;
    QButtonGroup* loaderType_ = nullptr;
    QCheckBox* enableMonitor_ = nullptr;
};
