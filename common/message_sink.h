#pragma once

#include <string>

// Where engine code sends the texts the user must acknowledge (message boxes
// in the IDE, stderr in the command-line tools, a recorder in tests).
class IMessageSink
{
public:
    enum class Severity
    {
        kInformation,
        kWarning,
        kError
    };

    virtual ~IMessageSink() = default;
    virtual void ShowMessage(const std::string& text, Severity severity) = 0;
};
