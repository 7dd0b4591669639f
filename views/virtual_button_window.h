#pragma once

#include <QDialog>
#include <QWidget>

#include "views/button_config_model.h"
#include "views/tool_views.h"

class IViewHost;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

// The clickable face of a virtual button: drawn raised or pressed, the text
// centred and moved one pixel right and down while pressed.
class CButtonFace : public QWidget
{
    Q_OBJECT

public:
    CButtonFace(IViewHost& host, int index, QWidget* parent);
    QSize sizeHint() const override { return {112, 44}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Changed(bool changed);

    IViewHost& host_;
    int index_;
};

// One floating button window: the face and the "Configure" push button.
class CVirtualButtonWnd : public QWidget
{
    Q_OBJECT

public:
    CVirtualButtonWnd(IViewHost& host, int index, QWidget* parent);
    int Index() const { return index_; }
    CButtonFace* Face() const { return face_; }
    QPushButton* ConfigureButton() const { return configure_; }
    // The button list was replaced: closing must not touch the new one.
    void Detach() { detached_ = true; }
    // The window's place as the workspace keeps it.
    void StorePosition();
    void Configure();
    void ShowButtonText();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    IViewHost& host_;
    int index_;
    bool detached_ = false;
    CButtonFace* face_;
    QPushButton* configure_;
};

// "Virtual Button Configuration".
class CVirtButtonConfigDlg : public QDialog
{
    Q_OBJECT

public:
    CVirtButtonConfigDlg(const ButtonFieldsType& fields, QWidget* parent = nullptr);
    ButtonFieldsType Fields() const;

    QComboBox* AddressBox() const { return address_; }
    QLineEdit* MaskEdit() const { return mask_; }
    QLineEdit* TextEdit() const { return text_; }
    QButtonGroup* ResourceGroup() const { return resource_; }
    QButtonGroup* LatchingGroup() const { return latching_; }
    QButtonGroup* OperationGroup() const { return operation_; }

private:
    void ShowAddressList();

    QComboBox* address_;
    QLineEdit* mask_;
    QLineEdit* text_;
    QButtonGroup* resource_;
    QButtonGroup* latching_;
    QButtonGroup* operation_;
};
