#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <filesystem>

#include "../tools/board_test_util.h"
#include "app/engines.h"
#include "app/global_options.h"
#include "link/board_link_controller.h"
#include "link/qt_serial_device.h"
#include "link_ui_test_util.h"
#include "simulator/intel_hex.h"

#ifdef BOARD51_PATH

// The IDE's link against board51 on a real pseudo-terminal: the engines
// assemble, the controller downloads through QSerialPort, board51 takes the
// program and runs it. Protocol time runs on the fake clock; real time is
// spent only while bytes cross the terminal and while the board's program runs.

namespace {

namespace fs = std::filesystem;

constexpr int kCrossingLimitMs = 300;

// The QSerialPort device, counting what it wrote so the test knows when to
// let the board answer.
class CCountingDevice : public CQtSerialDevice
{
public:
    bool Open(const std::string& deviceName) override
    {
        ++opens;
        return CQtSerialDevice::Open(deviceName);
    }
    int Write(const uint8_t* data, int count, int timeoutMs) override
    {
        const int n = CQtSerialDevice::Write(data, count, timeoutMs);
        written += static_cast<size_t>(n);
        return n;
    }
    int QueuedInput(uint32_t& errorBits) override
    {
        const int n = CQtSerialDevice::QueuedInput(errorBits);
        errorBits |= stashed_;
        stashed_ = 0;
        return n;
    }
    // Waits until something is queued for the host; errors seen meanwhile are
    // kept for the port.
    void WaitForInput(int limitMs)
    {
        QElapsedTimer timer;
        timer.start();
        uint32_t errors = 0;
        while (IsOpen() && CQtSerialDevice::QueuedInput(errors) == 0 && timer.elapsed() < limitMs) {
            stashed_ |= errors;
            QThread::usleep(200);
        }
        stashed_ |= errors;
    }

    size_t written = 0;
    int opens = 0;

private:
    uint32_t stashed_ = 0;
};

struct PtyHost : IMonitorHost
{
    explicit PtyHost(CEngines& engines) : engines_(engines) {}
    void ResetOrStartSimulation() override
    {
        if (engines_.Simulator().IsRunning()) {
            engines_.Simulator().ResetSimulation();
        } else {
            engines_.StartSimulation(SimulatorSetupType{});
        }
    }
    void ShowExecutionPoint() override { ++shown; }
    void UpdateAllWindows() override {}
    void RefreshDumpWindow() override {}
    int shown = 0;

private:
    CEngines& engines_;
};

// The Download Progress dialog's loop on the fake clock: a millisecond per
// turn, a tick every fifth, and after each write the board's moment to answer.
struct PtyUi : IBoardLinkUi
{
    PtyUi(CCountingDevice& device, CFakeTickSource& clock, CMonitor& port)
        : device_(device), clock_(clock), port_(port)
    {}
    std::optional<ConnectionSettingsType> ChooseConnection() override { return settings; }
    void WakeSteps() override {}
    void RunDownload(CDownloadSession& session) override
    {
        began = session.Begin();
        size_t answered = device_.written;
        for (int ms = 1; began && session.IsRunning() && ms < 600000; ++ms) {
            clock_.Advance(1);
            session.PumpTransmit();
            if (ms % 5 == 0) {
                session.Tick();
                maxRetries = std::max(maxRetries, session.RetryCount());
            }
            if (device_.written != answered && !port_.TransmitPending()) {
                answered = device_.written;
                device_.WaitForInput(kCrossingLimitMs);
            }
        }
        session.End();
        succeeded = session.Succeeded();
    }

    ConnectionSettingsType settings;
    bool began = false;
    bool succeeded = false;
    int maxRetries = 0;

private:
    CCountingDevice& device_;
    CFakeTickSource& clock_;
    CMonitor& port_;
};

struct PtyRig
{
    CScratchDir dir;
    CBoardProcess board;
    CCountingDevice device;
    CQtPortCatalog catalog;
    CFakeTickSource clock{10000};
    CRecordingSink sink;
    CEngines engines{{sink, device, catalog, clock}};
    PtyHost host{engines};
    PtyUi ui{device, clock, engines.Monitor()};
    CBoardLinkController controller{engines.Monitor(), engines.Simulator(), host, ui, clock, sink};

