#include "views/virtual_button_window.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include "app/engines.h"
#include "app/view_host.h"

namespace {

const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kFacePressed(0xA8, 0xA8, 0xA8);
constexpr int kTextLimit = 64;
constexpr int kLargestWindow = 800; // a stored size beyond this is not a button window's

QString Text(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1(const QString& text)
{
    return text.toLatin1().toStdString();
}

CVirtualButtonList& Buttons(IViewHost& host)
{
    return host.Engines().Simulator().Buttons();
}

void RefreshAfterPress(IViewHost& host)
{
    // Ports, external memory and watches read through the overlay.
    host.Engines().Simulator().MarkChanged();
    host.UpdateAllWindows();
}

QRadioButton* AddRadio(QButtonGroup* group, QLayout* layout, const char* text, int id)
{
    auto* button = new QRadioButton(QString::fromLatin1(text));
    group->addButton(button, id);
    layout->addWidget(button);
    return button;
}

// A stored place, when it is a sane size and lies on a screen.
std::optional<QRect> StoredPlace(const WindowRectType& r)
{
    const QRect rect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    if (rect.width() <= 0 || rect.height() <= 0 || rect.width() > kLargestWindow ||
        rect.height() > kLargestWindow || QGuiApplication::screenAt(rect.topLeft()) == nullptr) {
        return std::nullopt;
    }
    return rect;
}

} // namespace

// The face.

CButtonFace::CButtonFace(IViewHost& host, int index, QWidget* parent)
    : QWidget(parent), host_(host), index_(index)
{
    setMinimumSize(48, 24);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CButtonFace::paintEvent(QPaintEvent* event)
{
    (void)event;
    const VirtualButtonType* button = Buttons(host_).GetButton(index_);
    if (button == nullptr) {
        return;
    }
    QPainter painter(this);
    const QRect r = rect();
    const bool pressed = button->pressed;
    // Light from the top left: a raised face, or a sunken one while pressed.
    QPalette shades = palette();
    shades.setColor(QPalette::Light, Qt::white);
    shades.setColor(QPalette::Dark, QColor(0x40, 0x40, 0x40));
    shades.setColor(QPalette::Mid, QColor(0x80, 0x80, 0x80));
    const QBrush fill(pressed ? kFacePressed : kFace);
    qDrawShadePanel(&painter, r, shades, pressed, 2, &fill);
    painter.setPen(Qt::black);
    const QRect textArea = pressed ? r.translated(1, 1) : r;
    painter.drawText(textArea, Qt::AlignCenter, Text(button->buttonText));
}

void CButtonFace::Changed(bool changed)
{
    if (changed) {
        update();
        RefreshAfterPress(host_);
    }
}

void CButtonFace::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        Changed(Buttons(host_).PressButton(index_));
    }
}

void CButtonFace::mouseReleaseEvent(QMouseEvent* event)
{
    // A momentary button lets go wherever the mouse is released: it must
    // not stay pressed because the pointer slipped off the face.
    if (event->button() == Qt::LeftButton) {
        Changed(Buttons(host_).ReleaseButton(index_));
    }
}

// The window.

CVirtualButtonWnd::CVirtualButtonWnd(IViewHost& host, int index, QWidget* parent)
    : QWidget(parent, Qt::Tool), host_(host), index_(index),
      face_(new CButtonFace(host, index, this)),
      configure_(new QPushButton(QStringLiteral("Configure"), this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(face_, 1);
    layout->addWidget(configure_);
    connect(configure_, &QPushButton::clicked, this, &CVirtualButtonWnd::Configure);
    ShowButtonText();
}

void CVirtualButtonWnd::ShowButtonText()
{
    if (const VirtualButtonType* button = Buttons(host_).GetButton(index_)) {
        setWindowTitle(Text(button->buttonText));
    }
    face_->update();
}

void CVirtualButtonWnd::StorePosition()
{
    if (detached_ || !isVisible()) {
        return;
    }
    const QRect r = frameGeometry();
    Buttons(host_).SetWindowRect(index_, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}

void CVirtualButtonWnd::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    StorePosition();
}

void CVirtualButtonWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    StorePosition();
}

void CVirtualButtonWnd::closeEvent(QCloseEvent* event)
{
    if (!detached_) {
        Buttons(host_).CloseButton(index_);
        detached_ = true;
        RefreshAfterPress(host_);
    }
    QWidget::closeEvent(event);
}

void CVirtualButtonWnd::Configure()
{
    const VirtualButtonType* button = Buttons(host_).GetButton(index_);
    if (button == nullptr || detached_) {
        return;
    }
    CVirtButtonConfigDlg dialog(FieldsOfButton(*button), this);
    while (dialog.exec() == QDialog::Accepted) {
        const std::optional<VirtualButtonType> fields =
            AcceptButtonFields(dialog.Fields(), host_.Engines().Assembler(), host_.Messages());
        if (fields) {
            Buttons(host_).ConfigureButton(index_, *fields);
            ShowButtonText();
            RefreshAfterPress(host_);
            return;
        }
    }
}

// The configuration dialog.

