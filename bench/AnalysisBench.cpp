// How fast an image is walked and analysed, for inputs of 1 MB and 16 MB: the time per MB of
// the large case should stay within twice that of the small one (linear), and 16 MB should
// take well under a second.
#include "analysis/AnalyseTape.h"
#include "format/SystemTape.h"
#include "tape/TapeImageWriter.h"
#include "writer/Level2Listing.h"

#include <benchmark/benchmark.h>

#include <random>

namespace tonvale {
namespace {

constexpr std::size_t kMB = 1 << 20;

// About 1.6 KB: six full blocks and a transfer record behind a short leader.
Bytes SmallSystemTapeFile() {
    Bytes code(6 * 256);
    for (std::size_t i = 0; i < code.size(); ++i)
        code[i] = static_cast<Byte>(i);
    const Bytes file = *SystemTapeFile("BENCH", {{0x5000, code}}, 0x5000).value;
    return TapeImageWriter().File(TapeFormat::Level2, file, 64).Image();
}

Bytes ManySmallTapeFiles(std::size_t size) {
    const Bytes one = SmallSystemTapeFile();
    Bytes image;
    image.reserve(size);
    while (image.size() + one.size() <= size)
        image.insert(image.end(), one.begin(), one.end());
    image.resize(size, 0x00);
    return image;
}

Bytes Zeros(std::size_t size) {
    return Bytes(size, 0x00);
}

Bytes RandomBytes(std::size_t size) {
    std::mt19937 random(1234);
    Bytes image(size);
    for (Byte& b : image)
        b = static_cast<Byte>(random());
    return image;
}

Bytes BasicTape(std::size_t size) {
    // A long Level 2 program of ordinary lines, filling about `size` bytes.
    const Bytes text = ToBytes("PRINT \"THE QUICK BROWN FOX\";A$;TAB(10);X*Y+3");
    std::vector<Level2Line> lines;
    for (std::size_t bytes = 64; bytes < size; bytes += 5 + text.size())
        lines.push_back({static_cast<std::uint16_t>(10 * (lines.size() + 1)), text});
    return TapeImageWriter().File(TapeFormat::Level2, Level2BasicFile('B', lines)).Image();
}

void Walk(benchmark::State& state, Bytes (*make)(std::size_t)) {
    const Bytes image = make(static_cast<std::size_t>(state.range(0)));
    FixedLevel level; // Level 2, as the question's close box answers
    TapeReport report;
    for (auto _ : state) {
        report = AnalyseTape(image, level, AnalysisSettings{});
        benchmark::DoNotOptimize(report.lines.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
    state.counters["tape_files"] = static_cast<double>(report.files.size());
    state.counters["report_lines"] = static_cast<double>(report.lineCount);
}

BENCHMARK_CAPTURE(Walk, ManySmallTapeFiles, ManySmallTapeFiles)
    ->Arg(kMB)
    ->Arg(16 * kMB)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Walk, Zeros, Zeros)->Arg(kMB)->Arg(16 * kMB)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Walk, RandomBytes, RandomBytes)
    ->Arg(kMB)
    ->Arg(16 * kMB)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Walk, Level2Basic32K, BasicTape)->Arg(32 * 1024)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tonvale
