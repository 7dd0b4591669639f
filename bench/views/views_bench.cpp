// views_bench: a run with every debug window open and automatic updating
// on, driven the way the frame drives it (one IdleStep per idle call, every
// window refreshed when the step says so, the event loop between calls),
// beside the same run without windows and beside sim51 on the same program.
//
//   views_bench [--program FILE.a51] [--instructions N] [--update-count N]
//               [--runs N] [--sim51 PATH]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QProcess>
#include <QScrollBar>

#include "tests/views/view_test_support.h"
#include "views/text_grid_view.h"
#include "views/tool_views.h"

namespace {

struct OptionsType
{
    std::string program = IDE51_BENCH_PROGRAM;
    int64_t instructions = 50'000'000;
    int updateCount = 10000;
    int runs = 5;
    std::string sim51;
};

bool ParseOptions(int argc, char** argv, OptionsType& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--program" && hasValue) {
            options.program = argv[++i];
        } else if (arg == "--instructions" && hasValue) {
            options.instructions = std::atoll(argv[++i]);
        } else if (arg == "--update-count" && hasValue) {
            options.updateCount = std::atoi(argv[++i]);
        } else if (arg == "--runs" && hasValue) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--sim51" && hasValue) {
            options.sim51 = argv[++i];
        } else {
            return false;
        }
    }
    return options.instructions > 0 && options.updateCount > 0 && options.runs > 0;
}

// Rates by the processor time the run used, beside rates by the clock on
// the wall: on a machine other work shares, the first says what the run
// costs, the second what a user would see.
struct RateType
{
    double wall = 0;
    double cpu = 0;
};

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double ChildCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One run in the IDE's way.
RateType RunOnce(const OptionsType& options, bool withViews)
{
    CFakeViewHost host;
    host.engines.Options().radixTable[radix_layout::kDefaultRadix] = 2;
    std::ifstream file(options.program, std::ios::binary);
    std::stringstream source;
    source << file.rdbuf();
    // Beside the program, so that its includes are found.
    const std::string copy = options.program + ".bench.a51";
    std::ofstream(copy, std::ios::binary) << source.str();
    if (!host.AssembleFile(copy)) {
        std::fprintf(stderr, "views_bench: %s does not assemble\n", options.program.c_str());
        std::exit(1);
    }
    std::remove(copy.c_str());
    CWatchList& watches = host.engines.Simulator().Watches();
    watches.AddWatch("30H", kWatchDirectMemory, kWatchByte, 0, "", 0, 0, DisplayRadix::kDefault,
                     -1);
    watches.AddWatch("DPTR", kWatchRegister, kWatchWord, 0, "", 0, 0, DisplayRadix::kDefault, -1);
    watches.AddWatch("R2", kWatchRegister, kWatchByte, 0, "", 0, 0, DisplayRadix::kBinary, -1);
    watches.AddWatch("Total Cycles", kWatchSimulationResult, kWatchByte, 0, "", 0, 0,
                     DisplayRadix::kDecimal, -1);

    std::vector<std::unique_ptr<QWidget>> windows;
    if (withViews) {
        for (WindowKind kind :
             {WindowKind::kOutput, WindowKind::kDump, WindowKind::kRegister, WindowKind::kPort,
              WindowKind::kDram, WindowKind::kIram, WindowKind::kXram, WindowKind::kWatch,
              WindowKind::kConReg, WindowKind::kStack}) {
            QWidget* window = CreateToolView(kind, host, nullptr);
            window->resize(420, 320);
            window->show();
            host.views.push_back(dynamic_cast<IDocumentView*>(window));
            windows.emplace_back(window);
        }
        // The external memory the program writes is in sight.
        auto* xram = static_cast<CTextGridView*>(windows[6].get());
        xram->verticalScrollBar()->setValue(0x100 / 32);
        QApplication::processEvents();
    }

    SimulatorSetupType setup;
    setup.updateCount = setup.remainingCount = options.updateCount;
    host.engines.StartSimulation(setup);
    CSimulator& simulator = host.engines.Simulator();
    simulator.Continue();
    int64_t executed = options.updateCount; // Continue ran the first chunk
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    // The parts in processor time: other work on the machine stays out.
    struct Clock
    {
        using duration = std::chrono::nanoseconds;
        static std::chrono::nanoseconds now()
        {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            return std::chrono::nanoseconds(int64_t{t.tv_sec} * 1000000000 + t.tv_nsec);
        }
    };
    Clock::duration stepping{};
    Clock::duration refreshing{};
    Clock::duration events{};
    // Each window's share, when asked for.
    std::vector<Clock::duration> perView(
        std::getenv("VIEWS_BENCH_PARTS") != nullptr ? host.views.size() : 0);
    const bool parts = !perView.empty() || (std::getenv("VIEWS_BENCH_PARTS") != nullptr);
    const auto now = [parts] { return parts ? Clock::now() : Clock::duration{}; };
    while (executed < options.instructions && simulator.IsExecuting()) {
        const int before =
            simulator.RemainingCount() < 1 ? simulator.UpdateCount() : simulator.RemainingCount();
        const auto t0 = now();
        const IdleResultType result = host.engines.IdleStep(true);
        executed += before - simulator.RemainingCount();
        const auto t1 = now();
        if (result.showStop) {
            host.ShowExecutionPoint();
            if (perView.empty()) {
                host.UpdateAllWindows();
            } else {
                for (size_t i = 0; i < host.views.size(); ++i) {
                    const auto v0 = now();
                    host.views[i]->Refresh();
                    perView[i] += now() - v0;
                }
            }
        }
        const auto t2 = now();
        QCoreApplication::processEvents();
        const auto t3 = now();
        stepping += t1 - t0;
        refreshing += t2 - t1;
        events += t3 - t2;
    }
    if (std::getenv("VIEWS_BENCH_PARTS") != nullptr) {
        const auto ms = [](Clock::duration d) {
            return std::chrono::duration<double, std::milli>(d).count();
        };
        std::printf("  %s: stepping %.0f ms, refreshing %.0f ms, events %.0f ms\n",
                    withViews ? "windows" : "alone", ms(stepping), ms(refreshing), ms(events));
        for (size_t i = 0; i < perView.size(); ++i) {
            std::printf("    %-8s %.1f ms\n", KindInfo(host.views[i]->Kind()).documentName,
                        ms(perView[i]));
        }
    }
    const double cpu = CpuSeconds() - cpuStart;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto counted = static_cast<double>(executed - options.updateCount);
    return {counted / seconds, counted / cpu};
}

