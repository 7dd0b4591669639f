#include "app/shell/help_window.h"

#include <QDesktopServices>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// "The Simulator" -> "the-simulator", as the manual's contents link them.
QString Slug(const QString& heading)
{
    QString slug;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber()) {
            slug += c;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('-')) {
            slug += QLatin1Char('-');
        }
    }
    return slug;
}

// Markdown headings carry no anchors of their own; the contents' links
// need them.
void AnchorHeadings(QTextDocument* document)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0) {
            continue;
        }
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorNames({Slug(block.text())});
        cursor.mergeCharFormat(format);
    }
}

} // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("8051 Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    // Links within the manual scroll to their chapter; the browser's own
    // handling would load the page again and lose the chapter anchors.
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (!url.fragment().isEmpty() &&
            (url.isRelative() || url.scheme() == QLatin1String("qrc"))) {
            browser_->scrollToAnchor(url.fragment());
        } else if (!url.isRelative()) {
            QDesktopServices::openUrl(url);
        }
    });
    browser_->setSource(QUrl(QStringLiteral("qrc:/help/manual.md")),
                        QTextDocument::MarkdownResource);
    AnchorHeadings(browser_->document());
    browser_->document()->setDocumentMargin(18);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(780, 680);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}
