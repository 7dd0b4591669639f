#include "uart_input.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "simulator/serial_channel.h"

namespace {

constexpr size_t kBlock = 4096;
// Below this many waiting bytes the next block is read: at any baud rate a
// program takes far longer to receive them than a run slice lasts.
constexpr size_t kLowWater = 2 * kBlock;

} // namespace

CUartInput::~CUartInput()
{
    if (ownsFd_) {
        close(fd_);
    }
}

bool CUartInput::Open(const std::string& path, std::string& error)
{
    path_ = path == "-" ? "standard input" : path;
    const int fd = path == "-" ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info = {};
    if (fd < 0 || fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        error = "cannot read " + path_;
        if (fd >= 0 && fd != STDIN_FILENO) {
            close(fd);
        }
        return false;
    }
    fd_ = fd;
    ownsFd_ = fd != STDIN_FILENO;
    return true;
}

void CUartInput::TopUp(CSerialChannel& channel)
{
    if (fd_ < 0) {
        return;
    }
    char block[kBlock];
    while (!ended_ && channel.Pending() < kLowWater) {
        pollfd ready = {fd_, POLLIN, 0};
        if (poll(&ready, 1, 0) <= 0) {
            return; // nothing there yet: the program runs on
        }
        const ssize_t n = read(fd_, block, sizeof block);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return;
        }
        if (n < 0) {
            error_ = "cannot read " + path_ + ": " + std::strerror(errno);
        }
        if (n <= 0) {
            ended_ = true;
            return;
        }
        channel.Feed(std::string_view(block, static_cast<size_t>(n)));
    }
}
