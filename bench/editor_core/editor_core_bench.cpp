// Loading, editing and find-in-files speed on generated sources.
//   build/bench/editor_core/editor_core_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/output_text.h"
#include "editor/core/editor_controller.h"
#include "editor/core/editor_doc.h"
#include "editor/core/find_in_files.h"

namespace fs = std::filesystem;

namespace {

const char* const kSourceLines[] = {
    "\tMOV\tA,#10h\t\t; load the counter",
    "LOOP:\tDJNZ\tR7,LOOP",
    "\tMOV\tDPTR,#TABLE",
    "\tMOVC\tA,@A+DPTR",
    "\tACALL\tSEND_BYTE\t; out to the serial port",
    "",
    "TABLE:\tDB\t01h,02h,04h,08h,10h,20h,40h,80h",
    "\tSJMP\t$",
};

// The generated files go when the run ends.
struct BenchFilesRemover
{
    ~BenchFilesRemover()
    {
        std::error_code ec;
        fs::remove_all(fs::temp_directory_path() / "editor_core_bench", ec);
    }
} benchFilesRemover;

fs::path BenchDir()
{
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / "editor_core_bench";
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// A source of about the given size (or line count), CR LF line ends.
fs::path MakeSource(const std::string& name, size_t bytes, size_t lines)
{
    const fs::path file = BenchDir() / name;
    if (fs::exists(file)) {
        return file;
    }
    std::ofstream out(file, std::ios::binary);
    size_t written = 0;
    for (size_t i = 0; written < bytes || i < lines; ++i) {
        const std::string line =
            std::string(kSourceLines[i % std::size(kSourceLines)]) + " ; " + std::to_string(i);
        out << line << "\r\n";
        written += line.size() + 2;
        if (lines != 0 && i + 1 >= lines) {
            break;
        }
    }
    return file;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

template <typename F> double TimeUs(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count();
}

void BM_Load(benchmark::State& state)
{
    const bool byLines = state.range(0) == 0;
    const fs::path file =
        byLines ? MakeSource("lines100k.a51", 0, 100000) : MakeSource("src10mb.a51", 10u << 20, 0);
    for (auto _ : state) {
        CEditorDoc doc;
        benchmark::DoNotOptimize(doc.Load(file));
        state.counters["lines"] = doc.LineCount();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(fs::file_size(file)));
}
BENCHMARK(BM_Load)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 10,000 characters typed on lines spread through the file, deleted again,
// then everything the ring holds undone; each edit is timed by itself.
void BM_EditSession(benchmark::State& state)
{
    const bool byLines = state.range(0) == 0;
    const fs::path file =
        byLines ? MakeSource("lines100k.a51", 0, 100000) : MakeSource("src10mb.a51", 10u << 20, 0);
    constexpr int kEdits = 10000;
    for (auto _ : state) {
        state.PauseTiming();
        CEditorDoc doc;
        doc.Load(file);
        bool overwrite = false;
        CEditorController view(doc, overwrite);
        view.SetViewSize(40, 100);
        std::vector<TextPosType> places;
        for (int i = 0; i < kEdits; ++i) {
            const int line = static_cast<int>(static_cast<int64_t>(i) * doc.LineCount() / kEdits);
            places.push_back({std::min(3, doc.LineLength(line)), line});
        }
        state.ResumeTiming();
        std::vector<double> typing;
        std::vector<double> deleting;
        std::vector<double> undoing;
        for (const auto& at : places) {
            view.SetCaret(at);
            typing.push_back(TimeUs([&] { view.HandleChar('x', {}); }));
        }
        for (const auto& at : places) {
            view.SetCaret(at);
            deleting.push_back(TimeUs([&] { view.HandleKey(EditorKey::kDelete, {}); }));
        }
        while (view.CanUndo()) {
            undoing.push_back(TimeUs([&] { view.Undo(); }));
        }
        state.counters["type_median_us"] = Percentile(typing, 0.5);
        state.counters["type_p99_us"] = Percentile(typing, 0.99);
        state.counters["delete_median_us"] = Percentile(deleting, 0.5);
        state.counters["undo_median_us"] = Percentile(undoing, 0.5);
        state.counters["undo_steps"] = static_cast<double>(undoing.size());
    }
}
BENCHMARK(BM_EditSession)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FindInFiles(benchmark::State& state)
{
    const fs::path dir = BenchDir() / "tree";
    constexpr int kFiles = 100;
    uint64_t total = 0;
    for (int i = 0; i < kFiles; ++i) {
        const fs::path sub = dir / ("d" + std::to_string(i % 10));
        fs::create_directories(sub);
        const fs::path src = MakeSource("tree_src.a51", 1u << 20, 0);
        const fs::path file = sub / ("f" + std::to_string(i) + ".a51");
        if (!fs::exists(file)) {
            fs::copy_file(src, file);
        }
        total += fs::file_size(file);
    }
    for (auto _ : state) {
        COutputText out;
        CFindInFileClass engine;
        // A rare word measures reading; a frequent one (one line in eight)
        // adds the output lines; arg 2 leaves the output store out.
        engine.Start(state.range(0) == 0 ? "nowhere" : "send_byte", dir, "*.a51",
                     state.range(0) == 2 ? nullptr : &out, false, true, true);
        while (engine.IsActive()) {
            engine.Step();
        }
        state.counters["hits"] = engine.HitCount();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}
BENCHMARK(BM_FindInFiles)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
