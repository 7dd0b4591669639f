#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QAbstractScrollArea>
#include <QFont>
#include <QTimer>

#include "app/view_host.h"
#include "views/grid_model.h"

// Pixel height of the views' font: the point size at the screen's vertical
// resolution, rounded as the platform rounds it.
int FontPixelHeight(int pointSize, int pixelsPerInch);

// The text-grid view of every tool window: draws the lines its model holds
// in "Courier New" at the FontSize setting, one character cell ("H" wide,
// "Hg" high) per character, the selected line white on dark blue, and turns
// keys, clicks and the context menu into the model's operations.
class CTextGridView : public QAbstractScrollArea, public IDocumentView
{
    Q_OBJECT

public:
    CTextGridView(std::unique_ptr<CGridModel> model, IViewHost& host, QWidget* parent = nullptr);
    ~CTextGridView() override;

    WindowKind Kind() const override { return model_->Kind(); }
    bool HandleCommand(int commandId) override;
    void FillCommandState(CommandStateType& state) const override;
    void Refresh() override;

    CGridModel& Model() { return *model_; }
    QSize CellSize() const { return {cellWidth_, cellHeight_}; }
    const QFont& TextFont() const { return font_; }
    // The "New Value" dialog; tests answer it instead of a user.
    using ValueDialog =
        std::function<std::optional<QString>(const QString& caption, const QString& initialText)>;
    void SetValueDialog(ValueDialog dialog) { valueDialog_ = std::move(dialog); }
    // The context menu; tests choose an item instead of a user.
    using MenuChooser = std::function<int(const std::vector<MenuItemType>& items, QPoint at)>;
    void SetMenuChooser(MenuChooser chooser) { menuChooser_ = std::move(chooser); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ApplyFont();
    void UpdateGeometry();
    void EnsureSelectionVisible();
    void FollowEnd();
    void SelectionMoved(bool changed);
    void ShowChanges();
    QPoint CellAt(QPoint position) const;
    void Activate();
    void Edit(std::optional<char> typed);
    void ShowContextMenu(QPoint at);
    void PaintLine(QPainter& painter, int line, int y, bool selected);

    std::unique_ptr<CGridModel> model_;
    IViewHost& host_;
    QFont font_;
    int fontSize_ = 0;
    int cellWidth_ = 8;
    int cellHeight_ = 16;
    int ascent_ = 12;
    QTimer repaintTimer_;
    ValueDialog valueDialog_;
    MenuChooser menuChooser_;
};
