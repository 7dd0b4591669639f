#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "download_test_util.h"
#include "link/board_monitor.h"
#include "link/qt_serial_device.h"

// The monitor through QSerialPort on a pseudo-terminal, the test playing the
// board on the master side. Protocol time runs on the fake clock; real time is
// spent only waiting for the bytes to cross the terminal, never on a timeout.
// Downloads over a pseudo-terminal are proved against board51 (link_ui).

namespace {

constexpr int kCrossingLimitMs = 1000;

void EnsureApplication()
{
    // QSerialPort's notifiers want an application object on this thread.
    static int argc = 1;
    static char name[] = "link_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}

class CPseudoTerminal
{
public:
    CPseudoTerminal()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            const char* name = ptsname(master_);
            slavePath_ = name != nullptr ? name : "";
        }
    }
    ~CPseudoTerminal() { CloseMaster(); }

    bool IsReady() const { return master_ >= 0 && !slavePath_.empty(); }
    const std::string& SlavePath() const { return slavePath_; }
    void CloseMaster()
    {
        if (master_ >= 0) {
            close(master_);
            master_ = -1;
        }
    }

    // What the host wrote, waiting at most timeoutMs for the first byte.
    std::string Read(int timeoutMs)
    {
        std::string bytes;
        pollfd pfd{master_, POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0 || (pfd.revents & POLLIN) == 0) {
            return bytes;
        }
        char chunk[4096];
        ssize_t n;
        while ((n = read(master_, chunk, sizeof chunk)) > 0) {
            bytes.append(chunk, static_cast<size_t>(n));
        }
        return bytes;
    }

    void Write(const std::string& bytes)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (errno != EAGAIN && errno != EINTR) {
                return;
            }
        }
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

// The QSerialPort device, counting what crosses it so the test knows when the
// other side has everything.
class CCountingDevice : public CQtSerialDevice
{
public:
    int Write(const uint8_t* data, int count, int timeoutMs) override
    {
        int n = CQtSerialDevice::Write(data, count, timeoutMs);
        written += static_cast<size_t>(n);
        return n;
    }
    int QueuedInput(uint32_t& errorBits) override
    {
        int n = CQtSerialDevice::QueuedInput(errorBits);
        errorBits |= stashedErrors;
        stashedErrors = 0;
        return n;
    }
    // Waits until at least count bytes are queued for the host; false on a timeout.
    bool WaitQueued(int count)
    {
        QElapsedTimer timer;
        timer.start();
        uint32_t errors = 0;
        int queued = 0;
        while (IsOpen() && (queued = CQtSerialDevice::QueuedInput(errors)) < count &&
               timer.elapsed() < kCrossingLimitMs) {
            stashedErrors |= errors;
            usleep(200);
        }
        stashedErrors |= errors;
        return queued >= count;
    }

    size_t written = 0;
    uint32_t stashedErrors = 0;
};

struct PtyRig
{
    CPseudoTerminal pty;
    CCountingDevice device;
    CQtPortCatalog catalog;
    CFakeTickSource clock{1000};
    CRecordingMessageSink sink;
    CMonitor port{device, catalog, clock, sink};

    PtyRig() { EnsureApplication(); }
};

struct RecordingTarget : IMonitorTarget
{
    void SetPc(uint16_t address) override { pc = address; }
    void WriteIndirect(uint8_t address, uint8_t value) override { ram[address] = value; }
    void WriteDirect(uint8_t address, uint8_t value) override { sfr[address] = value; }
    int pc = -1;
    std::map<int, uint8_t> ram;
    std::map<int, uint8_t> sfr;
};

struct SilentHost : IMonitorHost
{
    void ResetOrStartSimulation() override {}
    void ShowExecutionPoint() override { ++shown; }
    void UpdateAllWindows() override {}
    void RefreshDumpWindow() override {}
    int shown = 0;
};

TEST(PtyEndToEndTest, MonitorSessionThroughQSerialPort)
{
    PtyRig rig;
    ASSERT_TRUE(rig.pty.IsReady());
    RecordingTarget target;
    SilentHost host;
    CBoardMonitor monitor(rig.port, target, host, rig.clock, rig.sink);
    ConnectionSettingsType settings;
    settings.portName = rig.pty.SlavePath();
    settings.monitorRate = 9600;
    ASSERT_TRUE(monitor.Start(settings));
    monitor.Poll();

    std::string bad = CScriptedBoard::MonitorRecord(1, 0x20, {1});
    bad[bad.size() - 3] = 'X';
    const std::string sends[] = {
        "Board monitor ready\r\n",
        CScriptedBoard::MonitorRecord(4, 0, {0x00, 0x12, 0x81, 0x55, 0x2F, 0x18, 0x03, 0x34, 0x12}),
        CScriptedBoard::MonitorRecord(1, 0x7E, {1, 2, 3, 4}),
        bad,
    };
    std::string answers;
    for (const std::string& text : sends) {
        uint32_t errors = 0;
        int before = rig.device.CQtSerialDevice::QueuedInput(errors);
        rig.pty.Write(text);
        ASSERT_TRUE(rig.device.WaitQueued(before + static_cast<int>(text.size())));
        rig.clock.Advance(CBoardMonitor::kPollPeriodMs);
        size_t writtenBefore = rig.device.written;
        monitor.Poll();
        if (rig.device.written > writtenBefore) {
            answers += rig.pty.Read(kCrossingLimitMs);
        }
    }
    EXPECT_EQ(answers, "\x06\x06\x07");
    EXPECT_EQ(target.pc, 0x1200);
    EXPECT_EQ(target.sfr[0xE0], 0x55);
    EXPECT_EQ(target.ram, (std::map<int, uint8_t>{{0x7E, 1}, {0x7F, 2}, {0x80, 3}, {0x81, 4}}));
    ASSERT_FALSE(rig.port.Lines().empty());
    EXPECT_EQ(rig.port.Lines()[0], "Board monitor ready");
    EXPECT_GE(host.shown, 2);
}

TEST(PtyEndToEndTest, ABoardThatVanishesClosesThePort)
{
    PtyRig rig;
    ASSERT_TRUE(rig.pty.IsReady());
    ASSERT_EQ(rig.port.Open(0, rig.pty.SlavePath()), 1);
    // No bridge: the reset line is a plain port's.
    EXPECT_FALSE(rig.port.IsBridge());
    EXPECT_EQ(rig.port.ResetPolarity(), 2);
    rig.pty.CloseMaster();
    QElapsedTimer timer;
    timer.start();
    while (rig.port.IsOpen() && timer.elapsed() < kCrossingLimitMs) {
        rig.port.Receive();
        usleep(1000);
    }
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(rig.sink.messages,
              std::vector<std::string>{"The communications port is no longer available."});
}

TEST(PtyEndToEndTest, OpeningAMissingDeviceFails)
{
    PtyRig rig;
    EXPECT_EQ(rig.port.Open(0, "/dev/no-such-serial-device"), 0);
    EXPECT_EQ(rig.port.PortIndex(), -1);
}

} // namespace
