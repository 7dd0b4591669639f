// The source window on a 10 MB source: open to first paint, keystroke to
// repaint at the end of the file, page scrolling, and memory.
//   QT_QPA_PLATFORM=offscreen build/bench/editor_ui/editor_ui_bench [MB] [runs]
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include "app/source_document.h"
#include "common/settings_keys.h"
#include "editor/ui/editor_view.h"
#include "tests/editor_ui/fake_view_host.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The machine is shared: CPU time shows what the work costs when wall time
// includes waiting for a core.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long RssKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

// Counts the paints of a widget, so that a measured repaint is a real one.
class CPaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

const char* const kLines[] = {
    "\tMOV\tA,#10h\t\t; load the counter",
    "LOOP%d:\tDJNZ\tR7,LOOP%d",
    "\tMOV\tDPTR,#TABLE",
    "\tMOVC\tA,@A+DPTR",
    "\tACALL\tSEND_BYTE\t; out to the serial port",
    "",
    "TABLE%d:\tDB\t01h,02h,04h,08h,10h,20h,40h,80h",
    "\tSETB\tTR0",
    "MSG%d:\tDB\t'Hello, world',0",
};

std::string WriteSource(const std::filesystem::path& path, size_t bytes, int& lines)
{
    std::ofstream out(path, std::ios::binary);
    size_t written = 0;
    lines = 0;
    char buffer[256];
    while (written < bytes) {
        const char* line = kLines[lines % (sizeof kLines / sizeof kLines[0])];
        const int n = std::snprintf(buffer, sizeof buffer, line, lines, lines);
        out.write(buffer, n);
        out.write("\r\n", 2);
        written += static_cast<size_t>(n) + 2;
        ++lines;
    }
    return path.string();
}

void Key(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(&widget, &release);
}

struct RunResultType
{
    double openMs = 0;
    double openCpuMs = 0;
    double keyMs = 0;
    double keyCpuMs = 0;
    double pageMs = 0;
    double pageCpuMs = 0;
    double rssMb = 0;
};

RunResultType Run(const std::string& path, bool colouring, int samples)
{
    RunResultType result;
    CFakeViewHost host;
    WriteSetting(host.settings, settings::kSyntaxColouring, colouring ? 1 : 0);
    const long rssBefore = RssKb();
    const auto start = Clock::now();
    const double cpuStart = CpuMs();
    CSourceDocument document(&host.sink);
    document.Doc().SetTabWidth(8);
    document.Load(path);
    CEditorView view(document, host);
    CPaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    view.resize(1000, 720);
    view.show();
    while (counter.paints == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    result.openMs = Ms(Clock::now() - start);
    result.openCpuMs = CpuMs() - cpuStart;
    result.rssMb = static_cast<double>(RssKb() - rssBefore) / 1024.0;
    view.setFocus();

    // One measured step: the key, then the paint it asked for.
    auto measure = [&](int key, const QString& text, std::vector<double>& wall,
                       std::vector<double>& cpu) {
        const int before = counter.paints;
        const auto t = Clock::now();
        const double c = CpuMs();
        Key(view, key, Qt::NoModifier, text);
        view.viewport()->repaint();
        wall.push_back(Ms(Clock::now() - t));
        cpu.push_back(CpuMs() - c);
        if (counter.paints == before) {
            std::fprintf(stderr, "a key was not painted\n");
            std::exit(1);
        }
        QCoreApplication::processEvents();
    };

    Key(view, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::processEvents();
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < samples; ++i) {
        measure(Qt::Key_X, QStringLiteral("x"), wall, cpu);
    }
    result.keyMs = Median(wall);
    result.keyCpuMs = Median(cpu);

    Key(view, Qt::Key_Home, Qt::ControlModifier);
    QCoreApplication::processEvents();
    wall.clear();
    cpu.clear();
    for (int i = 0; i < samples; ++i) {
        measure(Qt::Key_PageDown, QString(), wall, cpu);
    }
    result.pageMs = Median(wall);
    result.pageCpuMs = Median(cpu);
    for (const std::string& message : host.sink.messages) {
        std::fprintf(stderr, "message: %s\n", message.c_str());
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Large blocks always come from and go back to the system, so that each
    // run's resident size shows its own memory.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    constexpr int kSamples = 200;

    QTemporaryDir dir;
    int lines = 0;
    const std::string path =
        WriteSource(std::filesystem::path(dir.path().toStdString()) / "big.a51",
                    static_cast<size_t>(megabytes * 1024 * 1024), lines);
    const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    std::printf("file: %.1f MB, %d lines; %d runs of %d samples each; medians in ms (wall, cpu)\n",
                fileMb, lines, runs, kSamples);
    for (const bool colouring : {true, false}) {
        std::vector<RunResultType> results;
        for (int r = 0; r < runs; ++r) {
            results.push_back(Run(path, colouring, kSamples));
        }
        auto median = [&](double RunResultType::*field) {
            std::vector<double> values;
            for (const RunResultType& result : results) {
                values.push_back(result.*field);
            }
            return Median(values);
        };
        std::printf("colouring %-3s open to first paint %7.1f (%6.1f)  keystroke+repaint at end "
                    "%6.3f (%6.3f)  page down+repaint %6.3f (%6.3f)  memory %5.1f MB (%.2fx "
                    "file)\n",
                    colouring ? "on" : "off", median(&RunResultType::openMs),
                    median(&RunResultType::openCpuMs), median(&RunResultType::keyMs),
                    median(&RunResultType::keyCpuMs), median(&RunResultType::pageMs),
                    median(&RunResultType::pageCpuMs), median(&RunResultType::rssMb),
                    median(&RunResultType::rssMb) / fileMb);
    }
    return 0;
}
