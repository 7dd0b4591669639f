#include "views/get_value_dlg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Room for any operand the evaluator reads (254 characters) and a comment.
constexpr int kEditLimit = 1024;

} // namespace

CGetValueDlg::CGetValueDlg(const QString& caption, const QString& initialText, QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this))
{
    setWindowTitle(caption);
    edit_->setMaxLength(kEditLimit);
    edit_->setText(initialText);
    edit_->setCursorPosition(static_cast<int>(initialText.size())); // typing goes on after it
    edit_->setMinimumWidth(edit_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 32);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
}

QString CGetValueDlg::Text() const
{
    return edit_->text();
}

std::optional<QString> CGetValueDlg::Ask(const QString& caption, const QString& initialText,
                                         QWidget* parent)
{
    CGetValueDlg dialog(caption, initialText, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Text();
}
