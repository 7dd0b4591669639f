#pragma once

#include <QWidget>

class QTextBrowser;

// The user manual, shipped in the resources and shown in its own window.
class CHelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* parent);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};
