#pragma once

#include <string>

class CSerialChannel;

// The bytes of --uart-in, handed to the simulated receiver as it takes them.
// A file or a pipe is read a block at a time and never waited for: a program
// that runs on while no byte has come (an interactive standard input) keeps
// running.
class CUartInput
{
public:
    CUartInput() = default;
    ~CUartInput();
    CUartInput(const CUartInput&) = delete;
    CUartInput& operator=(const CUartInput&) = delete;

    // "-" is standard input. False, with a message for the user, when the
    // file cannot be read.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return fd_ >= 0; }
    // Keeps a few blocks queued for the receiver while the input lasts.
    void TopUp(CSerialChannel& channel);
    // A read failed after the open (the message says why); what came before
    // it was fed.
    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    bool ownsFd_ = false;
    bool ended_ = false;
    std::string path_;
    std::string error_;
};
