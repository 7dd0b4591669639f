// dl51: the Download command on the command line. Assembles a source (or
// reads an Intel HEX file) and sends it to the board with the IDE's engine.
#include <QCoreApplication>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "app/engines.h"
#include "app/global_options.h"
#include "dl51_options.h"
#include "link/board_link_controller.h"
#include "link/qt_serial_device.h"
#include "simulator/intel_hex.h"

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnSignal(int)
{
    gInterrupted = 1;
}

// The engine's message boxes become lines on stderr.
class CStderrSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override
    {
        std::fflush(stdout);
        std::fprintf(stderr, "dl51: %s\n", text.c_str());
        ++shown;
    }
    int shown = 0;
};

void Pause()
{
    std::this_thread::sleep_for(std::chrono::microseconds(200));
}

bool IsHexFile(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".hex" || extension == ".ihx";
}

// The board's text as the dump window shows it: each completed line once.
class CLinePrinter
{
public:
    explicit CLinePrinter(const CMonitor& port) : port_(port) {}

    void PrintCompleted()
    {
        const auto& lines = port_.Lines();
        if (lines.empty()) {
            return;
        }
        const uint64_t closed = port_.ClosedLineCount();
        const uint64_t first = closed - (lines.size() - 1); // number of lines.front()
        for (uint64_t n = std::max(printed_, first); n < closed; ++n) {
            std::printf("%s\n", lines[static_cast<size_t>(n - first)].c_str());
        }
        printed_ = std::max(printed_, closed);
        std::fflush(stdout);
    }
    void PrintRest()
    {
        PrintCompleted();
        if (!port_.Lines().empty() && !port_.Lines().back().empty()) {
            std::printf("%s\n", port_.Lines().back().c_str());
        }
    }

private:
    const CMonitor& port_;
    uint64_t printed_ = 0;
};

// The IDE's windows, on a terminal: the Connection dialog's values come from
// the command line, the Download Progress dialog is a loop that prints.
class CConsoleLinkUi : public IBoardLinkUi
{
public:
    CConsoleLinkUi(const ConnectionSettingsType& settings, ITickSource& clock, uint32_t giveUpMs)
        : settings_(settings), clock_(clock), giveUpMs_(giveUpMs)
    {}

    std::optional<ConnectionSettingsType> ChooseConnection() override { return settings_; }
    void WakeSteps() override {}
    void RunDownload(CDownloadSession& session) override;

    bool began = false;
    bool succeeded = false;

private:
    void PrintTexts(const CDownloadSession& session);

    ConnectionSettingsType settings_;
    ITickSource& clock_;
    uint32_t giveUpMs_;
    std::string progress_;
    std::string status_;
};

// A text as one line: a failure reply brings its own line end along.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            line.push_back(c);
        }
    }
    return line;
}

void CConsoleLinkUi::PrintTexts(const CDownloadSession& session)
{
    if (session.Progress() != progress_) {
        progress_ = session.Progress();
        std::printf("%s\n", OneLine(progress_).c_str());
    }
    if (session.Status() != status_) {
        status_ = session.Status();
        std::printf("%s\n", OneLine(status_).c_str());
    }
    std::fflush(stdout);
}

void CConsoleLinkUi::RunDownload(CDownloadSession& session)
{
    began = session.Begin();
    if (!began) {
        std::fprintf(stderr, "dl51: %s\n", kOpenFailedMessage);
        session.End();
        return;
    }
    // Progress is a step or an address the transfer never reached before; a
    // loader that refuses or stays silent makes none.
    int bestStep = session.Step();
    int32_t bestAddress = session.CurrentAddress();
    uint32_t lastProgress = clock_.TickMs();
    uint32_t lastTick = clock_.TickMs();
    while (session.IsRunning()) {
        if (gInterrupted != 0) {
            std::fprintf(stderr, "dl51: interrupted; transfer cancelled\n");
            session.Cancel();
            break;
        }
        const uint32_t now = clock_.TickMs();
        if (now - lastTick >= CDownloadSession::kTimerPeriodMs) {
            lastTick = now;
            session.Tick();
            PrintTexts(session);
        }
        session.PumpTransmit();
        if (session.Step() > bestStep || session.CurrentAddress() > bestAddress) {
            bestStep = std::max(bestStep, session.Step());
            bestAddress = std::max(bestAddress, session.CurrentAddress());
            lastProgress = now;
        } else if (now - lastProgress > giveUpMs_) {
            std::fprintf(stderr, "dl51: the board took nothing for %u s; transfer cancelled\n",
                         giveUpMs_ / 1000);
            session.Cancel();
            break;
        }
        Pause();
    }
    PrintTexts(session);
    session.End();
    succeeded = session.Succeeded();
}