    bool StartBoard(int loader, int32_t rate, const std::string& script = "")
    {
        std::vector<std::string> arguments = {"--loader", std::to_string(loader), "--image-out",
                                              (dir.Path() / "board.hex").string()};
        if (!script.empty()) {
            arguments.push_back("--script");
            arguments.push_back(dir.Write("faults.txt", script));
        }
        if (!board.Start(BOARD51_PATH, arguments, (dir.Path() / "board.err").string())) {
            return false;
        }
        ui.settings.portName = board.Device();
        ui.settings.loaderType = loader;
        ui.settings.downloadRate = rate;
        ui.settings.monitorRate = 9600;
        ui.settings.monitorEnable = 1;
        return true;
    }

    bool Assemble(const std::string& path)
    {
        CMemorySettingsStore store;
        AppStateType state;
        LoadSettings(store, engines.Options(), state); // a fresh user's: HEX file on
        engines.StartAssembly(path);
        while (engines.Assembler().AssembleStep()) {
        }
        return engines.Assembler().GetErrorCount() == 0;
    }

    // Download, then the reset pulse on the controller's timer.
    void Download()
    {
        controller.Download();
        for (int ms = 0; controller.HasTimedWork() && ms < 10000; ++ms) {
            clock.Advance(1);
            controller.Step();
        }
    }

    // The 220 ms poll until done() or the real time limit.
    bool PollUntil(const std::function<bool()>& done, int limitMs = 8000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < limitMs) {
            clock.Advance(CBoardMonitor::kPollPeriodMs);
            controller.Poll();
            for (int ms = 0; controller.HasTimedWork() && ms < 100; ++ms) {
                clock.Advance(1);
                controller.Step();
            }
            QThread::msleep(5);
        }
        return done();
    }

    bool SawLine(const std::string& text)
    {
        const auto& lines = engines.Monitor().Lines();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    // The image board51 wrote once the transfer ended.
    IntelHexReadType BoardImage()
    {
        const fs::path file = dir.Path() / "board.hex";
        for (int i = 0; i < 200 && !fs::exists(file); ++i) {
            QThread::msleep(10);
        }
        return ReadIntelHexFile(file);
    }
};

// Says hello on the serial line every 50 ms or so.
constexpr const char* kHello = "\tORG 0\n\tLJMP main\n\tORG 100H\n"
                               "main:\tMOV SCON,#50H\n\tMOV TMOD,#20H\n\tMOV TH1,#0FDH\n"
                               "\tSETB TR1\n"
                               "again:\tMOV DPTR,#text\n"
                               "next:\tCLR A\n\tMOVC A,@A+DPTR\n\tJZ pause\n"
                               "\tCLR TI\n\tMOV SBUF,A\n\tJNB TI,$\n\tINC DPTR\n\tSJMP next\n"
                               "pause:\tMOV R6,#90\n"
                               "wait:\tDJNZ R5,wait\n\tDJNZ R6,wait\n\tSJMP again\n"
                               "text:\tDB 'Hello from board51',0DH,0AH,0\n\tEND\n";

class CBoard51PtyTest : public QObject
{
    Q_OBJECT

private slots:
    void EachLoaderTakesTheAssembledProgram_data()
    {
        QTest::addColumn<int>("loader");
        QTest::addColumn<int>("rate");
        QTest::newRow("Constant EA") << 0 << 9600;
        QTest::newRow("Pulsed EA") << 1 << 9600;
        QTest::newRow("ADuC8xx") << 2 << 115200;
        QTest::newRow("ONCE Loader") << 3 << 57600;
    }

    void EachLoaderTakesTheAssembledProgram()
    {
        QFETCH(int, loader);
        QFETCH(int, rate);
        PtyRig rig;
        QVERIFY(rig.StartBoard(loader, rate));
        QVERIFY(rig.Assemble(rig.dir.Write("hello.a51", kHello)));
        rig.Download();
        QVERIFY(rig.ui.began);
        QVERIFY(rig.ui.succeeded);
        QVERIFY(rig.sink.messages.empty());
        QCOMPARE(rig.engines.Monitor().BaudRate(), 9600);

        // Byte for byte what the assembler wrote; the rest of the blocks empty.
        const IntelHexReadType assembled = ReadIntelHexFile(rig.dir.Path() / "hello.HEX");
        const IntelHexReadType received = rig.BoardImage();
        QVERIFY2(assembled.Ok(), assembled.error.c_str());
        QVERIFY2(received.Ok(), received.error.c_str());
        QVERIFY(assembled.image.WrittenCount() > 40);
        for (uint32_t a = 0; a < IntelHexImageType::kSize; ++a) {
            if (assembled.image.written[a]) {
                QVERIFY(received.image.written[a]);
                QCOMPARE(received.image.bytes[a], assembled.image.bytes[a]);
            } else if (received.image.written[a]) {
                QCOMPARE(received.image.bytes[a], uint8_t(0));
            }
        }
        // The program's text in the captured lines the dump window shows.
        QVERIFY(rig.PollUntil([&] { return rig.SawLine("Hello from board51"); }));
    }

