// How fast the WAV image is built, against the speed of memory itself: a plain memset of as
// many bytes as the image has, in the same run. Goal: synthesis at a third of memset or better.
#include "app/TonvaleDlg.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

using tonvale::Byte;
using tonvale::Bytes;
using tonvale::TapeFormat;
using tonvale::test::TapeBuilder;

constexpr std::size_t kTapeBytes = 32 * 1024;
constexpr std::size_t kLeader = 256;

// 32 KB as recorded: a leader, the sync byte and data (noise: as many 1 bits as 0 bits).
Bytes Level2Tape() {
    return TapeBuilder().Leader(kLeader, 0x00).Sync(0xA5).Noise(kTapeBytes - kLeader - 1).Build();
}

Bytes HighspeedTape() {
    const Bytes data = TapeBuilder().Noise(kTapeBytes).Build();
    Bytes tape = TapeBuilder().HighspeedFile(data, kLeader).Build();
    tape.resize(kTapeBytes);
    return tape;
}

struct Loaded {
    tonvale::HeadlessPlatform platform;
    tonvale::CTonvaleDlg dlg{platform};

    Loaded(TapeFormat format, const Bytes& tape) {
        dlg.OnInitDialog();
        dlg.m_tapeData = std::make_unique<Byte[]>(tape.size());
        std::memcpy(dlg.m_tapeData.get(), tape.data(), tape.size());
        dlg.m_tapeSize = tape.size();
        dlg.m_format = format;
        dlg.BuildWavImage();
    }
};

void WavImage(benchmark::State& state, TapeFormat format, const Bytes& tape) {
    Loaded loaded(format, tape);
    for (auto _ : state) {
        loaded.dlg.BuildWavImage();
        benchmark::DoNotOptimize(loaded.dlg.m_wavImage.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loaded.dlg.m_wavSize));
    state.counters["image_bytes"] = static_cast<double>(loaded.dlg.m_wavSize);
}

// The same number of bytes, written by memset into a block of that size.
void Memset(benchmark::State& state, TapeFormat format, const Bytes& tape) {
    const std::uint64_t size = Loaded(format, tape).dlg.m_wavSize;
    std::unique_ptr<Byte[]> block(new Byte[size]);
    std::memset(block.get(), 0, size);
    for (auto _ : state) {
        std::memset(block.get(), 0x80, size);
        benchmark::DoNotOptimize(block.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void Level2WavImage(benchmark::State& state) {
    WavImage(state, TapeFormat::Level2, Level2Tape());
}
void Level2Memset(benchmark::State& state) {
    Memset(state, TapeFormat::Level2, Level2Tape());
}
void HighspeedWavImage(benchmark::State& state) {
    WavImage(state, TapeFormat::Highspeed, HighspeedTape());
}
void HighspeedMemset(benchmark::State& state) {
    Memset(state, TapeFormat::Highspeed, HighspeedTape());
}

BENCHMARK(Level2WavImage)->Unit(benchmark::kMillisecond);
BENCHMARK(Level2Memset)->Unit(benchmark::kMillisecond);
BENCHMARK(HighspeedWavImage)->Unit(benchmark::kMillisecond);
BENCHMARK(HighspeedMemset)->Unit(benchmark::kMillisecond);

} // namespace
