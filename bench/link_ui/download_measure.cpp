// Measures a 4 KB download at 115200 baud to board51 through the Download
// Progress dialog, as the IDE runs it: how long it takes against the time
// the bytes need on the wire and the millisecond a byte the loaders need,
// and how long the event loop was ever kept from its events meanwhile.
// Once with queued writes (the IDE) and once with the blocking writes.
//
//   download_measure [runs]      (QT_QPA_PLATFORM=offscreen without a display)
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "link/download_session.h"
#include "link/qt_serial_device.h"
#include "link/ui/download_dlg.h"
#include "simulator/code_memory.h"

namespace {

constexpr int kBytes = 4096;
constexpr int kSector = 64;
constexpr int32_t kRate = 115200;

class CQuietSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
};

// The longest time between two events the application processed.
class CGapProbe : public QObject
{
public:
    bool eventFilter(QObject*, QEvent*) override
    {
        const qint64 now = clock_.nsecsElapsed();
        if (running_ && now - last_ > longest_) {
            longest_ = now - last_;
            longestAt_ = last_;
        }
        if (running_ && last_ > settleNs_ && now - last_ > longestSettled_) {
            longestSettled_ = now - last_;
        }
        last_ = now;
        return false;
    }
    void Start()
    {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        longestAt_ = 0;
        longestSettled_ = 0;
        running_ = true;
    }
    void Stop() { running_ = false; }
    double LongestMs() const { return static_cast<double>(longest_) / 1e6; }
    double LongestAtMs() const { return static_cast<double>(longestAt_) / 1e6; }
    // Leaving out the first half second: the dialog's first show and the port's reopening.
    double LongestSettledMs() const { return static_cast<double>(longestSettled_) / 1e6; }

private:
    static constexpr qint64 settleNs_ = 500'000'000;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 longestAt_ = 0;
    qint64 longestSettled_ = 0;
    bool running_ = false;
};

struct BoardType
{
    pid_t pid = -1;
    std::string device;
};

BoardType StartBoard()
{
    BoardType board;
    int fds[2];
    if (pipe(fds) != 0) {
        return board;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char program[] = BOARD51_PATH;
    char loader[] = "--loader";
    char once[] = "3";
    char* argv[] = {program, loader, once, nullptr};
    if (posix_spawn(&board.pid, program, &actions, nullptr, argv, environ) != 0) {
        board.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
        board.device.push_back(c);
    }
    close(fds[0]);
    return board;
}

struct RunType
{
    double totalMs;
    double longestGapMs;
    double longestGapAtMs;
    double settledGapMs;
    std::string downloadTime;
};

RunType Measure(const std::string& device, bool queued, CGapProbe& probe)
{
    CQtSerialDevice serial;
    CQtPortCatalog catalog;
    CSteadyTickSource clock;
    CQuietSink sink;
    CMonitor port(serial, catalog, clock, sink);
    port.Open(0, device);
    port.SetBaudRate(kRate);
    port.SetQueuedWrites(queued);
    CCodeMemory code;
    for (int a = 0; a < kBytes; ++a) {
        code.StoreCode(a, static_cast<uint8_t>(a * 7), a, 0, 2, true);
    }
    CDownloadSession session(port, code, clock, sink);
    session.SetLoaderType(kLoaderOnce);
    session.SetSectorSize(kSector);
    CDownloadDlg dialog(session, sink);
    // Something for the loop to do besides the dialog's own timers.
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.start(1);
    QElapsedTimer timer;
    timer.start();
    probe.Start();
    dialog.exec();
    probe.Stop();
    return {static_cast<double>(timer.nsecsElapsed()) / 1e6, probe.LongestMs(), probe.LongestAtMs(),
            probe.LongestSettledMs(), session.Status()};
}

// The same loop with nothing but the heartbeat: what the machine itself
// costs in gaps (a busy machine deschedules the process now and then).
double IdleGapMs(CGapProbe& probe, int ms)
{
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.start(1);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    probe.Start();
    loop.exec();
    probe.Stop();
    return probe.LongestMs();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    BoardType board = StartBoard();
    if (board.device.empty()) {
        std::fprintf(stderr, "board51 did not start\n");
        return 1;
    }
    CGapProbe probe;
    application.installEventFilter(&probe);

    const int records = kBytes / kSector;
    const int recordChars = 2 * kSector + 13;
    const int lineChars = records * recordChars + 13 + 13; // the empty record and the end record
    const double wireMs = lineChars * 10.0 * 1000.0 / kRate;
    const double pacingMs = lineChars * 1.0;
    // ONCE loader: 250 + 250 ms of reset, 500 ms before the first record, 500 ms before
    // the end record, 500 + 50 ms to the end of the transfer, 1000 ms before the dialog closes.
    const double fixedMs = 250 + 250 + 500 + 500 + 500 + 50 + 1000;
    std::printf("%d bytes in %d records of %d characters at %d baud, ONCE loader\n", kBytes,
                records, recordChars, kRate);
    std::printf("wire time %.0f ms, pacing (1 ms a byte) %.0f ms, fixed waits %.0f ms\n", wireMs,
                pacingMs, fixedMs);
    std::printf("idle event loop: longest gap %.1f ms over 3 s\n", IdleGapMs(probe, 3000));
    for (bool queued : {true, false}) {
        const char* mode = queued ? "queued writes" : "blocking writes";
        std::vector<double> totals;
        std::vector<double> gaps;
        std::vector<double> settled;
        for (int i = 0; i < runs; ++i) {
            const RunType run = Measure(board.device, queued, probe);
            totals.push_back(run.totalMs);
            gaps.push_back(run.longestGapMs);
            settled.push_back(run.settledGapMs);
            std::printf("  %s, run %d: dialog open %.0f ms, \"%s\", longest gap %.1f ms at "
                        "%.0f ms, after the first 0.5 s %.1f ms\n",
                        mode, i + 1, run.totalMs, run.downloadTime.c_str(), run.longestGapMs,
                        run.longestGapAtMs, run.settledGapMs);
        }
        std::printf("%s, median of %d: dialog open %.0f ms, longest gap %.1f ms, after the "
                    "first 0.5 s %.1f ms\n",
                    mode, runs, Median(totals), Median(gaps), Median(settled));
    }
    kill(board.pid, SIGTERM);
    waitpid(board.pid, nullptr, 0);
    return 0;
}