class CConsoleMonitorHost : public IMonitorHost
{
public:
    CConsoleMonitorHost(CEngines& engines, CLinePrinter& printer)
        : engines_(engines), printer_(printer)
    {}
    void ResetOrStartSimulation() override
    {
        if (engines_.Simulator().IsRunning()) {
            engines_.Simulator().ResetSimulation();
        } else {
            engines_.StartSimulation(SimulatorSetupType{});
        }
    }
    void ShowExecutionPoint() override {}
    void UpdateAllWindows() override {}
    void RefreshDumpWindow() override
    {
        if (printing) {
            printer_.PrintCompleted();
        }
    }
    bool printing = false;

private:
    CEngines& engines_;
    CLinePrinter& printer_;
};

// Reads the program into the code memory; false (after the message) when
// there is nothing to send.
bool LoadProgram(CEngines& engines, const std::string& path)
{
    CCodeMemory& code = engines.Simulator().Code();
    if (IsHexFile(path)) {
        const IntelHexReadType hex = ReadIntelHexFile(path);
        if (!hex.Ok()) {
            std::fprintf(stderr, "dl51: %s:%d: %s\n", path.c_str(), hex.errorLine,
                         hex.error.c_str());
            return false;
        }
        code.ClearCode();
        // A line marks a byte as the program's, as the assembler marks it.
        for (uint32_t a = 0; a < IntelHexImageType::kSize; ++a) {
            if (hex.image.written[a]) {
                code.StoreCode(static_cast<int32_t>(a), hex.image.bytes[a], 0, -1, 2, true);
            }
        }
    } else {
        engines.StartAssembly(path);
        while (engines.Assembler().AssembleStep()) {
        }
        const COutputText& output = engines.Output();
        for (size_t i = 0; i < output.GetLineCount(); ++i) {
            std::printf("%s\n", output.GetLine(i).c_str());
        }
        std::fflush(stdout);
        if (engines.Assembler().GetErrorCount() > 0) {
            return false;
        }
    }
    if (code.HighestAddress() < 0) {
        std::fprintf(stderr, "dl51: %s holds no code\n", path.c_str());
        return false;
    }
    return true;
}

void Monitor(CBoardLinkController& controller, CMonitor& port, CConsoleMonitorHost& host,
             CLinePrinter& printer, ITickSource& clock, int seconds)
{
    host.printing = true;
    const uint32_t start = clock.TickMs();
    uint32_t lastPoll = start - CBoardMonitor::kPollPeriodMs;
    while (gInterrupted == 0 && port.IsOpen()) {
        const uint32_t now = clock.TickMs();
        if (seconds >= 0 && now - start >= static_cast<uint32_t>(seconds) * 1000) {
            break;
        }
        if (now - lastPoll >= CBoardMonitor::kPollPeriodMs) {
            lastPoll = now;
            controller.Poll();
        }
        controller.Step();
        Pause();
    }
    printer.PrintRest();
}

} // namespace

int main(int argc, char** argv)
{
    Dl51OptionsType options;
    std::string error;
    if (!ParseDl51Options(argc, argv, options, error)) {
        std::fprintf(stderr, "dl51: %s\nTry 'dl51 --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kDl51Usage, stdout);
        return 0;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(options.file, ec)) {
        std::fprintf(stderr, "dl51: cannot read %s\n", options.file.c_str());
        return 2;
    }
    // QSerialPort wants an application object on its thread.
    QCoreApplication application(argc, argv);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    CStderrSink sink;
    CQtSerialDevice device;
    CQtPortCatalog catalog;
    CSteadyTickSource clock;
    CEngines engines({sink, device, catalog, clock});
    // The options of a fresh user, as asm51 has them: HEX and listing files.
    CMemorySettingsStore store;
    AppStateType state;
    LoadSettings(store, engines.Options(), state);
    if (!LoadProgram(engines, options.file)) {
        return 2;
    }

    ConnectionSettingsType settings;
    settings.portName = options.port;
    settings.portIndex = std::max(ComNumberOfName(options.port) - 1, 0);
    settings.loaderType = options.loaderType;
    settings.sectorSize = options.sectorSize;
    settings.downloadRate = options.rate;
    settings.monitorRate = options.monitorRate;
    settings.monitorEnable = options.monitor ? 1 : 0;

    CConsoleLinkUi ui(settings, clock, static_cast<uint32_t>(options.timeoutSeconds) * 1000);
    CLinePrinter printer(engines.Monitor());
    CConsoleMonitorHost host(engines, printer);
    CBoardLinkController controller(engines.Monitor(), engines.Simulator(), host, ui, clock, sink);
    controller.Download();
    const int messagesDuringTransfer = sink.shown;
    while (controller.HasTimedWork()) {
        controller.Step();
        Pause();
    }
    const bool taken = ui.began && ui.succeeded && messagesDuringTransfer == 0;
    if (!taken) {
        controller.Stop();
        return 1;
    }
    if (options.monitor) {
        Monitor(controller, engines.Monitor(), host, printer, clock, options.monitorSeconds);
    }
    controller.Stop();
    return 0;
}
