#pragma once

#include <QDialog>

#include "app/app_state.h"
#include "app/default_settings_model.h"

class IMessageSink;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// Options > Defaults. OK keeps the dialog open, with the message, while the
// tab size is not an integer from 1 to 32.
class CDefaultSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    CDefaultSettingsDlg(const DefaultSettingsValuesType& values, IMessageSink& messages,
                        QWidget* parent);
    DefaultSettingsValuesType Values() const;

public slots:
    void accept() override;

private:
    IMessageSink& messages_;
    QComboBox* font_;
    QLineEdit* tab_;
    QComboBox* radix_;
    QComboBox* processor_;
    QCheckBox* listFile_;
    QCheckBox* symFile_;
    QCheckBox* hexFile_;
    QCheckBox* colouring_;
    QCheckBox* highlight_;
    QSpinBox* recovery_;
};

// Options > Simulator. The clamps and the message of a bad control address
// belong to the application model; the dialog refuses text that is not an
// integer at all.
class CSimulatorOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    CSimulatorOptionsDlg(const SimulationOptionsType& values, IMessageSink& messages,
                         QWidget* parent);
    SimulationOptionsType Values() const;

public slots:
    void accept() override;

private:
    IMessageSink& messages_;
    SimulationOptionsType initial_;
    QCheckBox* paged_;
    QLineEdit* controlAddress_;
    QComboBox* pages_;
    QCheckBox* useP2_;
    QCheckBox* autoUpdate_;
    QLineEdit* updateCount_;
    QComboBox* variant_;
};

// Help > About 8051...
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent);
};

inline constexpr const char* kVersionText = "Version 1.30";

// File > Print Setup...: the printer the views print on.
void PrintSetupDialog(QWidget* parent);