    void ABreakOnTheBoardShowsItsStateInTheSimulator()
    {
        PtyRig rig;
        QVERIFY(rig.StartBoard(3, 57600));
        const fs::path examples = fs::path(IDE51_SOURCE_DIR) / "examples" / "monitor";
        rig.dir.Copy(examples / "monitor.inc");
        QVERIFY(rig.Assemble(rig.dir.Copy(examples / "counter.a51")));
        const SymbolRecord* at = rig.engines.Assembler().Labels().Find("at_break");
        QVERIFY(at != nullptr);
        rig.Download();
        QVERIFY(rig.ui.succeeded);
        // The program contains a BREAK: monitoring started with a fresh simulation.
        QVERIFY(rig.engines.Simulator().IsRunning());
        // Once the program goes on after its first BREAK, every record was answered.
        QVERIFY(rig.PollUntil([&] { return rig.SawLine("Count 11"); }));
        const CSim8051& cpu = rig.engines.Simulator().Processor();
        QCOMPARE(int(cpu.Pc()), int(at->value));
        QCOMPARE(int(cpu.ReadDirect(0xE0)), 0x10);   // ACC
        QCOMPARE(int(cpu.ReadDirect(0xF0)), 0x01);   // B
        QCOMPARE(int(cpu.ReadDirect(0x81)), 0x60);   // SP
        QCOMPARE(int(cpu.ReadDirect(0x83)), 0x12);   // DPH
        QCOMPARE(int(cpu.ReadDirect(0x82)), 0x34);   // DPL
        QCOMPARE(int(cpu.ReadIndirect(0x30)), 0x10); // COUNT
        QCOMPARE(int(cpu.ReadIndirect(0x31)), 0x01); // HITS
        QVERIFY(rig.host.shown > 0);
        QVERIFY(rig.SawLine("Counter ready"));
        QVERIFY(rig.SawLine("Count 10"));
    }

    void ADroppedAcknowledgementIsRetriedAndTheLoaderRestarted()
    {
        PtyRig rig;
        // Record 2 and its three resends go unanswered; the fourth retry
        // reopens the port and starts the loader again.
        QVERIFY(rig.StartBoard(3, 9600, "drop-ack 2-5\n"));
        QVERIFY(rig.Assemble(rig.dir.Write("hello.a51", kHello)));
        rig.Download();
        QVERIFY(rig.ui.succeeded);
        QVERIFY(rig.ui.maxRetries >= 4);
        QVERIFY(rig.device.opens >= 3); // the command, Begin, the fourth retry
        const IntelHexReadType received = rig.BoardImage();
        QVERIFY(received.Ok());
        QCOMPARE(received.image.bytes[0x100], rig.engines.Simulator().Code().ReadCodeByte(0x100));
        QVERIFY(rig.PollUntil([&] { return rig.SawLine("Hello from board51"); }));
    }

    void ABoardThatHangsUpLeavesTheLinkClosed()
    {
        PtyRig rig;
        QVERIFY(rig.StartBoard(0, 9600, "hangup 3\n"));
        QVERIFY(rig.Assemble(rig.dir.Write("hello.a51", kHello)));
        rig.Download();
        QVERIFY(!rig.ui.succeeded);
        QVERIFY(!rig.engines.Monitor().IsOpen());
        QCOMPARE(rig.sink.messages,
                 std::vector<std::string>{"The communications port is no longer available."});
        QVERIFY(!rig.controller.HasTimedWork());
        rig.controller.Poll();
        rig.controller.Reset();
        QVERIFY(rig.board.Exited() || (QThread::msleep(200), rig.board.Exited()));
    }
};

LinkUiTestRegistration<CBoard51PtyTest> registration;

} // namespace

#include "board51_pty_test.moc"

#endif
