#pragma once

#include <optional>

#include <QDialog>

class QLineEdit;

// "New Value": one edit box, "OK" and "Cancel". The caption names what is
// edited; a typed character starts the edit box.
class CGetValueDlg : public QDialog
{
    Q_OBJECT

public:
    CGetValueDlg(const QString& caption, const QString& initialText, QWidget* parent = nullptr);
    QString Text() const;
    QLineEdit* Edit() const { return edit_; }

    // Runs the dialog: the text on OK, nothing on Cancel.
    static std::optional<QString> Ask(const QString& caption, const QString& initialText,
                                      QWidget* parent);

private:
    QLineEdit* edit_;
};
