#include "editor/ui/editor_clipboard.h"

#include <new>

#include <QClipboard>
#include <QGuiApplication>

#include "common/message_sink.h"

namespace {

constexpr const char* kNoMemory = "Unable to allocate memory for clipboard data.";
constexpr const char* kCannotOpen = "Unable to open clipboard.";
constexpr const char* kCannotEmpty = "Unable to empty clipboard.";
constexpr const char* kCannotCopy = "Unable to copy text to clipboard.";

void Tell(IMessageSink& messages, const char* text)
{
    messages.ShowMessage(text, IMessageSink::Severity::kError);
}

} // namespace

QString TextToQString(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString DisplayText(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        *out++ = (u < 0x20 || (u >= 0x7F && u < 0xA0)) ? QChar(0x00B7) : QChar(u);
    }
    return text;
}

std::string QStringToText(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool CQtClipboardPort::Open()
{
    return QGuiApplication::clipboard() != nullptr;
}

bool CQtClipboardPort::Empty()
{
    QGuiApplication::clipboard()->clear();
    return true;
}

bool CQtClipboardPort::SetText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    return clipboard->text() == text;
}

std::optional<QString> CQtClipboardPort::Text()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = clipboard->text();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text;
}

bool CopyToClipboard(IClipboardPort& clipboard, const std::string& text, IMessageSink& messages)
{
    QString data;
    try {
        data = TextToQString(text);
    } catch (const std::bad_alloc&) {
        Tell(messages, kNoMemory);
        return false;
    }
    if (!clipboard.Open()) {
        Tell(messages, kCannotOpen);
        return false;
    }
    if (!clipboard.Empty()) {
        Tell(messages, kCannotEmpty);
        return false;
    }
    if (!clipboard.SetText(data)) {
        Tell(messages, kCannotCopy);
        return false;
    }
    return true;
}

std::optional<std::string> ReadClipboard(IClipboardPort& clipboard, IMessageSink& messages)
{
    if (!clipboard.Open()) {
        Tell(messages, kCannotOpen);
        return std::nullopt;
    }
    const std::optional<QString> text = clipboard.Text();
    if (!text) {
        return std::nullopt;
    }
    try {
        return QStringToText(*text);
    } catch (const std::bad_alloc&) {
        Tell(messages, kNoMemory);
        return std::nullopt;
    }
}
