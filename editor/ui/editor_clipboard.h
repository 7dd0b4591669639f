#pragma once

#include <optional>
#include <string>

#include <QString>

class IMessageSink;

// The system clipboard as the editor uses it. Each step can fail on its own,
// and each failure has its own message.
class IClipboardPort
{
public:
    virtual ~IClipboardPort() = default;
    virtual bool Open() = 0;
    virtual bool Empty() = 0;
    virtual bool SetText(const QString& text) = 0;
    // Nothing when the clipboard holds no text.
    virtual std::optional<QString> Text() = 0;
};

// QClipboard: there is always one to open, and a text that did not arrive is
// found by reading it back.
class CQtClipboardPort : public IClipboardPort
{
public:
    bool Open() override;
    bool Empty() override;
    bool SetText(const QString& text) override;
    std::optional<QString> Text() override;
};

// Puts text (line ends already CR LF) on the clipboard; false after the
// failure's message.
bool CopyToClipboard(IClipboardPort& clipboard, const std::string& text, IMessageSink& messages);
// The clipboard's text as bytes; nothing without text or after the message
// that the clipboard could not be opened.
std::optional<std::string> ReadClipboard(IClipboardPort& clipboard, IMessageSink& messages);

// The editor's text is bytes; the clipboard holds characters. Each byte is
// one character, so columns and the bytes of a file survive a round trip.
QString TextToQString(std::string_view bytes);
// As the window and the printout show bytes: one cell each, control codes as
// a middle dot, so that columns stay where the caret counts them.
QString DisplayText(std::string_view bytes);
std::string QStringToText(const QString& text);