// sim51 on the same program: its own rate line, and its processor time.
RateType RunSim51(const OptionsType& options)
{
    const double cpuStart = ChildCpuSeconds();
    QProcess process;
    process.start(QString::fromStdString(options.sim51),
                  {QStringLiteral("--max-instructions"), QString::number(options.instructions),
                   QString::fromStdString(options.program)});
    process.waitForFinished(-1);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString key = QStringLiteral("Simulated instructions per second: ");
    const qsizetype at = out.indexOf(key);
    if (at < 0) {
        std::fprintf(stderr, "views_bench: no rate from %s\n", options.sim51.c_str());
        std::exit(1);
    }
    const double rate = out.mid(at + key.size()).section(QLatin1Char('\n'), 0, 0).toDouble();
    // The child's time includes its start and the assembly: a little in its
    // disfavour, so the ratio below errs on the safe side.
    return {rate, static_cast<double>(options.instructions) / (ChildCpuSeconds() - cpuStart)};
}

void Report(const char* what, const std::vector<RateType>& rates)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const RateType& rate : rates) {
        wall.push_back(rate.wall);
        cpu.push_back(rate.cpu);
    }
    std::printf("%-32s wall: median %6.2f M/s (%.2f-%.2f)   cpu: median %6.2f M/s (%.2f-%.2f)\n",
                what, Median(wall) / 1e6, *std::min_element(wall.begin(), wall.end()) / 1e6,
                *std::max_element(wall.begin(), wall.end()) / 1e6, Median(cpu) / 1e6,
                *std::min_element(cpu.begin(), cpu.end()) / 1e6,
                *std::max_element(cpu.begin(), cpu.end()) / 1e6);
}

double MedianOf(const std::vector<RateType>& rates, double RateType::*field)
{
    std::vector<double> values;
    for (const RateType& rate : rates) {
        values.push_back(rate.*field);
    }
    return Median(values);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    OptionsType options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: views_bench [--program FILE.a51] [--instructions N] "
                             "[--update-count N] [--runs N] [--sim51 PATH]\n");
        return 2;
    }
    std::printf("program %s, %lld instructions a run, update count %d, %d runs\n",
                options.program.c_str(), static_cast<long long>(options.instructions),
                options.updateCount, options.runs);
    std::vector<RateType> views;
    std::vector<RateType> alone;
    std::vector<RateType> sim51;
    // Interleaved, so that a busy neighbour on the machine hurts all alike.
    for (int run = 0; run < options.runs; ++run) {
        views.push_back(RunOnce(options, true));
        alone.push_back(RunOnce(options, false));
        if (!options.sim51.empty()) {
            sim51.push_back(RunSim51(options));
        }
    }
    Report("every window open, auto update", views);
    Report("no windows, auto update", alone);
    if (!sim51.empty()) {
        Report("sim51", sim51);
        std::printf("windows open / sim51: %.0f%% by the wall clock, %.0f%% by processor time\n",
                    100.0 * MedianOf(views, &RateType::wall) / MedianOf(sim51, &RateType::wall),
                    100.0 * MedianOf(views, &RateType::cpu) / MedianOf(sim51, &RateType::cpu));
    }
    return 0;
}
