#pragma once

#include <QPlainTextEdit>

#include "app/view_host.h"
#include "common/revision.h"

// Window contents that stand in until the editor window and the debug
// windows are built: a read-only view of a source document that marks the
// execution point and the break points, and a read-only text per tool kind.

class CSourcePreview : public QPlainTextEdit, public IDocumentView
{
public:
    CSourcePreview(CSourceDocument& document, IViewHost& host, QWidget* parent);

    WindowKind Kind() const override { return WindowKind::kSource; }
    bool HandleCommand(int commandId) override;
    void FillCommandState(CommandStateType& state) const override;
    void Refresh() override;
    CSourceDocument* Document() override { return &document_; }
    std::optional<std::pair<int, int>> CaretPlace() const override;
    void GoToLine(int line) override;
    std::string CaretWord() const override;

private:
    void MarkLines();

    CSourceDocument& document_;
    IViewHost& host_;
    CSeenRevision seenText_;
};

class CToolPreview : public QPlainTextEdit, public IDocumentView
{
public:
    CToolPreview(WindowKind kind, IViewHost& host, QWidget* parent);

    WindowKind Kind() const override { return kind_; }
    bool HandleCommand(int commandId) override;
    void Refresh() override;

private:
    std::string Text() const;

    WindowKind kind_;
    IViewHost& host_;
};
