#pragma once

#include <QWidget>

#include "app/view_host.h"
#include "common/revision.h"
#include "views/grid_model.h"

class CSerialChannel;
class CTextGridView;
class QCheckBox;
class QLineEdit;
class QPushButton;

// What the program transmitted through SBUF: as text, a line per line the
// program ended with CR, LF or both; or in hexadecimal, 16 bytes a line with
// their characters beside them.
class CSerialLinesModel : public CGridModel
{
public:
    static constexpr int kHexBytesPerLine = 16;

    CSerialLinesModel(IViewHost& host, CSerialChannel& channel);
    WindowKind Kind() const override { return WindowKind::kSerial; }
    bool FollowsEnd() const override { return true; }
    GridKeyRules KeyRules() const override { return GridKeyRules::kLines; }
    void SetHex(bool hex);
    bool Hex() const { return hex_; }

protected:
    int CountLines() override;
    std::string FormatLine(int line) override;
    bool SourceChanged() override;
    bool FormatChanged() override;
    void LinesChanged(int oldCount, int newCount) override;

private:
    void ScanNewBytes();

    CSerialChannel& channel_;
    CSeenRevision seen_;
    bool hex_ = false;
    bool hexShown_ = false;
    // Text lines: where each starts, as indices of transmitted bytes.
    std::vector<uint64_t> lineStarts_;
    uint64_t scanned_ = 0;
    uint64_t scannedFrom_ = 0;
    bool afterCarriageReturn_ = false;
};

// "Serial": the transmitted bytes above, and a line to type below whose
// bytes (with a carriage return) go to the simulated receiver while a
// simulation runs.
class CSerialView : public QWidget, public IDocumentView
{
    Q_OBJECT

public:
    CSerialView(IViewHost& host, CSerialChannel& channel, QWidget* parent = nullptr);

    WindowKind Kind() const override { return WindowKind::kSerial; }
    bool HandleCommand(int commandId) override;
    void FillCommandState(CommandStateType& state) const override;
    void Refresh() override;

    CTextGridView* Lines() const { return lines_; }
    QLineEdit* Input() const { return input_; }
    QCheckBox* HexBox() const { return hex_; }
    QPushButton* ClearButton() const { return clear_; }

private:
    void ShowInputState();
    void Send();

    IViewHost& host_;
    CSerialChannel& channel_;
    CSerialLinesModel* model_;
    CTextGridView* lines_;
    QLineEdit* input_;
    QCheckBox* hex_;
    QPushButton* clear_;
};
