// ide_bench: two figures of the desktop IDE, each the median of several runs.
//  1. Start-up: from spawning ide51's code in a fresh process to the first
//     paint of its main window, with the example workspace open.
//  2. Simulation speed: the example run by Continue through the idle handler
//     of a real main frame, against sim51 on the same program, alternating.
// Usage: ide_bench [runs]   (a display or QT_QPA_PLATFORM=offscreen)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/commands.h"
#include "app/engines.h"
#include "app/shell/ide_application.h"
#include "app/shell/main_frame.h"
#include "app/shell/shell_services.h"
#include "common/settings_store.h"
#include "common/tick_source.h"
#include "link/null_serial_line.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void CopyExample(const std::filesystem::path& to)
{
    std::filesystem::create_directories(to);
    for (const auto& entry : std::filesystem::directory_iterator(IDE51_EXAMPLE_DIR)) {
        std::filesystem::copy_file(entry.path(), to / entry.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

// The child: ide51's own main, which reports the moment its main window is
// first painted and leaves at once.
class CFirstPaint : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            std::printf("painted %lld\n", static_cast<long long>(NowNs()));
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

int StartupChild(int argc, char** argv)
{
    static CFirstPaint probe;
    return RunIde(argc, argv, [](CMainFrame& frame) { frame.installEventFilter(&probe); });
}

double ChildrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Wall time to the first paint; cpuMs gets the processor time the child used.
double StartupMs(const char* self, const QString& workspace, const QString& config, double& cpuMs)
{
    const double cpuBefore = ChildrenCpuMs();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("IDE51_BENCH_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    const int64_t spawned = NowNs();
    child.start(QString::fromLocal8Bit(self), {workspace});
    if (!child.waitForFinished(20000)) {
        child.kill();
        return -1;
    }
    cpuMs = ChildrenCpuMs() - cpuBefore;
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
    const auto match = QRegularExpression(QStringLiteral("painted (\\d+)")).match(out);
    return match.hasMatch() ? (match.captured(1).toLongLong() - spawned) / 1e6 : -1;
}

// Instructions per second of sim51 on the example.
double Sim51Rate(const QString& source, long long instructions)
{
    QProcess sim;
    sim.start(QStringLiteral(IDE51_SIM51),
              {QStringLiteral("--max-instructions"), QString::number(instructions), source});
    sim.waitForFinished(120000);
    const QString out = QString::fromLocal8Bit(sim.readAllStandardOutput());
    const auto match =
        QRegularExpression(QStringLiteral("instructions per second: (\\d+)")).match(out);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

class CNoDialogs : public IShellDialogs
{
public:
    std::optional<std::string> OpenFileName(const std::string&, const std::string&,
                                            const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> SaveFileName(const std::string&, const std::string&,
                                            const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    SaveChoice AskSaveChanges(const std::string&) override { return SaveChoice::kDiscard; }
};

class CQuietSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
};

uint64_t ExecutedInstructions(const CSimulator& simulator)
{
    uint64_t total = 0;
    for (uint32_t address = 0; address < 0x10000; ++address) {
        total += simulator.Code().ExecutionCount(address);
    }
    return total;
}

// Instructions per second of Continue in a main frame, over about seconds.
double IdeRate(CMainFrame& frame, CEngines& engines, double seconds)
{
    frame.OnCommand(cmd::kStopSimulator);
    frame.OnCommand(cmd::kStartSimulator);
    engines.Simulator().ResetCoverage();
    QElapsedTimer timer;
    timer.start();
    frame.OnCommand(cmd::kContinue);
    while (timer.elapsed() < seconds * 1000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    frame.OnCommand(cmd::kBreak);
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (!QTest::qWaitFor([&] { return !engines.Simulator().IsExecuting(); }, 5000)) {
        return -1;
    }
    return static_cast<double>(ExecutedInstructions(engines.Simulator())) / elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("IDE51_BENCH_CHILD") != nullptr) {
        return StartupChild(argc, argv);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QApplication application(argc, argv);
    QTemporaryDir scratch;
    const std::filesystem::path example = scratch.filePath(QStringLiteral("blink")).toStdString();
    CopyExample(example);
    const QString workspace = QString::fromStdString((example / "blink.wsp").string());
    const QString source = QString::fromStdString((example / "blink.a51").string());

    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    std::vector<double> startup;
    std::vector<double> startupCpu;
    for (int i = 0; i < runs; ++i) {
        double cpu = 0;
        startup.push_back(
            StartupMs(argv[0], workspace, scratch.filePath(QStringLiteral("config")), cpu));
        startupCpu.push_back(cpu);
    }
    // The processor time tells what a busy machine hides in the wall time.
    std::printf("start-up to first paint, example workspace: median %.0f ms wall (min %.0f, max "
                "%.0f), %.0f ms processor time, %d runs\n",
                Median(startup), *std::min_element(startup.begin(), startup.end()),
                *std::max_element(startup.begin(), startup.end()), Median(startupCpu), runs);

    CQuietSink sink;
    CNoDialogs dialogs;
    CNullSerialDevice serial;
    CNullPortCatalog ports;
    CSteadyTickSource clock;
    CMemorySettingsStore store;
    store.WriteString("Settings", "AppDirectory", scratch.path().toStdString());
    CEngines engines(EnginePlatformType{sink, serial, ports, clock});
    CMainFrame frame(engines, store, sink, dialogs);
    frame.StartUp({workspace.toStdString()});
    frame.OnCommand(cmd::kAssemble);
    if (!QTest::qWaitFor([&] { return !frame.IdleWorkPending(); }, 10000)) {
        std::fprintf(stderr, "ide_bench: the example did not assemble\n");
        return 1;
    }

    const double seconds = 2.0;
    std::vector<double> ide;
    std::vector<double> sim;
    for (int i = 0; i < runs; ++i) {
        const double rate = IdeRate(frame, engines, seconds);
        ide.push_back(rate);
        sim.push_back(Sim51Rate(source, static_cast<long long>(rate * seconds)));
    }
    const double ideMedian = Median(ide);
    const double simMedian = Median(sim);
    std::printf("simulation, blink example: ide51 idle slices %.1f M instr/s, sim51 %.1f M "
                "instr/s, ratio %.0f%% (median of %d alternating runs of ~%.0f s)\n",
                ideMedian / 1e6, simMedian / 1e6, 100.0 * ideMedian / simMedian, runs, seconds);
    frame.OnCommand(cmd::kStopSimulator);
    return 0;
}
