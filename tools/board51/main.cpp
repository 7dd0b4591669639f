// board51: a development board on a pseudo-terminal. Prints the device it
// serves, answers there as the chosen loader and runs what it received.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "board51_options.h"
#include "virtual_board.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int)
{
    gStop = 1;
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "board51: %s\nTry 'board51 --help'.\n", message.c_str());
    return 2;
}

uint64_t NowUs()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

bool ReadText(const std::string& path, std::string& text)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return static_cast<bool>(in) || in.eof();
}

// Replaces the file whole, so a reader never sees half an image.
bool WriteImage(const std::string& path, const IntelHexImageType& image)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << WriteIntelHex(image);
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

// The pseudo-terminal: the master is the board's end of the line. The board
// keeps a descriptor of the other end open too, so the line stays up while
// the host closes and reopens its port, and sets it raw so that nothing the
// board sends is echoed back before the host has configured it.
struct PtyType
{
    int master = -1;
    int slave = -1;
    std::string path;

    bool Open()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            return false;
        }
        const char* name = ptsname(master);
        if (name == nullptr) {
            return false;
        }
        path = name;
        slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (slave < 0) {
            return false;
        }
        termios settings{};
        if (tcgetattr(slave, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(slave, TCSANOW, &settings);
        }
        return true;
    }
    void Close()
    {
        if (master >= 0) {
            close(master);
            master = -1;
        }
        if (slave >= 0) {
            close(slave);
            slave = -1;
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    Board51OptionsType options;
    std::string error;
    if (!ParseBoard51Options(argc, argv, options, error)) {
        return UsageError(error);
    }
    if (options.help) {
        std::fputs(kBoard51Usage, stdout);
        return 0;
    }
    BoardScriptType script;
    if (!options.scriptFile.empty()) {
        std::string text;
        if (!ReadText(options.scriptFile, text)) {
            std::fprintf(stderr, "board51: cannot read %s\n", options.scriptFile.c_str());
            return 2;
        }
        if (!ParseBoardScript(text, script, error)) {
            std::fprintf(stderr, "board51: %s: %s\n", options.scriptFile.c_str(), error.c_str());
            return 2;
        }
    }

    PtyType pty;
    if (!pty.Open()) {
        std::fprintf(stderr, "board51: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    std::printf("%s\n", pty.path.c_str());
    std::fflush(stdout);

    CVirtualBoard board(options.board, script);
    int imagesWritten = 0;
    std::string pending; // bytes the line did not take yet
    char chunk[4096];
    while (gStop == 0) {
        pollfd pfd{pty.master, POLLIN, 0};
        poll(&pfd, 1, 1);
        ssize_t n;
        while ((n = read(pty.master, chunk, sizeof chunk)) > 0) {
            board.FromHost(reinterpret_cast<const uint8_t*>(chunk), static_cast<size_t>(n),
                           NowUs());
        }
        pending += board.Advance(NowUs(), pending.empty());
        if (!pending.empty()) {
            const ssize_t written = write(pty.master, pending.data(), pending.size());
            if (written > 0) {
                pending.erase(0, static_cast<size_t>(written));
            }
        }
        for (const std::string& note : board.TakeNotes()) {
            std::fprintf(stderr, "board51: %s\n", note.c_str());
        }
        if (board.TransfersEnded() != imagesWritten) {
            imagesWritten = board.TransfersEnded();
            if (!options.imageOut.empty() && !WriteImage(options.imageOut, board.Image())) {
                std::fprintf(stderr, "board51: cannot write %s\n", options.imageOut.c_str());
            }
        }
        if (board.HungUp()) {
            break;
        }
    }
    pty.Close();
    return 0;
}
