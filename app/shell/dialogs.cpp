#include "app/shell/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/message_sink.h"
#include "common/settings_keys.h"

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

template <typename Texts> QComboBox* ComboOf(const Texts& texts, int index, const char* name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    for (const char* text : texts) {
        combo->addItem(QString::fromLatin1(text));
    }
    combo->setCurrentIndex(std::clamp(index, 0, combo->count() - 1));
    return combo;
}

QCheckBox* CheckOf(const char* text, bool checked, const char* name)
{
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

QLineEdit* EditOf(const QString& text, const char* name)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A signed decimal integer, blanks around it allowed.
std::optional<int> ParseInteger(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

constexpr const char* kIntegerMessage = "Please enter an integer.";

} // namespace

CDefaultSettingsDlg::CDefaultSettingsDlg(const DefaultSettingsValuesType& values,
                                         IMessageSink& messages, QWidget* parent)
    : QDialog(parent), messages_(messages)
{
    setWindowTitle(QString::fromLatin1(kDefaultSettingsCaption));
    setObjectName(QStringLiteral("defaultSettingsDialog"));
    font_ = ComboOf(kFontSizeTexts, values.fontIndex, "fontSize");
    tab_ = EditOf(QString::fromStdString(values.tabText), "tabSize");
    tab_->setMaxLength(10);
    radix_ = ComboOf(kRadixTexts, values.radixIndex, "defaultRadix");
    processor_ = ComboOf(kProcessorTexts, values.processorIndex, "processorType");
    listFile_ = CheckOf("Generate list file", values.generateListFile, "generateListFile");
    symFile_ = CheckOf("Generate symbol file", values.generateSymFile, "generateSymFile");
    hexFile_ = CheckOf("Generate hex file", values.generateHexFile, "generateHexFile");
    colouring_ =
        CheckOf("S&yntax colouring in source windows", values.syntaxColouring, "syntaxColouring");
    highlight_ =
        CheckOf("Show &changed values in red", values.highlightChanges, "highlightChanges");
    recovery_ = new QSpinBox;
    recovery_->setObjectName(QStringLiteral("recoveryInterval"));
    recovery_->setRange(0, settings::kMaxRecoveryInterval);
    recovery_->setSuffix(QStringLiteral(" s"));
    recovery_->setSpecialValueText(QStringLiteral("Off"));
    recovery_->setValue(values.recoveryInterval);
    recovery_->setToolTip(QStringLiteral("How often the text of modified sources is kept for "
                                         "recovery after a crash"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Font size:"), font_);
    form->addRow(QStringLiteral("&Tab size:"), tab_);
    form->addRow(QStringLiteral("Default &radix:"), radix_);
    form->addRow(QStringLiteral("&Processor type:"), processor_);
    form->addRow(QStringLiteral("Re&covery interval:"), recovery_);
    auto* files = new QGroupBox(QStringLiteral("Assembler output"));
    auto* filesLayout = new QVBoxLayout(files);
    filesLayout->addWidget(listFile_);
    filesLayout->addWidget(symFile_);
    filesLayout->addWidget(hexFile_);
    auto* display = new QGroupBox(QStringLiteral("Display"));
    auto* displayLayout = new QVBoxLayout(display);
    displayLayout->addWidget(colouring_);
    displayLayout->addWidget(highlight_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(files);
    layout->addWidget(display);
    layout->addWidget(OkCancel(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

DefaultSettingsValuesType CDefaultSettingsDlg::Values() const
{
    DefaultSettingsValuesType values;
    values.fontIndex = font_->currentIndex();
    values.tabText = tab_->text().toStdString();
    values.radixIndex = radix_->currentIndex();
    values.processorIndex = processor_->currentIndex();
    values.generateListFile = listFile_->isChecked();
    values.generateSymFile = symFile_->isChecked();
    values.generateHexFile = hexFile_->isChecked();
    values.recoveryInterval = recovery_->value();
    values.syntaxColouring = colouring_->isChecked();
    values.highlightChanges = highlight_->isChecked();
    return values;
}

void CDefaultSettingsDlg::accept()
{
    if (auto message = ValidateTabSize(tab_->text().toStdString())) {
        messages_.ShowMessage(*message, IMessageSink::Severity::kWarning);
        tab_->setFocus();
        tab_->selectAll();
        return;
    }
    QDialog::accept();
}

CSimulatorOptionsDlg::CSimulatorOptionsDlg(const SimulationOptionsType& values,
                                           IMessageSink& messages, QWidget* parent)
    : QDialog(parent), messages_(messages), initial_(values)
{
    setWindowTitle(QStringLiteral("Simulator Options"));
    setObjectName(QStringLiteral("simulatorOptionsDialog"));
    static constexpr std::array<const char*, 5> kPages{
        "1 page (64k)", "2 pages (128k)", "4 pages (256k)", "8 pages (512k)", "16 pages (1024k)"};
    static constexpr std::array<const char*, 2> kVariants{"Standard", "ADuC84x"};
    paged_ = CheckOf("Enable &Paged Memory", values.pagedMemory != 0, "enablePagedMemory");
    controlAddress_ = EditOf(QString::number(values.controlAddress), "controlAddress");
    controlAddress_->setMaxLength(11);
    pages_ = ComboOf(kPages, values.memoryPages, "memoryPages");
    useP2_ = CheckOf("Use P2 for @&Ri addressing", values.paged8bitAddressing != 0, "useP2");
    autoUpdate_ =
        CheckOf("Enable &Automatic Window Updating", values.autoUpdate != 0, "enableAutoUpdate");
    updateCount_ = EditOf(QString::number(values.updateCount), "updateCount");
    updateCount_->setMaxLength(11);
    variant_ = ComboOf(kVariants, values.processorVariant, "processorVariant");

    auto* memory = new QGroupBox(QStringLiteral("External memory"));
    auto* memoryForm = new QFormLayout(memory);
    memoryForm->addRow(paged_);
    memoryForm->addRow(QStringLiteral("Paged Memory &Control Address:"), controlAddress_);
    memoryForm->addRow(QStringLiteral("&Total amount of paged memory:"), pages_);
    memoryForm->addRow(useP2_);
    auto* updates = new QGroupBox(QStringLiteral("Window updates"));
    auto* updatesForm = new QFormLayout(updates);
    updatesForm->addRow(autoUpdate_);
    updatesForm->addRow(QStringLiteral("&Instruction count between updates:"), updateCount_);
    auto* processor = new QFormLayout;
    processor->addRow(QStringLiteral("Processor &variant:"), variant_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memory);
    layout->addWidget(updates);
    layout->addLayout(processor);
    layout->addWidget(OkCancel(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

SimulationOptionsType CSimulatorOptionsDlg::Values() const
{
    SimulationOptionsType values = initial_;
    values.pagedMemory = paged_->isChecked() ? 1 : 0;
    values.controlAddress = ParseInteger(controlAddress_->text()).value_or(initial_.controlAddress);
    values.memoryPages = pages_->currentIndex();
    values.paged8bitAddressing = useP2_->isChecked() ? 1 : 0;
    values.autoUpdate = autoUpdate_->isChecked() ? 1 : 0;
    values.updateCount = ParseInteger(updateCount_->text()).value_or(initial_.updateCount);
    values.processorVariant = variant_->currentIndex();
    return values;
}

void CSimulatorOptionsDlg::accept()
{
    for (QLineEdit* edit : {controlAddress_, updateCount_}) {
        if (!ParseInteger(edit->text())) {
            messages_.ShowMessage(kIntegerMessage, IMessageSink::Severity::kWarning);
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    QDialog::accept();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About 8051"));
    setObjectName(QStringLiteral("aboutDialog"));
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/ide51.svg")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(
        QStringLiteral("<p><b>8051</b><br>%1</p>"
                       "<p>An integrated development environment for the 8051 family:<br>"
                       "editor, assembler, simulator and board download.</p>"
                       "<p>Copyright &copy; Corvane</p>")
            .arg(QString::fromLatin1(kVersionText)));
    text->setObjectName(QStringLiteral("aboutText"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PrintSetupDialog(QWidget* parent)
{
    // One printer for the whole session, as the views print on it.
    static QPrinter printer;
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}
