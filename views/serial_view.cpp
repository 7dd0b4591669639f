#include "views/serial_view.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/engines.h"
#include "common/message_sink.h"
#include "common/settings_keys.h"
#include "common/text_util.h"
#include "simulator/serial_channel.h"
#include "views/text_grid_view.h"

namespace {

constexpr uint8_t kCarriageReturn = '\r';
constexpr uint8_t kLineFeed = '\n';
constexpr int kInputLimit = 4096;
// A running program's output shows at this pace even when the windows are
// updated only at a stop.
constexpr int kFollowMs = 100;

char Shown(uint8_t byte)
{
    return byte < 32 || byte == 127 ? '.' : static_cast<char>(byte);
}

} // namespace

CSerialLinesModel::CSerialLinesModel(IViewHost& host, CSerialChannel& channel)
    : CGridModel(host), channel_(channel)
{
    SetSelectionLine(-1);
}

void CSerialLinesModel::SetHex(bool hex)
{
    hex_ = hex;
}

void CSerialLinesModel::ScanNewBytes()
{
    const uint64_t count = channel_.TransmittedCount();
    // Cleared, or the oldest bytes were let go: start again from the first
    // byte kept.
    if (channel_.FirstKept() != scannedFrom_ || count < scanned_ || lineStarts_.empty()) {
        scannedFrom_ = channel_.FirstKept();
        scanned_ = scannedFrom_;
        lineStarts_.assign(1, scannedFrom_);
        afterCarriageReturn_ = false;
    }
    for (; scanned_ < count; ++scanned_) {
        const uint8_t byte = channel_.TransmittedAt(scanned_);
        if (byte == kLineFeed && afterCarriageReturn_) {
            lineStarts_.back() = scanned_ + 1; // CR LF ends one line
        } else if (byte == kLineFeed || byte == kCarriageReturn) {
            lineStarts_.push_back(scanned_ + 1);
        }
        afterCarriageReturn_ = byte == kCarriageReturn;
    }
}

int CSerialLinesModel::CountLines()
{
    ScanNewBytes();
    const uint64_t bytes = channel_.TransmittedCount() - channel_.FirstKept();
    if (bytes == 0) {
        return 0;
    }
    if (hex_) {
        return static_cast<int>((bytes + kHexBytesPerLine - 1) / kHexBytesPerLine);
    }
    return static_cast<int>(lineStarts_.size());
}

std::string CSerialLinesModel::FormatLine(int line)
{
    const uint64_t count = channel_.TransmittedCount();
    std::string text;
    if (hex_) {
        const uint64_t first =
            channel_.FirstKept() + static_cast<uint64_t>(line) * kHexBytesPerLine;
        const uint64_t end = std::min<uint64_t>(count, first + kHexBytesPerLine);
        text = StrFormat("%06llX:", static_cast<unsigned long long>(first));
        std::string characters;
        for (uint64_t i = first; i < end; ++i) {
            const uint8_t byte = channel_.TransmittedAt(i);
            text += StrFormat(" %02X", byte);
            characters += Shown(byte);
        }
        text.append(static_cast<size_t>(first + kHexBytesPerLine - end) * 3 + 2, ' ');
        return text + characters;
    }
    const auto at = static_cast<size_t>(line);
    uint64_t end = at + 1 < lineStarts_.size() ? lineStarts_[at + 1] : count;
    while (end > lineStarts_[at] && (channel_.TransmittedAt(end - 1) == kLineFeed ||
                                     channel_.TransmittedAt(end - 1) == kCarriageReturn)) {
        --end;
    }
    for (uint64_t i = lineStarts_[at]; i < end; ++i) {
        text += Shown(channel_.TransmittedAt(i));
    }
    return text;
}

bool CSerialLinesModel::SourceChanged()
{
    return seen_.Update(channel_.Revision());
}

bool CSerialLinesModel::FormatChanged()
{
    const bool changed = hex_ != hexShown_;
    hexShown_ = hex_;
    return changed;
}

void CSerialLinesModel::LinesChanged(int oldCount, int newCount)
{
    if (newCount < oldCount || Selection().line >= newCount) {
        SetSelectionLine(-1);
    }
}

CSerialView::CSerialView(IViewHost& host, CSerialChannel& channel, QWidget* parent)
    : QWidget(parent), host_(host), channel_(channel), input_(new QLineEdit(this)),
      hex_(new QCheckBox(QStringLiteral("Hex"), this)),
      clear_(new QPushButton(QStringLiteral("Clear"), this))
{
    auto model = std::make_unique<CSerialLinesModel>(host, channel);
    model_ = model.get();
    model_->SetHex(ReadSetting(host.Settings(), settings::kSerialHex) != 0);
    lines_ = new CTextGridView(std::move(model), host, this);
    input_->setMaxLength(kInputLimit);
    hex_->setChecked(model_->Hex());
    auto* row = new QHBoxLayout;
    row->addWidget(input_, 1);
    row->addWidget(hex_);
    row->addWidget(clear_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(lines_, 1);
    layout->addLayout(row);
    setFocusProxy(input_);

    ShowInputState();
    connect(input_, &QLineEdit::returnPressed, this, &CSerialView::Send);
    connect(hex_, &QCheckBox::toggled, this, [this](bool on) {
        model_->SetHex(on);
        WriteSetting(host_.Settings(), settings::kSerialHex, on ? 1 : 0);
        lines_->Refresh();
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        channel_.ClearTransmitted();
        lines_->Refresh();
    });
    auto* follow = new QTimer(this);
    connect(follow, &QTimer::timeout, this, &CSerialView::Refresh);
    follow->start(kFollowMs);
}

void CSerialView::ShowInputState()
{
    // A new simulation empties the receiver's queue: a line typed before it
    // would be lost without a word.
    const bool running = host_.Engines().Simulator().IsRunning();
    input_->setEnabled(running);
    input_->setPlaceholderText(running ? QStringLiteral("A line for the receiver")
                                       : QStringLiteral("Start the simulation to type to the "
                                                        "receiver"));
}

void CSerialView::Send()
{
    // A terminal ends the line with a carriage return.
    const QByteArray bytes = input_->text().toLatin1() + '\r';
    const size_t taken = channel_.Feed(std::string_view(bytes.constData(), bytes.size()));
    if (taken < static_cast<size_t>(bytes.size())) {
        host_.Messages().ShowMessage("The receiver's queue is full; the line was cut.",
                                     IMessageSink::Severity::kWarning);
    }
    input_->clear();
}

bool CSerialView::HandleCommand(int commandId)
{
    return lines_->HandleCommand(commandId);
}

void CSerialView::FillCommandState(CommandStateType& state) const
{
    lines_->FillCommandState(state);
}

void CSerialView::Refresh()
{
    ShowInputState();
    lines_->Refresh();
}