CVirtButtonConfigDlg::CVirtButtonConfigDlg(const ButtonFieldsType& fields, QWidget* parent)
    : QDialog(parent), address_(new QComboBox(this)), mask_(new QLineEdit(this)),
      text_(new QLineEdit(this)), resource_(new QButtonGroup(this)),
      latching_(new QButtonGroup(this)), operation_(new QButtonGroup(this))
{
    setWindowTitle(QStringLiteral("Virtual Button Configuration"));
    address_->setEditable(true);
    address_->setInsertPolicy(QComboBox::NoInsert);
    address_->lineEdit()->setMaxLength(kTextLimit);
    mask_->setMaxLength(kTextLimit);
    text_->setMaxLength(kTextLimit);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Address:"), address_);
    form->addRow(QStringLiteral("Mask:"), mask_);
    form->addRow(QStringLiteral("Button text:"), text_);

    auto* resourceBox = new QGroupBox(QStringLiteral("Resource Type"), this);
    auto* resourceLayout = new QVBoxLayout(resourceBox);
    AddRadio(resource_, resourceLayout, "Port", 0);
    AddRadio(resource_, resourceLayout, "External Memory", 1);
    auto* latchingBox = new QGroupBox(QStringLiteral("Operation"), this);
    auto* latchingLayout = new QVBoxLayout(latchingBox);
    AddRadio(latching_, latchingLayout, "Momentary", 0);
    AddRadio(latching_, latchingLayout, "Latching", 1);
    auto* operationBox = new QGroupBox(QStringLiteral("Application"), this);
    auto* operationLayout = new QVBoxLayout(operationBox);
    AddRadio(operation_, operationLayout, "AND", kButtonAnd);
    AddRadio(operation_, operationLayout, "OR", kButtonOr);
    AddRadio(operation_, operationLayout, "XOR", kButtonXor);
    AddRadio(operation_, operationLayout, "Set", kButtonSet);

    auto* groups = new QHBoxLayout;
    groups->addWidget(resourceBox, 0, Qt::AlignTop);
    groups->addWidget(latchingBox, 0, Qt::AlignTop);
    groups->addWidget(operationBox, 0, Qt::AlignTop);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(groups);
    layout->addWidget(buttons);

    resource_->button(fields.resourceType)->setChecked(true);
    latching_->button(fields.latching)->setChecked(true);
    operation_->button(fields.operation)->setChecked(true);
    ShowAddressList();
    address_->setEditText(Text(fields.addressText));
    mask_->setText(Text(fields.maskText));
    text_->setText(Text(fields.buttonText));

    connect(resource_, &QButtonGroup::idClicked, this, [this](int) { ShowAddressList(); });
    connect(address_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { address_->setEditText(address_->itemText(index)); });
}

void CVirtButtonConfigDlg::ShowAddressList()
{
    const QString text = address_->currentText();
    address_->clear();
    for (const std::string& name : ButtonAddressList(resource_->checkedId())) {
        address_->addItem(Text(name));
    }
    address_->setCurrentIndex(-1);
    address_->setEditText(text);
}

ButtonFieldsType CVirtButtonConfigDlg::Fields() const
{
    ButtonFieldsType fields;
    fields.addressText = Latin1(address_->currentText());
    fields.maskText = Latin1(mask_->text());
    fields.buttonText = Latin1(text_->text());
    fields.resourceType = resource_->checkedId();
    fields.latching = latching_->checkedId();
    fields.operation = operation_->checkedId();
    return fields;
}

// The frame's entry points.

namespace {

CVirtualButtonWnd* OpenWindow(IViewHost& host, int index, QWidget* parent,
                              std::optional<QRect> place)
{
    auto* window = new CVirtualButtonWnd(host, index, parent);
    if (place) {
        window->move(place->topLeft());
    } else if (parent != nullptr) {
        // Cascade new windows over the frame's centre.
        const int step = 24 * (index % 8);
        const QPoint centre = parent->frameGeometry().center();
        window->move(centre + QPoint(step, step));
    }
    window->show();
    if (place) {
        // The kept rectangle includes the window's frame.
        const QSize frame = window->frameGeometry().size() - window->size();
        window->resize((place->size() - frame).expandedTo(window->minimumSizeHint()));
    }
    window->StorePosition();
    return window;
}

} // namespace

CVirtualButtonWnd* NewVirtualButton(IViewHost& host, QWidget* parent)
{
    return OpenWindow(host, Buttons(host).NewButton(), parent, std::nullopt);
}

void RestoreVirtualButtons(IViewHost& host, QWidget* parent)
{
    if (parent != nullptr) {
        for (CVirtualButtonWnd* window : parent->findChildren<CVirtualButtonWnd*>()) {
            window->Detach();
            window->close();
        }
    }
    CVirtualButtonList& buttons = Buttons(host);
    for (int i = 0; i < buttons.ButtonCount(); ++i) {
        const VirtualButtonType* button = buttons.GetButton(i);
        if (button->windowExists) {
            OpenWindow(host, i, parent, StoredPlace(button->window));
        }
    }
}

void StoreVirtualButtonPositions(QWidget* parent)
{
    if (parent == nullptr) {
        return;
    }
    for (CVirtualButtonWnd* window : parent->findChildren<CVirtualButtonWnd*>()) {
        window->StorePosition();
    }
}
